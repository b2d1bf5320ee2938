// Host-side cost of reading a full 333 333-word array from the simulated
// unit through the program's stack (UsbDevice, Dsp, the simulated USB
// backend): 326 block requests, their waits, reads and checksums. The
// unit answers at once, so what is measured is the host's own work.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "Dsp.h"
#include "SimulatorPlugin.h"
#include "vemar_sim_usb.h"

namespace {

void ReadFullArray(benchmark::State& state)
{
    std::string why;
    if (!SimulatorPlugin::activate("", 1, &why)) {
        state.SkipWithError(why.c_str());
        return;
    }
    vemarsim_unit_reset();
    const auto words = static_cast<std::uint32_t>(state.range(0));
    vemarsim_unit_set_sample_count(words);
    Dsp dsp;
    std::vector<std::uint16_t> buffer(words);
    for (auto _ : state) {
        std::uint32_t got = 0;
        const int result = dsp.ReadWords(DSP_READ_DETECTOR1, buffer.data(), words, got);
        if (result != DspResult::Ok || got != words) {
            state.SkipWithError("array read failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * words);
}
BENCHMARK(ReadFullArray)->Arg(333333)->Unit(benchmark::kMillisecond);

}  // namespace
