// One sweep of 333 333 samples with about 100 reference lines and 10 mode
// hops, and the same with a thousand hops, through the fast and the plain
// hop correction.

#include <benchmark/benchmark.h>

#include "CorrectSauts.h"
#include "SyntheticSweep.h"

namespace {

SyntheticSweep sweep(int hops)
{
    SyntheticSweep s;
    s.samplingStep = 1;
    s.sampleCount = 333333;
    if (hops <= 10) {
        // 0.03 GHz per period: 10 000 GHz, about 100 lines.
        s.sources = {{0, 195950, 0.03, 1e-12}};
        for (int h = 0; h < hops; ++h) {
            s.hopSamples.push_back(25000 + 28000 * h);
            s.hopDrops.push_back(h % 2 ? -2.0 : 3.0);
        }
    } else {
        // 0.4 GHz per period: about 1330 lines, a hop between most of them.
        s.sources = {{0, 299950, 0.4, 0}};
        for (int h = 0; h < hops; ++h) {
            s.hopSamples.push_back(375 + 250 * h);
            s.hopDrops.push_back(h % 2 ? -6.0 : 6.0);
        }
    }
    return s;
}

void run(benchmark::State& state, int hops, HopCorrection method)
{
    const SyntheticSweep s = sweep(hops);
    CorrectSautsIn in = s.input(gridLines(300000, 1500));
    const std::vector<double> transitions = in.transitions;
    CorrectSautsOut out;
    for (auto _ : state) {
        in.transitions = transitions;
        if (CorrectSauts(in, out, 2, method) != 0) state.SkipWithError("not referenced");
        benchmark::DoNotOptimize(out.sampleFrequencies.data());
    }
    state.counters["hops"] = out.hopCount;
    state.counters["lines"] = in.markCount / 2;
}

void BM_CorrectSauts_10Hops(benchmark::State& state) { run(state, 10, HopCorrection::Accumulated); }
void BM_CorrectSauts_10Hops_Plain(benchmark::State& state) { run(state, 10, HopCorrection::Plain); }
void BM_CorrectSauts_1000Hops(benchmark::State& state) { run(state, 1000, HopCorrection::Accumulated); }
void BM_CorrectSauts_1000Hops_Plain(benchmark::State& state) { run(state, 1000, HopCorrection::Plain); }

BENCHMARK(BM_CorrectSauts_10Hops)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectSauts_10Hops_Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectSauts_1000Hops)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectSauts_1000Hops_Plain)->Unit(benchmark::kMillisecond);

}  // namespace
