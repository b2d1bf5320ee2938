#include "SimulatedSources.h"

#include <array>
#include <mutex>

#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "vemar_sim_gpib.h"

namespace SimulatedSources {
namespace {

// Guards g_followed, and keeps the followed configuration from being
// destroyed while its records are handed over.
std::mutex g_mutex;
const ConfLaser* g_followed = nullptr;

void publishLocked(const ConfLaser& conf)
{
    if (!SimulatorPlugin::active()) return;
    auto setSources =
        reinterpret_cast<decltype(&vemarsim_gpib_set_sources)>(SimulatorPlugin::symbol("vemarsim_gpib_set_sources"));
    if (setSources == nullptr) return;
    std::array<VemarSimGpibSource, ConfLaser::sourceCount> records{};
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SourceConfig& source = conf.sources[i];
        records[i] = {source.enable ? 1 : 0, source.address, source.type, source.lambdaMin, source.lambdaMax};
    }
    setSources(records.data(), static_cast<int>(records.size()));
}

}  // namespace

void follow(const ConfLaser* conf)
{
    std::lock_guard lock(g_mutex);
    g_followed = conf;
    if (conf != nullptr) publishLocked(*conf);
}

void unfollow(const ConfLaser* conf)
{
    std::lock_guard lock(g_mutex);
    if (g_followed == conf) g_followed = nullptr;
}

void publishIfFollowed(const ConfLaser& conf)
{
    std::lock_guard lock(g_mutex);
    if (g_followed == &conf) publishLocked(conf);
}

void publishFollowed()
{
    std::lock_guard lock(g_mutex);
    if (g_followed != nullptr) publishLocked(*g_followed);
}

}  // namespace SimulatedSources
