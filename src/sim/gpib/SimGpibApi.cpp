// The C functions of vemar_sim_gpib.h: what stands on the simulated bus, and
// what its instruments were told and did.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "SimGpibBus.h"
#include "vemar_sim_gpib.h"

namespace {

vemarsim::SimGpibBus& bus() { return vemarsim::SimGpibBus::instance(); }

}  // namespace

extern "C" {

void vemarsim_gpib_set_sources(const VemarSimGpibSource* sources, int count)
{
    std::vector<vemarsim::SimSourceRecord> records;
    for (int i = 0; sources != nullptr && i < std::min(count, 4); ++i) {
        const VemarSimGpibSource& s = sources[i];
        records.push_back({s.enable != 0, s.address, s.type, s.lambdaMinNm, s.lambdaMaxNm});
    }
    bus().setSources(records);
}

void vemarsim_gpib_declare_bus(const VemarSimGpibInstrument* instruments, int count)
{
    std::vector<vemarsim::SimInstrumentSetup> setups;
    for (int i = 0; instruments != nullptr && i < count; ++i) {
        const VemarSimGpibInstrument& d = instruments[i];
        setups.push_back({d.address, d.type, d.lambdaMinNm, d.lambdaMaxNm, d.wavelengthNm, d.speedNmPerS, d.flags});
    }
    bus().declareBus(setups);
}

void vemarsim_gpib_follow_sources(void) { bus().followSources(); }

void vemarsim_gpib_set_switch_address(int address) { bus().setSwitchAddress(address); }

int vemarsim_gpib_laser_state(int address, VemarSimGpibLaserState* state)
{
    const auto laser = bus().laser(address);
    if (!laser || state == nullptr) return -1;
    *state = {laser->type,        laser->outputOn ? 1 : 0, laser->moving ? 1 : 0, laser->remote ? 1 : 0,
              laser->powerMw,     laser->wavelengthNm,     laser->speedNmPerS,    laser->current,
              laser->auxWavelengthNm, laser->lambdaMinNm,  laser->lambdaMaxNm};
    return 0;
}

int vemarsim_gpib_sweeps(int address, VemarSimGpibSweep* sweeps, int capacity)
{
    int count = 0;
    for (const vemarsim::SimLaserSweep& s : bus().sweeps()) {
        if (address >= 0 && s.address != address) continue;
        if (sweeps != nullptr && count < capacity) {
            sweeps[count] = {s.sequence,
                             s.address,
                             s.type,
                             s.startNm,
                             s.stopNm,
                             s.speedNmPerS,
                             s.powerMw,
                             s.outputOn ? 1 : 0,
                             s.interrupted ? 1 : 0,
                             vemarsim::secondsSinceLoad(s.began),
                             vemarsim::secondsSinceLoad(s.ends),
                             s.durationS};
        }
        ++count;
    }
    return count;
}

int vemarsim_gpib_commands(int address, char* buffer, int size)
{
    std::string text;
    for (const std::string& command : bus().commands(address)) text += command + '\n';
    if (buffer != nullptr && size > 0) {
        const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size) - 1);
        std::memcpy(buffer, text.data(), length);
        buffer[length] = '\0';
    }
    return static_cast<int>(text.size());
}

int vemarsim_gpib_switch_channel(void) { return bus().switchChannel(); }

void vemarsim_gpib_clear_records(void) { bus().clearRecords(); }

}  // extern "C"
