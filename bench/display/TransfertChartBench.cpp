// The transfer-function chart with four curves of 900 000 points each and
// their envelopes, 1000 pixels wide, on the offscreen platform: a replot of
// the view as it is, a zoom (a new reduction from the pyramids, then the
// replot), and a new scan (pyramids built again).

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ScanCurve.h"
#include "TransfertChart.h"

namespace {

constexpr int points = 900000;
constexpr int plotWidth = 1000;

struct FourCurves {
    TransfertChart chart;
    std::vector<std::unique_ptr<ScanCurve>> curves;

    FourCurves()
    {
        chart.resize(plotWidth + 120, 600);
        chart.setScanRange(1528, 1568);
        chart.resetAxes();
        chart.show();
        QApplication::processEvents();
        chart.replotNow();
        // Make the plot area itself 1000 pixels wide.
        chart.resize(chart.width() + plotWidth - chart.plotArea().width(), 600);
        QApplication::processEvents();
        chart.replotNow();

        std::mt19937 random(5);
        std::normal_distribution<double> noise(0.0, 0.5);
        for (int d = 0; d < 4; ++d) {
            auto curve = std::make_unique<ScanCurve>(nullptr, &chart, std::to_string(d + 1), curvePaletteColour(d));
            curve->setEnvelopes(true);
            ScanData& data = curve->data();
            data.Reserve(points + 200);
            data.SetCount(points);
            for (int i = 0; i < points; ++i) {
                const double x = 1528.0 + 40.0 * i / points;
                const double offset = std::remainder(x - 1528.4 - 0.8 * d, 3.2);
                const double y = std::max(-3.0 - 4.343 * std::pow(offset / 0.3, 6.0), -45.0 + noise(random));
                data.SetPoint(i, x, y);
            }
            data.StartEnvelopes(true);
            for (int i = 0; i < points; ++i) {
                data.yMin()[static_cast<std::size_t>(i)] -= 0.3 + 0.1 * std::fabs(noise(random));
                data.yMax()[static_cast<std::size_t>(i)] += 0.3 + 0.1 * std::fabs(noise(random));
            }
            curve->Redraw();
            curves.push_back(std::move(curve));
        }
        chart.replotNow();
    }
};

// Made on first use, and gone before the application object (main).
std::unique_ptr<FourCurves> g_fixture;

FourCurves& fixture()
{
    if (!g_fixture) g_fixture = std::make_unique<FourCurves>();
    return *g_fixture;
}

void BM_Replot_4x900k_1000px(benchmark::State& state)
{
    FourCurves& f = fixture();
    f.chart.resetAxes();
    f.chart.replotNow();
    for (auto _ : state) f.chart.replotNow();
    state.counters["plotWidth"] = f.chart.plotArea().width();
    state.counters["drawnPoints"] = static_cast<double>(f.chart.drawnPoints(*f.curves[0]).size());
}
BENCHMARK(BM_Replot_4x900k_1000px)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Each iteration shows another view: a new reduction of the eight envelope
// and four curve graphs from the pyramids, then the replot.
void BM_Zoom_4x900k_1000px(benchmark::State& state)
{
    FourCurves& f = fixture();
    const ChartRanges views[] = {
        {{1528, 1568}, {-80, 2}},
        {{1540, 1545}, {-50, 0}},
        {{1531.2, 1531.9}, {-10, -2}},
        {{1535, 1560}, {-60, 0}},
    };
    std::size_t k = 0;
    for (auto _ : state) {
        f.chart.setRanges(views[k++ % 4]);
        f.chart.replotNow();
    }
}
BENCHMARK(BM_Zoom_4x900k_1000px)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A new scan in the same arrays: every pyramid built again, then a replot.
void BM_NewScan_4x900k_1000px(benchmark::State& state)
{
    FourCurves& f = fixture();
    f.chart.resetAxes();
    for (auto _ : state) {
        for (const auto& curve : f.curves) curve->Redraw();
        f.chart.replotNow();
    }
}
BENCHMARK(BM_NewScan_4x900k_1000px)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    // The curves call the chart when they go: they go first, then the
    // chart, while the application object still stands.
    if (g_fixture) g_fixture->curves.clear();
    g_fixture.reset();
    benchmark::Shutdown();
    return 0;
}
