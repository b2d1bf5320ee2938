// The pyramid of a million-point curve: built once per scan, then a new
// view reduced from it, against the plain reduction of the same view.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "CurvePyramid.h"

namespace {

constexpr int points = 1000000;

struct Curve {
    std::vector<double> x, y;
    Curve() : x(points), y(points)
    {
        for (int i = 0; i < points; ++i) {
            const auto k = static_cast<std::size_t>(i);
            x[k] = 1500.0 + 100.0 * i / points;
            y[k] = -20.0 * std::sin(i * 1e-4) + 0.3 * std::sin(i * 0.7);
        }
    }
};

const Curve& curve()
{
    static const Curve c;
    return c;
}

void BM_PyramidBuild_1M(benchmark::State& state)
{
    for (auto _ : state) {
        ExtremaPyramid pyramid(curve().x, curve().y, curve().y);
        benchmark::DoNotOptimize(pyramid.size());
    }
}
BENCHMARK(BM_PyramidBuild_1M)->Unit(benchmark::kMillisecond);

// Arg 0: the whole curve; 1: a tenth of it; 2: a thousandth.
PixelAxis viewOf(int zoom)
{
    switch (zoom) {
    case 0: return {1500.0, 1600.0, 1000};
    case 1: return {1540.0, 1550.0, 1000};
    default: return {1545.0, 1545.1, 1000};
    }
}

void BM_PyramidReduce_1M_to_1000px(benchmark::State& state)
{
    const ExtremaPyramid pyramid(curve().x, curve().y, curve().y);
    const PixelAxis axis = viewOf(static_cast<int>(state.range(0)));
    std::vector<PlotPoint> out;
    for (auto _ : state) {
        reduceCurve(curve().x, curve().y, pyramid, {}, false, axis, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["drawn"] = static_cast<double>(out.size());
}
BENCHMARK(BM_PyramidReduce_1M_to_1000px)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_PlainReduce_1M_to_1000px(benchmark::State& state)
{
    const PixelAxis axis = viewOf(static_cast<int>(state.range(0)));
    std::vector<PlotPoint> out;
    for (auto _ : state) {
        reduceCurve(curve().x, curve().y, {}, false, axis, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_PlainReduce_1M_to_1000px)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
