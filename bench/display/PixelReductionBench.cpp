// A million points reduced to the 1000 pixels of a chart, in wavelength and
// in frequency display, and the envelopes.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "PixelReduction.h"

namespace {

constexpr int points = 1000000;

struct Curve {
    std::vector<double> x, y, yMin, yMax;
    Curve() : x(points), y(points), yMin(points), yMax(points)
    {
        for (int i = 0; i < points; ++i) {
            const auto k = static_cast<std::size_t>(i);
            x[k] = 1500.0 + 100.0 * i / points;
            y[k] = -20.0 * std::sin(i * 1e-4) + 0.3 * std::sin(i * 0.7);
            yMin[k] = y[k] - 0.5;
            yMax[k] = y[k] + 0.5;
        }
    }
};

void BM_ReduceCurve_1M_to_1000px(benchmark::State& state)
{
    const Curve curve;
    const bool frequency = state.range(0) != 0;
    const PixelAxis axis = frequency ? PixelAxis{187.0, 200.0, 1000} : PixelAxis{1500.0, 1600.0, 1000};
    std::vector<PlotPoint> out;
    for (auto _ : state) {
        reduceCurve(curve.x, curve.y, {}, frequency, axis, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["drawn"] = static_cast<double>(out.size());
}
BENCHMARK(BM_ReduceCurve_1M_to_1000px)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReduceEnvelopes_1M_to_1000px(benchmark::State& state)
{
    const Curve curve;
    EnvelopeSeries out;
    for (auto _ : state) {
        reduceEnvelopes(curve.x, curve.yMin, curve.yMax, {}, false, {1500.0, 1600.0, 1000}, out);
        benchmark::DoNotOptimize(out.minimum.data());
    }
}
BENCHMARK(BM_ReduceEnvelopes_1M_to_1000px)->Unit(benchmark::kMillisecond);

}  // namespace
