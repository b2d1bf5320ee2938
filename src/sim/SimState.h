#pragma once

// Process-wide state of the simulator plug-in shared by its areas.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace vemarsim {

inline constexpr const char* defaultPreset = "dwdm";

// The bench presets the plug-in knows (bench/BenchPreset.h, Presets.cpp).
bool isKnownPreset(std::string_view name);

struct SimState {
    // Protects preset and seed.
    std::mutex mutex;
    std::string preset = defaultPreset;
    std::uint64_t seed = 1;
};

SimState& state();

// vemarsim_init calls this once preset and seed are set (without holding
// the state's mutex): the optical bench builds itself for them and becomes
// the unit's source of sweep data.
void presetChosen();

}  // namespace vemarsim
