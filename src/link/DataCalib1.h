#pragma once

// Calibration image of kind 1: 590 frequency points from 1248 nm, 20672 bytes.

#include "DataCalib.h"

inline constexpr DataCalibLayout dataCalib1Layout{1, 590, 10, 140, 0.5, 1250, 299792458.0 / 1248.0, 100.0, 1246.45, 31};

class DataCalib1 final : public DataCalibImage<dataCalib1Layout> {};
static_assert(DataCalib1::imageBytes == 20672);
