#pragma once

// Process-wide state of the simulator plug-in shared by its areas.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace vemarsim {

inline constexpr const char* defaultPreset = "dwdm";

// The bench presets the plug-in knows.
bool isKnownPreset(std::string_view name);

struct SimState {
    // Protects preset and seed.
    std::mutex mutex;
    std::string preset = defaultPreset;
    std::uint64_t seed = 1;
};

SimState& state();

}  // namespace vemarsim
