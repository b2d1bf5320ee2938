#pragma once

// Everything fixed about the bench for one preset and seed: the preset, the
// unit's calibration as the bench inverts it, the device under test. Built
// when the preset is chosen; read-only afterwards.

#include <cstdint>

#include "BenchCalibration.h"
#include "BenchPreset.h"
#include "DeviceUnderTest.h"

namespace vemarsim {

struct BenchModel {
    BenchModel(const BenchPreset& p, const DataCalib& calibrationImage, std::uint64_t s)
        : preset(p), calibration(calibrationImage), device(p.device), seed(s)
    {
    }

    const BenchPreset& preset;
    const BenchCalibration calibration;
    const DeviceUnderTest device;
    const std::uint64_t seed;
};

}  // namespace vemarsim
