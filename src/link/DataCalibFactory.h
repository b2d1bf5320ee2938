#pragma once

// Picks the calibration image layout for a calibration kind: kind 1 is the
// older layout, every other value (2, and 0 for a blank unit) the current one.

#include <memory>

#include "DataCalib.h"

class DataCalibFactory {
public:
    static std::unique_ptr<DataCalib> create(int calibrationKind);
};
