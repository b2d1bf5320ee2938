// The results table of a continuous series must keep up with the scans and
// scroll smoothly with 160 channels on four detectors (640 rows of 80
// pixels): a rebuild of the rows after an analysis, a switch of renderer,
// and the drawing of one scroll step of the visible rows (a frame of the
// scrolling, well under 16 ms).
//   QT_QPA_PLATFORM=offscreen build/bin/bench_passband_ui

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>

#include "Passband.h"
#include "Passband_panel.h"
#include "Passband_Value.h"
#include "Applicationconfig.h"
#include "SelectedTraceCurves.h"
#include "Table.h"

namespace {

class NoCurves : public SelectedTraceCurves {
public:
    int curveCount() const override { return 0; }
    std::optional<CurveView> curve(int) const override { return std::nullopt; }
};

// 160 channels on each of four detectors, two analyses folded so that
// minimum and maximum differ.
void fill(Passband& passband)
{
    auto& results = passband.results();
    for (int scan = 0; scan < 2; ++scan) {
        results.beginAnalysis();
        for (int detector = 1; detector <= 4; ++detector)
            for (int channel = 1; channel <= 160; ++channel) {
                Passband_Value v;
                const float drift = 0.01f * static_cast<float>(scan);
                v.values = {195.9f - 0.0125f * static_cast<float>(channel), -0.5f + drift, 8.1f, 10.2f + drift,
                            14.9f,  3.1f + drift, 0.2f, 41.0f - drift, 48.0f, -3.0f};
                results.add("Detector " + std::to_string(detector), channel, v);
            }
        results.fold();
    }
}

struct Page {
    Page() : settings(documents()), page(settings, curves)
    {
        page.resize(1010, 640);
        page.show();
        page.selectPanelClick();
        page.useContinuousRenderer();
        fill(page.passband());
        publish();
        QApplication::processEvents();
    }
    void publish()
    {
        page.passband().results().setChanged();
        page.passband().results().notifyAll();
    }
    static std::string documents()
    {
        static const QTemporaryDir folder;
        return folder.path().toStdString();
    }
    NoCurves curves;
    ApplicationConfig settings;
    TPassBandFrame page;
};

Page& page()
{
    static Page p;
    return p;
}

void BM_RebuildRows(benchmark::State& state)
{
    Page& p = page();
    for (auto _ : state) p.publish();
    state.counters["rows"] = p.page.table()->knownRowCount();
}
BENCHMARK(BM_RebuildRows)->Unit(benchmark::kMillisecond);

void BM_SwitchRenderer(benchmark::State& state)
{
    Page& p = page();
    bool continuous = true;
    for (auto _ : state) {
        continuous = !continuous;
        if (continuous)
            p.page.useContinuousRenderer();
        else
            p.page.useSingleRenderer();
    }
    p.page.useContinuousRenderer();
}
BENCHMARK(BM_SwitchRenderer)->Unit(benchmark::kMillisecond);

void BM_ScrollStep(benchmark::State& state)
{
    Page& p = page();
    QTableView* grid = p.page.table()->grid();
    QWidget* viewport = grid->viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(0);
    for (auto _ : state) {
        bar->setValue(bar->value() + 40 > bar->maximum() ? 0 : bar->value() + 40);
        viewport->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ScrollStep)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
