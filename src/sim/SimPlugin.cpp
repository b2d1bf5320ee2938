// Entry points of the simulator plug-in that concern the plug-in as a whole.

#include <chrono>
#include <mutex>
#include <string>

#include "vemar_sim.h"
#include "SimState.h"

namespace vemarsim {

SimState& state()
{
    static SimState s;
    return s;
}

}  // namespace vemarsim

extern "C" {

int vemarsim_api_revision(void) { return VEMARSIM_API_REVISION; }

int vemarsim_init(const char* preset, uint64_t seed, int seeded)
{
    auto& s = vemarsim::state();
    {
        std::lock_guard lock(s.mutex);
        const std::string name = (preset == nullptr || *preset == '\0') ? vemarsim::defaultPreset : preset;
        if (!vemarsim::isKnownPreset(name)) return -1;
        s.preset = name;
        s.seed = seeded ? seed
                        : static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    vemarsim::presetChosen();
    return 0;
}

const char* vemarsim_preset(void)
{
    auto& s = vemarsim::state();
    std::lock_guard lock(s.mutex);
    return s.preset.c_str();
}

uint64_t vemarsim_seed(void)
{
    auto& s = vemarsim::state();
    std::lock_guard lock(s.mutex);
    return s.seed;
}

}
