// The passband analysis runs after every scan of a continuous series, so it
// must never be the slow part: a full 1240-1680 nm scan at 0.5 pm (900 000
// points) on four detectors, 40 channels each on the 100 GHz grid, is to be
// analysed in under 40 ms.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "Passband.h"
#include "SelectedTraceCurves.h"
#include "Units.h"

namespace {

class SyntheticTrace : public SelectedTraceCurves {
public:
    struct Curve {
        std::string name;
        std::vector<double> wavelengthNm;
        std::vector<double> levelDb;
    };

    int curveCount() const override { return static_cast<int>(curves.size()); }
    std::optional<CurveView> curve(int index) const override
    {
        const Curve& c = curves[static_cast<std::size_t>(index)];
        return CurveView{c.name, c.wavelengthNm.size(), c.wavelengthNm.data(), c.levelDb.data()};
    }

    std::vector<Curve> curves;
};

// Forty flat-top channels (super-Gaussian, -3 dB half-width about 0.3 nm,
// 0.2 dB ripple) on consecutive 100 GHz channels, a -50 dB floor, a little
// deterministic noise; each detector's comb starts one channel further.
SyntheticTrace makeTrace()
{
    constexpr int points = 900000;
    constexpr double startNm = 1240.0;
    constexpr double stepNm = 0.0005;
    SyntheticTrace trace;
    for (int detector = 0; detector < 4; ++detector) {
        SyntheticTrace::Curve c{std::to_string(detector + 1), {}, {}};
        c.wavelengthNm.resize(points);
        c.levelDb.resize(points);
        std::vector<double> centres;
        for (int ch = 20 + detector; ch < 60 + detector; ++ch)
            centres.push_back(static_cast<double>(convertUnit(195900.0f - 100.0f * (ch - 1), Unit::GHz, Unit::Nm)));
        std::size_t next = 0;
        unsigned noise = 12345u + static_cast<unsigned>(detector);
        for (int i = 0; i < points; ++i) {
            const double w = startNm + stepNm * i;
            while (next + 1 < centres.size() && std::fabs(centres[next + 1] - w) < std::fabs(centres[next] - w))
                ++next;
            const double d = std::fabs(w - centres[next]) / 0.35;
            noise = noise * 1103515245u + 12345u;
            const double jitter = ((noise >> 16) & 0xFF) / 255.0 * 0.04 - 0.02;
            const double level = -1.5 + 0.1 * std::sin(w * 80.0) - 40.0 * d * d * d * d;
            c.wavelengthNm[static_cast<std::size_t>(i)] = w;
            c.levelDb[static_cast<std::size_t>(i)] = std::max(level, -50.0) + jitter;
        }
        trace.curves.push_back(std::move(c));
    }
    return trace;
}

void BM_AnalyseFourCurvesOf900000Points(benchmark::State& state)
{
    static const SyntheticTrace trace = makeTrace();
    Passband passband(trace);
    passband.analyse();
    std::size_t channels = 0;
    for (const auto& [name, values] : passband.results().traces()) channels += values->current().size();
    if (channels != 4 * 40) state.SkipWithError(("expected 160 channels, found " + std::to_string(channels)).c_str());
    for (auto _ : state) {
        passband.analyse();
        benchmark::ClobberMemory();
    }
    state.counters["channels"] = static_cast<double>(channels);
}
BENCHMARK(BM_AnalyseFourCurvesOf900000Points)->Unit(benchmark::kMillisecond);

}  // namespace
