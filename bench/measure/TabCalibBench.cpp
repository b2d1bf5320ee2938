// Converting the four detector traces of a 333 333-sample sweep.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "TabCalib.h"

namespace {

void BM_DetectorTrace_FourDetectors(benchmark::State& state)
{
    TabCalib calib("/nonexistent", 2);
    calib.setBase(10.0);
    for (int d = 0; d < 4; ++d) {
        auto codes = calib.detectorCodes(d);
        for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = 4095 - 29 * static_cast<int>(i);
        calib.detectorWords()[static_cast<std::size_t>(d)] = 3000;
        auto response = calib.response(d);
        for (std::size_t i = 0; i < response.size(); ++i) response[i] = 0.01 * std::sin(0.1 * static_cast<double>(i));
    }
    auto output = calib.outputCodes();
    for (std::size_t i = 0; i < output.size(); ++i) output[i] = 4095 - 29 * static_cast<int>(i);

    // A filter-like trace: a slow dip with detector noise, over 1500 to 1600 nm.
    const int samples = 333333;
    std::vector<double> wavelengths(samples);
    std::vector<std::int32_t> codes(samples);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 3.0);
    for (int j = 0; j < samples; ++j) {
        wavelengths[static_cast<std::size_t>(j)] = 1500.0 + 100.0 * j / samples;
        const double dip = 1500.0 * std::exp(-std::pow((j - samples / 2) / 20000.0, 2));
        codes[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(3500 - dip + noise(random));
    }
    std::vector<double> out(samples);
    for (auto _ : state) {
        for (int d = 0; d < 4; ++d) calib.DetectorTrace(d, codes, wavelengths, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_DetectorTrace_FourDetectors)->Unit(benchmark::kMillisecond);

}  // namespace
