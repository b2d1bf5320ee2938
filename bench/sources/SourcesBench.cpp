// Speed of the laser sources: command template formatting against the C
// library's printf, and the parallel initialisation of four sources on the
// simulated bus, each needing a 200 ms move (one after the other they would
// take 800 ms).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "CommandTemplate.h"
#include "GpibBinding.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "vemar_sim_gpib.h"

namespace {

void BM_FormatTemplate(benchmark::State& state)
{
    double wavelength = 1550.0;
    for (auto _ : state) {
        auto text = formatTemplate("L=%4.3f", {wavelength});
        benchmark::DoNotOptimize(text);
        wavelength += 0.001;
    }
}
BENCHMARK(BM_FormatTemplate);

void BM_SnprintfReference(benchmark::State& state)
{
    double wavelength = 1550.0;
    char buffer[64];
    for (auto _ : state) {
        std::snprintf(buffer, sizeof buffer, "L=%4.3f", wavelength);
        benchmark::DoNotOptimize(buffer);
        wavelength += 0.001;
    }
}
BENCHMARK(BM_SnprintfReference);

template <typename F>
F pluginEntry(const char* name)
{
    auto f = reinterpret_cast<F>(SimulatorPlugin::symbol(name));
    if (f == nullptr) throw std::runtime_error(name);
    return f;
}

void BM_InitFourSourcesInParallel(benchmark::State& state)
{
    std::string why;
    if (!SimulatorPlugin::activate("", 1, &why)) {
        state.SkipWithError(why.c_str());
        return;
    }
    Gpib::useAutomaticLibraries();
    pluginEntry<decltype(&vemarsim_set_time_scale)>("vemarsim_set_time_scale")(1.0);
    std::vector<VemarSimGpibInstrument> bus;
    for (int address = 1; address <= 4; ++address) bus.push_back({address, 0, 1240.0, 1680.0, 1500.0, 100.0, 0});
    pluginEntry<decltype(&vemarsim_gpib_declare_bus)>("vemarsim_gpib_declare_bus")(bus.data(), 4);

    ConfLaser conf;
    for (int i = 0; i < 4; ++i) {
        conf.sources[i].enable = true;
        conf.sources[i].SetType(0);
        conf.sources[i].SetAddress(i + 1);
    }
    conf.SetScanStop(1600.0);
    bool up = true;
    for (auto _ : state) {
        // 20 nm at 100 nm/s: 200 ms for every source, up and down in turn.
        conf.SetScanStart(up ? 1520.0 : 1500.0);
        up = !up;
        if (conf.Init() != nullptr) state.SkipWithError(conf.message.data());
    }
}
BENCHMARK(BM_InitFourSourcesInParallel)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();

}  // namespace
