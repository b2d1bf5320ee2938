#pragma once

// A bench preset: which device stands between the sources and the
// detectors and how the rest of the bench behaves (noise, mode hops, the
// DSP chaining sources, faults of the set-up). vemarsim_init chooses one by
// name; the table is in Presets.cpp.

#include <string_view>

namespace vemarsim {

enum class DeviceKind {
    Dwdm,       // 100 GHz multiplexer: each port a set of flat-top channels on the ITU grid
    Cwdm,       // CWDM filter: 20 nm channels
    PatchCord,  // flat loss on every port
    Etalon,     // a Fabry-Perot etalon on port 1, patch cords on the others
};

struct BenchPreset {
    std::string_view name;
    DeviceKind device = DeviceKind::Dwdm;
    // Mode hops placed in each long enough sweep (0: a clean laser).
    int hopsPerSweep = 0;
    // The DSP goes on acquiring with the next source (status bit 6).
    bool chainsSources = false;
    // Relative noise (1 sigma, linear power) of the detectors and of the
    // output monitor, and the detectors' noise floor (mW).
    double detectorNoise = 0.0005;
    double monitorNoise = 0.0003;
    double noiseFloorMw = 1e-7;
    // Source index (0..3) whose light never reaches the unit, or -1.
    int lostSource = -1;
    // Light reaching the output monitor whatever the sources do (mW).
    double strayMw = 0.0;
};

// The preset of that name, or nullptr.
const BenchPreset* findPreset(std::string_view name);

}  // namespace vemarsim
