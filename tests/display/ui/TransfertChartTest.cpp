// The transfer-function chart with the scan store behind it, on the
// offscreen platform: zoom and its limit, undo, the nm/THz switch, the
// shift steps, the selection by click, Ctrl dragging, the cursors and
// marker, the information block, and the pictures drawn by the same chart.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <thread>
#include <vector>

#include "Ccursors.h"
#include "ChartPicture.h"
#include "ChartPictureRenderer.h"
#include "Scanmanager.h"
#include "SyntheticDwdm.h"
#include "TransfertChart.h"

namespace {

constexpr double c = 299792.458;

// The window as the store sees it: the unit is the chart's.
struct ChartForm : ScanForm {
    const TransfertChart* chart = nullptr;
    bool frequencyDisplay() const override { return chart != nullptr && chart->frequencyDisplay(); }
    bool externalTriggerMode() const override { return false; }
};

// A shown chart with its store; the store goes before the chart.
struct Bench {
    ChartForm form;
    PlainSources sources = dwdmSources();
    TransfertChart chart;
    ScanManager scans{&form, &chart, &sources};
    QStringList messages;

    Bench()
    {
        form.chart = &chart;
        chart.resize(1100, 600);
        chart.setScanManager(&scans);
        chart.setMessageSink([this](const QString& title, const QString& text) { messages << title + ": " + text; });
        chart.setScanRange(1528, 1568);
        chart.resetAxes();
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.replotNow();
    }

    ScanTrace& dwdm(const DwdmScan& scan = {})
    {
        ScanTrace& trace = scans.NewTrace(&sources);
        fillDwdmTrace(trace, scan);
        chart.selectCurve(0);
        chart.replotNow();
        return trace;
    }

    // A trace of flat curves at the given levels, 1528 to 1568 nm.
    ScanTrace& flat(const std::vector<double>& levels)
    {
        ScanTrace& trace = scans.NewTrace(&sources);
        for (std::size_t k = 0; k < levels.size(); ++k) {
            ScanData& data = trace.AddCurve(std::to_string(k + 1), false)->data();
            data.Reserve(401);
            data.SetCount(401);
            for (int i = 0; i <= 400; ++i) data.SetPoint(i, 1528 + i * 0.1, levels[k]);
        }
        trace.RedrawAll();
        chart.replotNow();
        return trace;
    }

    QWidget* plot() { return chart.childAt(chart.plotArea().center()); }
    QPoint pixel(double x, double y) const
    {
        return QPoint(static_cast<int>(std::lround(chart.bottomToPixel(x))),
                      static_cast<int>(std::lround(chart.leftToPixel(y))));
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(at), QPointF(plot()->mapToGlobal(at)), button, buttons, modifiers);
        QApplication::sendEvent(plot(), &event);
    }
    void drag(QPoint from, QPoint to)
    {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        chart.replotNow();
    }
};

bool near(double a, double b, double tolerance = 1e-9) { return std::fabs(a - b) <= tolerance; }

}  // namespace

class TransfertChartTest : public QObject {
    Q_OBJECT

private slots:
    void axesAfterAReset();
    void zoomLimitAndUndo();
    void rubberBandZoomsAndTheReverseDragUndoes();
    void wheelZoomKeepsTheLimit();
    void zoomModeFollowsTheScanRange();
    void terahertzSwitch();
    void shiftIncrementsFollowTheResolution();
    void nearestCurveIsSelectedByClick();
    void ctrlDragShiftsTheSelectedCurve();
    void seriesAreReducedForTheView();
    void aRedrawWithTheSameLookBringsNewPoints();
    void callsFromAnotherThreadAreIgnored();
    void unselectedTracesAreBlackAndTheirCoverageHidden();
    void cursorResetWithAndWithoutCrossings();
    void cursorsShowHideModesAndGrabbing();
    void markerFollowsTheSelectedSeries();
    void informationBlockOfTheSelectedCurve();
    void onPeakZoom();
    void picturesAreDrawnByTheChart();
};

void TransfertChartTest::axesAfterAReset()
{
    Bench b;
    const ChartRanges r = b.chart.ranges();
    QCOMPARE(r.bottom, (AxisRange{1528, 1568}));
    QCOMPARE(r.left, (AxisRange{-80, 2}));
    QVERIFY(near(b.chart.rightRange().minimum, -0.4));
    QVERIFY(near(b.chart.rightRange().maximum, 2.88));
    QCOMPARE(b.chart.savedRanges(), r);
    // The right axis follows every change of the left one.
    b.chart.setRanges({{1540, 1550}, {-40, 5}});
    QVERIFY(near(b.chart.rightRange().minimum, 1.2));
    QVERIFY(near(b.chart.rightRange().maximum, 3.0));
}

void TransfertChartTest::zoomLimitAndUndo()
{
    Bench b;
    b.dwdm();
    QVERIFY(b.chart.zoomTo({{1540, 1550}, {-50, 0}}));
    QVERIFY(b.messages.isEmpty());
    QCOMPARE(b.chart.savedRanges(), (ChartRanges{{1540, 1550}, {-50, 0}}));

    // Bottom span not above 0.01: every saved range comes back.
    QVERIFY(!b.chart.zoomTo({{1545, 1545.01}, {-10, -5}}));
    QCOMPARE(b.messages, QStringList{"Zoom: Can't zoom anymore"});
    QCOMPARE(b.chart.ranges(), (ChartRanges{{1540, 1550}, {-50, 0}}));

    // Left span too narrow: the bottom zoom holds, the left range comes back.
    b.messages.clear();
    QVERIFY(!b.chart.zoomTo({{1542, 1544}, {-10, -9.995}}));
    QCOMPARE(b.messages.size(), 1);
    QCOMPARE(b.chart.ranges(), (ChartRanges{{1542, 1544}, {-50, 0}}));
    QCOMPARE(b.chart.savedRanges(), b.chart.ranges());

    // Undo: the scan range, -80 to 2 dB, shift steps 0.1.
    QSignalSpy increments(&b.chart, &TransfertChart::shiftIncrementsChanged);
    b.chart.undoZoom();
    QCOMPARE(b.chart.ranges(), (ChartRanges{{1528, 1568}, {-80, 2}}));
    QCOMPARE(b.chart.xShiftIncrement(), 0.1);
    QCOMPARE(b.chart.yShiftIncrement(), 0.1);
    QCOMPARE(increments.size(), 1);
    // A refused zoom after the undo brings back the undone view.
    b.messages.clear();
    QVERIFY(!b.chart.zoomTo({{1530, 1530.005}, {-10, -5}}));
    QCOMPARE(b.chart.ranges(), (ChartRanges{{1528, 1568}, {-80, 2}}));
}

void TransfertChartTest::rubberBandZoomsAndTheReverseDragUndoes()
{
    Bench b;
    b.dwdm();
    const QPoint from = b.pixel(1540, -10);
    const QPoint to = b.pixel(1550, -50);
    const double x0 = b.chart.pixelToBottom(from.x());
    const double x1 = b.chart.pixelToBottom(to.x());
    const double y0 = b.chart.pixelToLeft(to.y());
    const double y1 = b.chart.pixelToLeft(from.y());
    b.drag(from, to);
    QVERIFY(near(b.chart.ranges().bottom.minimum, x0));
    QVERIFY(near(b.chart.ranges().bottom.maximum, x1));
    QVERIFY(near(b.chart.ranges().left.minimum, y0));
    QVERIFY(near(b.chart.ranges().left.maximum, y1));

    // A rectangle three pixels wide at 0.01 nm per pixel is refused.
    b.chart.setRanges({{1540, 1540 + 0.01 * b.chart.plotArea().width()}, {-80, 2}});
    const ChartRanges before = b.chart.ranges();
    const QPoint p = b.pixel(1541, -20);
    b.drag(p, p + QPoint(1, 30));
    QCOMPARE(b.messages, QStringList{"Zoom: Can't zoom anymore"});
    QCOMPARE(b.chart.ranges(), before);

    b.drag(b.pixel(1545, -50), b.pixel(1541, -10));
    QCOMPARE(b.chart.ranges(), (ChartRanges{{1528, 1568}, {-80, 2}}));
}

void TransfertChartTest::wheelZoomKeepsTheLimit()
{
    Bench b;
    b.dwdm();
    const QPoint at = b.pixel(1550, -20);
    auto notch = [&](int delta) {
        QWheelEvent event(QPointF(at), QPointF(b.plot()->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(b.plot(), &event);
    };
    notch(120);
    const ChartRanges once = b.chart.ranges();
    QVERIFY(near(once.bottom.span(), 40 * 0.85, 1e-9));
    QVERIFY(once.bottom.contains(1550));
    QCOMPARE(b.chart.savedRanges(), once);
    for (int i = 0; i < 200; ++i) notch(120);
    QVERIFY(b.chart.ranges().bottom.span() > zoomLimit);
    QVERIFY(b.chart.ranges().left.span() > zoomLimit);
    QVERIFY(b.messages.isEmpty());
}

void TransfertChartTest::zoomModeFollowsTheScanRange()
{
    Bench b;
    b.chart.setRanges({{1540, 1550}, {-50, 0}});
    b.chart.setZoomMode(TransfertChart::ZoomMode::Static);
    b.chart.setScanRange(1500, 1600);
    QCOMPARE(b.chart.ranges(), (ChartRanges{{1540, 1550}, {-50, 0}}));
    b.chart.setZoomMode(TransfertChart::ZoomMode::WavelengthLimits);
    QCOMPARE(b.chart.ranges(), (ChartRanges{{1500, 1600}, {-80, 2}}));
    b.chart.setScanRange(1510, 1520);
    QCOMPARE(b.chart.ranges().bottom, (AxisRange{1510, 1520}));
    QCOMPARE(b.chart.savedRanges(), b.chart.ranges());
}

void TransfertChartTest::terahertzSwitch()
{
    Bench b;
    ScanTrace& trace = b.dwdm();
    b.chart.zoomTo({{1540, 1550}, {-50, 0}});
    QSignalSpy unit(&b.chart, &TransfertChart::displayUnitChanged);
    b.chart.setFrequencyDisplay(true);
    QCOMPARE(unit.size(), 1);
    QVERIFY(!b.chart.xShiftEnabled());
    const ChartRanges r = b.chart.ranges();
    QVERIFY(near(r.bottom.minimum, c / 1568));
    QVERIFY(near(r.bottom.maximum, c / 1528));
    QCOMPARE(r.left, (AxisRange{-80, 2}));
    QCOMPARE(b.chart.savedRanges(), r);
    // The coverage is rebuilt in THz: the gap runs from c / 1548 to c / 1545.
    bool gap = false;
    for (const CoverageShape& s : trace.coverage().shapes())
        gap = gap || (near(s.x0, c / 1548) && near(s.x1, c / 1545));
    QVERIFY(gap);
    // The curves are drawn in THz.
    b.chart.replotNow();
    const std::vector<PlotPoint> drawn = b.chart.drawnPoints(*trace.CurveAt(0));
    QVERIFY(!drawn.empty());
    QVERIFY(drawn.front().x >= c / 1568 - 0.01 && drawn.back().x <= c / 1528 + 0.01);
    // Undo in THz uses the converted scan range.
    b.chart.setRanges({{192, 193}, {-30, 0}});
    b.chart.undoZoom();
    QVERIFY(near(b.chart.ranges().bottom.minimum, c / 1568));
    QVERIFY(near(b.chart.ranges().bottom.maximum, c / 1528));
    b.chart.toggleDisplayUnit();
    QVERIFY(b.chart.xShiftEnabled());
    QCOMPARE(b.chart.ranges().bottom, (AxisRange{1528, 1568}));
}

void TransfertChartTest::shiftIncrementsFollowTheResolution()
{
    Bench b;
    b.dwdm();
    const int width = b.chart.plotArea().width();
    const int height = b.chart.plotArea().height();
    QSignalSpy increments(&b.chart, &TransfertChart::shiftIncrementsChanged);
    // 0.023 nm per pixel gives 0.01; 3 dB per pixel gives 1.
    b.chart.zoomTo({{1530, 1530 + 0.023 * width}, {-3.0 * height, 0}});
    QCOMPARE(b.chart.xShiftIncrement(), 0.01);
    QCOMPARE(b.chart.yShiftIncrement(), 1.0);
    QVERIFY(!increments.isEmpty());
    QCOMPARE(increments.last().at(0).toDouble(), 0.01);
    // A refused left range keeps the left step from the range that stays.
    b.chart.zoomTo({{1531, 1531 + 0.0023 * width}, {-1, -0.995}});
    QCOMPARE(b.chart.xShiftIncrement(), 0.001);
    QCOMPARE(b.chart.yShiftIncrement(), 1.0);
    // Selecting a curve takes the steps from the view too.
    b.chart.setRanges({{1530, 1530 + 0.5 * width}, {-0.05 * height, 0}});
    b.chart.selectCurve(1);
    QCOMPARE(b.chart.xShiftIncrement(), 0.1);
    QCOMPARE(b.chart.yShiftIncrement(), 0.01);
}

void TransfertChartTest::nearestCurveIsSelectedByClick()
{
    Bench b;
    ScanTrace& trace = b.flat({-10, -50, -30});
    QSignalSpy selected(&b.chart, &TransfertChart::curveSelected);
    trace.SetXShift(1, 0.5);
    trace.SetYShift(1, 2.0);
    // -45 dB: nearest to curve 2 drawn at -48 dB.
    const QPoint p = b.pixel(1550, -45);
    b.mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    b.mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(b.chart.selectedCurve(), 1);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.last().at(0).toInt(), 1);
    QCOMPARE(selected.last().at(1).toDouble(), 0.5);
    QCOMPARE(selected.last().at(2).toDouble(), 2.0);
    QCOMPARE(b.chart.cursors().marker().series(), trace.CurveAt(1));
    // Halfway between -10 and -30 dB the lower index wins.
    QCOMPARE(b.chart.selectNearestCurve(b.pixel(1550, -20)), 0);
    // A hidden curve is never picked.
    trace.SetCurveVisible("3", false);
    QCOMPARE(b.chart.selectNearestCurve(b.pixel(1550, -29)), 0);
}

void TransfertChartTest::ctrlDragShiftsTheSelectedCurve()
{
    Bench b;
    ScanTrace& trace = b.flat({-10, -50});
    b.chart.selectCurve(1);
    QSignalSpy shifts(&b.chart, &TransfertChart::selectedShiftsChanged);
    b.mouse(QEvent::MouseMove, b.pixel(1540, -50), Qt::NoButton, Qt::NoButton, Qt::ControlModifier);
    const QPoint to = b.pixel(1542, -40);
    b.mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::NoButton, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!shifts.isEmpty(), 2000);
    const ScanCurve& curve = *trace.CurveAt(1);
    const double expectedX = b.chart.pixelToBottom(to.x()) - b.chart.pixelToBottom(b.pixel(1540, -50).x());
    const double expectedY = b.chart.pixelToLeft(to.y()) - b.chart.pixelToLeft(b.pixel(1540, -50).y());
    QVERIFY(near(curve.xShift(), expectedX, 1e-9));
    QVERIFY(near(curve.yShift(), expectedY, 1e-9));
    QVERIFY(near(shifts.last().at(1).toDouble(), expectedY, 1e-9));
    QCOMPARE(trace.CurveAt(0)->yShift(), 0.0);
    // A move without Ctrl ends the drag: later ticks change nothing.
    b.mouse(QEvent::MouseMove, b.pixel(1560, -70), Qt::NoButton, Qt::NoButton);
    const double y = curve.yShift();
    QTest::qWait(120);
    QCOMPARE(curve.yShift(), y);

    // In THz only the Y shift follows the pointer.
    b.chart.setFrequencyDisplay(true);
    const double x = curve.xShift();
    b.mouse(QEvent::MouseMove, QPoint(400, 300), Qt::NoButton, Qt::NoButton, Qt::ControlModifier);
    b.mouse(QEvent::MouseMove, QPoint(450, 250), Qt::NoButton, Qt::NoButton, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(curve.yShift() != y, 2000);
    QCOMPARE(curve.xShift(), x);
    b.mouse(QEvent::MouseMove, QPoint(450, 250), Qt::NoButton, Qt::NoButton);
}

void TransfertChartTest::seriesAreReducedForTheView()
{
    Bench b;
    ScanTrace& trace = b.dwdm({4, 0.0005, 2, 3, 3.0});  // 80 001 points per curve, envelopes
    const ScanCurve& curve = *trace.CurveAt(2);
    const int width = b.chart.plotArea().width();
    std::vector<PlotPoint> drawn = b.chart.drawnPoints(curve);
    QVERIFY(drawn.size() <= static_cast<std::size_t>(2 * width + 4));
    QVERIFY(drawn.size() > static_cast<std::size_t>(width));
    QVERIFY(b.chart.drawnEnvelopes(curve).minimum.size() <= static_cast<std::size_t>(width + 2));

    // A zoom reduces again, for the new view only (and its two neighbours).
    b.chart.zoomTo({{1550, 1551}, {-50, 0}});
    b.chart.replotNow();
    drawn = b.chart.drawnPoints(curve);
    QVERIFY(drawn.size() >= 3);
    QVERIFY(drawn[1].x >= 1550 - 0.01 && drawn[drawn.size() - 2].x <= 1551 + 0.01);
    QVERIFY(drawn.front().x < 1550.01 && drawn.back().x > 1550.99);

    // So does a resize.
    b.chart.undoZoom();
    b.chart.resize(600, 400);
    QTRY_VERIFY(b.chart.plotArea().width() < width);
    b.chart.replotNow();
    QVERIFY(b.chart.drawnPoints(curve).size() <= static_cast<std::size_t>(2 * b.chart.plotArea().width() + 4));

    // Hiding the envelopes or the curve.
    trace.SetShowMinMax(2, false);
    QVERIFY(b.chart.curveShown(curve));
    trace.SetCurveVisible("3", false);
    QVERIFY(!b.chart.curveShown(curve));
}

void TransfertChartTest::aRedrawWithTheSameLookBringsNewPoints()
{
    Bench b;
    ScanTrace& trace = b.flat({-10});
    ScanCurve& curve = *trace.CurveAt(0);
    QCOMPARE(b.chart.drawnPoints(curve).front().y, -10.0);
    // The next scan in the same arrays, same count: the redraw shows it.
    for (int i = 0; i < curve.data().count(); ++i) curve.data().SetPoint(i, curve.data().X(i), -20.0);
    trace.RedrawAll();
    b.chart.replotNow();
    QCOMPARE(b.chart.drawnPoints(curve).front().y, -20.0);
    // A shift moves the drawn points, from the same pyramid.
    trace.SetYShift(0, 1.0);
    b.chart.replotNow();
    QCOMPARE(b.chart.drawnPoints(curve).front().y, -19.0);
}

void TransfertChartTest::callsFromAnotherThreadAreIgnored()
{
    Bench b;
    ScanTrace& trace = b.flat({-10});
    const std::size_t before = b.chart.drawnPoints(*trace.CurveAt(0)).size();
    ScanCurve stray(nullptr, nullptr, "2", 0);
    std::thread worker([&] { b.chart.curveChanged(stray); });
    worker.join();
    QVERIFY(b.chart.drawnPoints(stray).empty());
    QVERIFY(!b.chart.curveShown(stray));
    QCOMPARE(b.chart.drawnPoints(*trace.CurveAt(0)).size(), before);
}

void TransfertChartTest::unselectedTracesAreBlackAndTheirCoverageHidden()
{
    Bench b;
    ScanTrace& first = b.dwdm({1, 0.005, 1, 1, 3.0});
    QCOMPARE(b.chart.coverageRectangleCount(), static_cast<int>(first.coverage().shapes().size()));
    QVERIFY(b.chart.coverageRectangleCount() >= 3);
    auto countColour = [](const QImage& image, QRgb colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour ? 1 : 0;
        return n;
    };
    const QRgb blue = qRgb(0, 0, 255);
    QVERIFY(countColour(b.chart.renderPicture(), blue) > 100);

    // A second trace selected: the first one's curve turns black, its
    // hatching goes; the new one shows its own.
    b.scans.NewTrace(&b.sources);
    QCOMPARE(first.CurveAt(0)->colour(), curveColourBlack);
    b.chart.replotNow();
    QCOMPARE(countColour(b.chart.renderPicture(), blue), 0);
    QCOMPARE(b.chart.coverageRectangleCount(), 0);
    b.scans.Select(0);
    QCOMPARE(b.chart.coverageRectangleCount(), static_cast<int>(first.coverage().shapes().size()));
}

void TransfertChartTest::cursorResetWithAndWithoutCrossings()
{
    Bench b;
    ScanTrace& trace = b.scans.NewTrace(&b.sources);
    ScanData& data = trace.AddCurve("1", false)->data();
    // Peak 0 dB at 1550 nm, 10 dB/nm flanks to -10 dB: 3 dB crossings at 1549.7 and 1550.3 nm.
    const double x[] = {1547, 1548, 1549, 1550, 1551, 1552, 1553};
    const double y[] = {-60, -50, -10, 0, -10, -50, -60};
    data.Reserve(7);
    data.SetCount(7);
    for (int i = 0; i < 7; ++i) data.SetPoint(i, x[i], y[i]);
    trace.RedrawAll();
    b.chart.selectCurve(0);
    C_TChartCursorMnger& cursors = b.chart.cursors();
    cursors.setShown(true);
    cursors.reset();
    CursorPositions p = cursors.positions();
    QVERIFY(near(p.x1, 1549.7) && near(p.x2, 1550.3) && near(p.y1, 0) && near(p.y2, -3));

    // Values in yellow boxes, the differences in cyan ones.
    b.chart.setRanges({{1549, 1551}, {-10, 2}});
    b.chart.replotNow();
    QStringList texts;
    for (const C_TChartCursorMnger::Label& l : cursors.labels())
        texts << l.text + (l.fill == QColor(Qt::cyan) ? " cyan" : " yellow");
    QCOMPARE(texts, (QStringList{"1549.700 yellow", "1550.300 yellow", "0.000 yellow", "-3.000 yellow",
                                 "0.600 cyan", "3.00 cyan"}));

    // Crossings outside the bottom axis: thirds.
    b.chart.setRanges({{1540, 1549.5}, {-80, 2}});
    cursors.reset();
    p = cursors.positions();
    QVERIFY(near(p.x1, 1540 + 9.5 / 3) && near(p.x2, 1540 + 19.0 / 3));
    QVERIFY(near(p.y1, -80 + 82.0 / 3) && near(p.y2, -80 + 164.0 / 3));

    // A peak below the threshold: thirds.
    CurveLevels levels;
    levels.fwhmThreshold = 1.0;
    b.chart.setCurveLevels(levels);
    b.chart.undoZoom();
    cursors.reset();
    p = cursors.positions();
    QVERIFY(near(p.x1, 1528 + 40.0 / 3) && near(p.x2, 1528 + 80.0 / 3));

    // A unit change places them again, on the crossings in THz.
    b.chart.setCurveLevels({});
    b.chart.setFrequencyDisplay(true);
    p = cursors.positions();
    QVERIFY(near(p.x1, c / 1550.3) && near(p.x2, c / 1549.7));
}

void TransfertChartTest::cursorsShowHideModesAndGrabbing()
{
    Bench b;
    b.dwdm();
    C_TChartCursorMnger& cursors = b.chart.cursors();
    auto visible = [&] {
        QString v;
        for (int i = 0; i < 2; ++i) v += cursors.verticalCursor(i).visible() ? "X" : "-";
        for (int i = 0; i < 2; ++i) v += cursors.horizontalCursor(i).visible() ? "Y" : "-";
        return v + (cursors.marker().visible() ? "M" : "-");
    };
    QCOMPARE(visible(), QString("-----"));
    cursors.setShown(true);
    QCOMPARE(visible(), QString("XXYY-"));
    QVERIFY(cursors.resetEnabled());
    cursors.setMode(C_TChartCursorMnger::Mode::Marker);
    QCOMPARE(visible(), QString("----M"));
    QVERIFY(!cursors.resetEnabled());
    cursors.setShown(false);
    QCOMPARE(visible(), QString("-----"));
    cursors.setMode(C_TChartCursorMnger::Mode::Cursor);
    cursors.setShown(true);
    cursors.setPositions({1540, 1550, -20, -40});
    b.chart.replotNow();

    // Grabbed within 2 pixels, not 3; it follows the pointer inside the plot area.
    const double line = cursors.verticalCursor(0).pixel();
    const int x1 = static_cast<int>(std::lround(line));
    const int y = b.pixel(0, -60).y();
    QCOMPARE(cursors.hoverShape(QPointF(line + 2, y)), std::optional<Qt::CursorShape>(Qt::SplitHCursor));
    QVERIFY(!cursors.hoverShape(QPointF(line + 2.1, y)));
    QVERIFY(!cursors.hoverShape(QPointF(line - 2.1, y)));
    b.mouse(QEvent::MouseButtonPress, QPoint(x1 + 1, y), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(cursors.grabbing());
    const QPoint to = b.pixel(1545, -60);
    b.mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    b.mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    QVERIFY(!cursors.grabbing());
    QVERIFY(near(cursors.verticalCursor(0).position(), b.chart.pixelToBottom(to.x())));
    QCOMPARE(b.chart.ranges().bottom, (AxisRange{1528, 1568}));  // no zoom happened
    // Dragged beyond the plot area it stops at its edge.
    const int yCursor = static_cast<int>(std::lround(cursors.horizontalCursor(1).pixel()));
    b.mouse(QEvent::MouseButtonPress, QPoint(500, yCursor - 1), Qt::LeftButton, Qt::LeftButton);
    b.mouse(QEvent::MouseMove, QPoint(500, 5000), Qt::NoButton, Qt::LeftButton);
    b.mouse(QEvent::MouseButtonRelease, QPoint(500, 5000), Qt::LeftButton, Qt::NoButton);
    QVERIFY(near(cursors.horizontalCursor(1).position(), b.chart.pixelToLeft(b.chart.plotArea().bottom())));
    // A press 3 pixels away starts a rubber band instead.
    b.drag(QPoint(x1 + 3, y), QPoint(x1 + 3, y));
    QVERIFY(!cursors.grabbing());
}

void TransfertChartTest::markerFollowsTheSelectedSeries()
{
    Bench b;
    ScanTrace& trace = b.dwdm();
    b.chart.selectCurve(1);
    trace.SetYShift(1, 1.5);
    C_TChartCursorMnger& cursors = b.chart.cursors();
    cursors.setMode(C_TChartCursorMnger::Mode::Marker);
    cursors.setShown(true);
    const QPoint at = b.pixel(1550.123, -30);
    b.mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    const C_TChartCursorMaker& marker = cursors.marker();
    QVERIFY(marker.placed());
    // The series' point nearest to the pointer, with its shift.
    const ScanData& data = trace.CurveAt(1)->data();
    const double wanted = b.chart.pixelToBottom(at.x());
    int nearest = 0;
    for (int i = 0; i < data.count(); ++i)
        if (std::fabs(data.X(i) - wanted) < std::fabs(data.X(nearest) - wanted)) nearest = i;
    QCOMPARE(marker.position(), data.X(nearest));
    QCOMPARE(marker.value(), data.Y(nearest) + 1.5);
    // Another selection hands the marker another series.
    b.chart.selectCurve(3);
    QCOMPARE(marker.series(), trace.CurveAt(3));
    const ScanData& other = trace.CurveAt(3)->data();
    QCOMPARE(marker.position(), data.X(nearest));  // the same wavelength grid
    QCOMPARE(marker.value(), other.Y(nearest));
    QCOMPARE(cursors.labels().size(), std::size_t(2));
    // Its curve removed, the marker has nothing to follow.
    trace.RemoveCurve("4");
    QVERIFY(marker.series() == nullptr);
}

void TransfertChartTest::informationBlockOfTheSelectedCurve()
{
    Bench b;
    CurveInformationTexts t = b.chart.selectedCurveInformation();
    QCOMPARE(t.centre, std::string());
    QCOMPARE(t.centreCaption, std::string("Central Wavelength :"));
    ScanTrace& trace = b.scans.NewTrace(&b.sources);
    trace.AddCurve("1", false);
    ScanData& data = trace.AddCurve("2", false)->data();
    const double x[] = {1547, 1548, 1549, 1550, 1551, 1552, 1553};
    const double y[] = {-60, -50, -10, 0, -10, -50, -60};
    data.Reserve(7);
    data.SetCount(7);
    for (int i = 0; i < 7; ++i) data.SetPoint(i, x[i], y[i]);
    QSignalSpy before(&b.chart, &TransfertChart::beforeDrawSeries);
    trace.RedrawAll();
    b.chart.selectCurve(1);
    t = b.chart.selectedCurveInformation();
    QCOMPARE(t.centre, std::string("1550.0000 nm"));
    QCOMPARE(t.width, std::string("0.6000 nm"));
    QCOMPARE(t.leftSlope, std::string("25.52 dB/nm"));  // 37 dB over 1.45 nm
    QCOMPARE(t.rightSlope, std::string("-25.52 dB/nm"));
    b.chart.setFrequencyDisplay(true);
    t = b.chart.selectedCurveInformation();
    QCOMPARE(t.centre, std::string("193.4145 Thz"));
    QCOMPARE(t.width, std::string("0.0749 Thz"));
    QCOMPARE(t.leftSlope, std::string("204.76 dB/Thz"));
    QCOMPARE(t.rightSlope, std::string("-204.22 dB/Thz"));
    b.chart.replotNow();
    QVERIFY(!before.isEmpty());
}

void TransfertChartTest::onPeakZoom()
{
    Bench b;
    ScanTrace& trace = b.dwdm();
    b.chart.selectCurve(0);
    QVERIFY(b.chart.zoomOnPeak());
    const ChartRanges r = b.chart.ranges();
    QVERIFY(r.bottom.span() < 5 && r.bottom.span() > 0.3);
    QVERIFY(r.left.maximum > -3 && r.left.minimum < -40);
    QCOMPARE(b.chart.savedRanges(), r);
    // A curve whose 3 dB search reaches its first point: nothing happens.
    ScanData& data = trace.CurveAt(1)->data();
    data.SetCount(3);
    data.SetPoint(0, 1530, -10);
    data.SetPoint(1, 1531, 0);
    data.SetPoint(2, 1532, -10);
    b.chart.selectCurve(1);
    QVERIFY(!b.chart.zoomOnPeak());
    QCOMPARE(b.chart.ranges(), r);
}

void TransfertChartTest::picturesAreDrawnByTheChart()
{
    PlainSources sources = dwdmSources();
    ScanTrace trace(nullptr, nullptr, &sources);
    fillDwdmTrace(trace, {4, 0.005, 3, 2, 3.0});
    // The store's own picture path through the installed renderer.
    ChartPictures::install(std::make_shared<ChartPictureRenderer>(800, 500, true));
    const QString png = QDir::temp().filePath("vemar-chart-test.png");
    std::string error;
    QVERIFY2(trace.SavePng(png.toStdString(), &error), error.c_str());
    ChartPictures::install(nullptr);
    const QImage saved(png);
    QFile::remove(png);
    QCOMPARE(saved.size(), QSize(800, 500));

    // The same trace on a chart: the very same picture.
    TransfertChart chart;
    chart.setScanRange(1528, 1568);
    chart.resetAxes();
    chart.showTrace(trace);
    QCOMPARE(chart.renderPicture(800, 500).convertToFormat(saved.format()), saved);
    QVERIFY(chart.coverageRectangleCount() >= 3);
    chart.clearSeries();
    QCOMPARE(chart.coverageRectangleCount(), 0);

    // The window's chart as it stands.
    Bench b;
    b.dwdm();
    TransfertChartPicture live(b.chart);
    std::string bytes;
    QVERIFY2(live.encode(b.scans.Current(), PictureFormat::Png, bytes, error), error.c_str());
    QImage image;
    QVERIFY(image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "PNG"));
    QCOMPARE(image.size(), b.chart.size());
}

QTEST_MAIN(TransfertChartTest)
#include "TransfertChartTest.moc"
