#pragma once

// Calibration image of kind 2: 638 frequency points from 1238 nm, 22208 bytes.

#include "DataCalib.h"

inline constexpr DataCalibLayout dataCalib2Layout{2, 638, 10, 140, 0.5, 1240, 299792458.0 / 1238.0, 100.0, 1236.45, 31};

class DataCalib2 final : public DataCalibImage<dataCalib2Layout> {};
static_assert(DataCalib2::imageBytes == 22208);
