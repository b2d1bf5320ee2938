// chart_pictures FOLDER: the chart on a synthetic DWDM scan in the states
// worth looking at, each grabbed from the shown widget into FOLDER/NAME.png:
//   dwdm        four curves and the hatched gap no source covered
//   cursors     cursors shown, reset on the selected curve's first channel
//   marker      marker mode, following curve "2"
//   zoom        "On Peak" on curve "1", cursors reset there
//   gap         zoomed on the gap, curve "3" shifted
//   thz         the frequency display, cursors reset
//   envelopes   a 3-scan continuous run with its envelopes, zoomed on a channel
//   unselected  an older trace drawn black under the current one
// Run it under xvfb-run (or QT_QPA_PLATFORM=offscreen).

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPixmap>

#include <cstdio>

#include "Ccursors.h"
#include "Scanmanager.h"
#include "SyntheticDwdm.h"
#include "TransfertChart.h"

namespace {

struct ChartForm : ScanForm {
    const TransfertChart* chart = nullptr;
    bool frequencyDisplay() const override { return chart != nullptr && chart->frequencyDisplay(); }
    bool externalTriggerMode() const override { return false; }
};

struct Window {
    ChartForm form;
    PlainSources sources = dwdmSources();
    TransfertChart chart;
    ScanManager scans{&form, &chart, &sources};

    Window()
    {
        form.chart = &chart;
        chart.resize(1100, 600);
        chart.setScanManager(&scans);
        chart.setMessageSink([](const QString& title, const QString& text) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        });
        chart.setScanRange(1528, 1568);
        chart.resetAxes();
        chart.show();
    }

    void save(const QDir& folder, const char* name)
    {
        chart.replotNow();
        QApplication::processEvents();
        const QString path = folder.filePath(QString::fromUtf8(name) + ".png");
        if (!chart.grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::printf("%s\n", qPrintable(path));
    }
};

void hover(TransfertChart& chart, double x, double y)
{
    QWidget* plot = chart.childAt(chart.plotArea().center());
    const QPointF at(chart.bottomToPixel(x), chart.leftToPixel(y));
    QMouseEvent event(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &event);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: chart_pictures FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) return 1;

    {
        Window w;
        ScanTrace& trace = w.scans.NewTrace(&w.sources);
        fillDwdmTrace(trace);
        w.chart.selectCurve(0);
        w.save(folder, "dwdm");

        C_TChartCursorMnger& cursors = w.chart.cursors();
        cursors.setShown(true);
        cursors.reset();
        w.save(folder, "cursors");

        w.chart.selectCurve(1);
        cursors.setMode(C_TChartCursorMnger::Mode::Marker);
        w.chart.replotNow();
        hover(w.chart, 1550.1, -20);
        w.save(folder, "marker");

        cursors.setMode(C_TChartCursorMnger::Mode::Cursor);
        w.chart.selectCurve(0);
        w.chart.zoomOnPeak();
        cursors.reset();
        w.save(folder, "zoom");

        cursors.setShown(false);
        w.chart.selectCurve(2);
        w.chart.setSelectedYShift(-5);
        w.chart.setRanges({{1543.5, 1549.5}, {-55, 0}});
        w.save(folder, "gap");

        w.chart.setSelectedYShift(0);
        w.chart.setFrequencyDisplay(true);
        cursors.setShown(true);
        cursors.reset();
        w.save(folder, "thz");
    }
    {
        Window w;
        ScanTrace& trace = w.scans.NewTrace(&w.sources);
        fillDwdmTrace(trace, {4, 0.005, 3, 5, 3.0});
        w.chart.selectCurve(0);
        w.chart.setRanges({{1530.8, 1534.8}, {-50, 0}});
        w.save(folder, "envelopes");
    }
    {
        Window w;
        ScanTrace& older = w.scans.NewTrace(&w.sources);
        fillDwdmTrace(older, {2, 0.005, 1, 7, 6.0});
        ScanTrace& current = w.scans.NewTrace(&w.sources);
        fillDwdmTrace(current, {2, 0.005, 1, 8, 3.0});
        w.chart.selectCurve(0);
        w.chart.setRanges({{1536, 1546}, {-50, 0}});
        w.save(folder, "unselected");
    }
    return 0;
}
