#include <array>

#include "SimState.h"
#include "bench/BenchPreset.h"

namespace vemarsim {

namespace {

// "dwdm" is the default; the clean presets have no mode hops.
constexpr std::array<BenchPreset, 9> presets{{
    {.name = "dwdm", .device = DeviceKind::Dwdm},
    {.name = "cwdm", .device = DeviceKind::Cwdm},
    {.name = "patchcord", .device = DeviceKind::PatchCord},
    {.name = "etalon", .device = DeviceKind::Etalon},
    // A laser that hops away and back twice in every sweep.
    {.name = "dwdm-hops", .device = DeviceKind::Dwdm, .hopsPerSweep = 4},
    // A DSP that chains the sources into one acquisition.
    {.name = "chained", .device = DeviceKind::Dwdm, .chainsSources = true},
    // Noisy detectors, for series whose envelopes widen.
    {.name = "noisy", .device = DeviceKind::Dwdm, .detectorNoise = 0.02, .monitorNoise = 0.005},
    // The second source's fibre is not connected.
    {.name = "faultypower", .device = DeviceKind::Dwdm, .lostSource = 1},
    // Light on the output monitor although every source is dark.
    {.name = "spurious", .device = DeviceKind::PatchCord, .strayMw = 0.01},
}};

}  // namespace

const BenchPreset* findPreset(std::string_view name)
{
    for (const BenchPreset& preset : presets)
        if (preset.name == name) return &preset;
    return nullptr;
}

bool isKnownPreset(std::string_view name) { return findPreset(name) != nullptr; }

}  // namespace vemarsim
