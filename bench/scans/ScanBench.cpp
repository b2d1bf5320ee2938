// Building the six curves of a 333 333-sample scan, and resampling it to
// 1 pm over 100 nm.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>

#include "ScanTrace.h"
#include "SourceConfigurationView.h"

namespace {

// Two enabled sources with a 1 nm gap between them, scanning 1500 to 1600 nm.
struct BenchSources : SourceConfigurationView {
    std::unique_ptr<SourceConfigurationView> clone() const override { return std::make_unique<BenchSources>(*this); }
    int sourceCount() const override { return 4; }
    bool sourceEnabled(int i) const override { return i < 2; }
    double sourceLambdaMin(int i) const override { return i == 0 ? 1400.0 : 1551.0; }
    double sourceLambdaMax(int i) const override { return i == 0 ? 1550.0 : 1700.0; }
    double scanStart() const override { return 1500.0; }
    double scanStop() const override { return 1600.0; }
};

constexpr int samples = 333333;

void fill(ScanRes& result)
{
    result.wavelength.resize(samples);
    result.velocity.resize(samples);
    result.sampleIndex.resize(samples);
    for (auto& channel : result.values) channel.resize(samples);
    for (int j = 0; j < samples; ++j) {
        const auto k = static_cast<std::size_t>(j);
        result.wavelength[k] = 1500.0 + 100.0 * j / samples;
        result.velocity[k] = 40.0;
        result.sampleIndex[k] = j;
        result.values[0][k] = -3.0 + 0.001 * std::sin(j * 0.001);
        for (int c = 1; c < 6; ++c) result.values[static_cast<std::size_t>(c)][k] = -3.0 - c - 20.0 * std::sin(j * 1e-4 * c);
    }
    result.present.fill(true);
}

void BM_BuildTrace_SixCurves(benchmark::State& state)
{
    BenchSources sources;
    ScanTrace trace(nullptr, nullptr, &sources);
    fill(trace.result());
    for (const char* name : {"1", "2", "3", "4", "Ext", "Orl"}) trace.AddCurve(name, true);
    trace.UpdateCoverage();
    trace.BuildTrace(true, false, true);
    for (auto _ : state) {
        // A later scan of a continuous series: points and envelopes.
        trace.BuildTrace(false, true, true);
        benchmark::DoNotOptimize(trace.CurveAt(5)->data().y().data());
    }
}
BENCHMARK(BM_BuildTrace_SixCurves)->Unit(benchmark::kMillisecond);

void BM_Resample_1pm_100nm(benchmark::State& state)
{
    ScanRes original;
    fill(original);
    ScanRes result;
    for (auto _ : state) {
        state.PauseTiming();
        result = original;
        state.ResumeTiming();
        benchmark::DoNotOptimize(result.Resample(1500.0, 1600.0, 1.0));
    }
    state.counters["grid"] = static_cast<double>(result.resampledWavelength.size());
}
BENCHMARK(BM_Resample_1pm_100nm)->Unit(benchmark::kMillisecond);

}  // namespace
