#pragma once

// The transfer-function chart of the "Transfer functions" page, and the
// chart of the saved pictures: one QCustomPlot with the wavelength (or
// frequency) axis at the bottom, "Transfer function (dB)" on the left and
// the volt axis of the EXT curve on the right, which follows the left one.
//
// The chart is the ScanChart of the scan store: every curve that asks to be
// redrawn gets its graphs (the curve and, in continuous mode, its two
// envelopes), and every coverage area its hatched rectangles. Graphs never
// hold all points: a min/max pyramid is built once per set of points, and
// each view (zoom, pan, resize, shift, unit) is reduced from it to about
// two points per pixel when the plot is laid out, just before it draws.
//
// The chart reads the store on the user-interface thread only. The
// measurement thread never calls it; the window redraws a trace after the
// thread has handed the scan over.
//
// Mouse: a left drag toward the bottom right zooms on the rectangle, any
// other direction undoes the zoom; a click selects the nearest curve; the
// right (or middle) button pans; the wheel zooms around the pointer; with
// Ctrl held, moving the pointer drags the selected curve (its shifts). The
// cursors are grabbed within 2 pixels.
//
// The scan store's curves call the chart when they go: destroy the store
// (or detach its curves) before the chart.
//
// Only the chart sources include qcustomplot.h: the page includes this
// header without it.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "ChartAxes.h"
#include "CurveAnalysis.h"
#include "PixelReduction.h"
#include "ScanView.h"

class C_TChartCursorMnger;
class QCustomPlot;
class QMouseEvent;
class QRubberBand;
class QWheelEvent;
class ScanArea;
class ScanCurve;
class ScanManager;
class ScanTrace;
class TransfertChartPlot;

class TransfertChart : public QWidget, public ScanChart {
    Q_OBJECT

public:
    // "Wavelength limits" follows the scan range; "Static" keeps the axes.
    enum class ZoomMode { WavelengthLimits = 0, Static = 1 };
    // Shows warnings (the refused zoom); the default opens a message box.
    using MessageSink = std::function<void(const QString& title, const QString& text)>;

    explicit TransfertChart(QWidget* parent = nullptr);
    ~TransfertChart() override;

    // The store whose current trace the selection, shifts, nearest-curve
    // search and coverage updates act on; null for a chart that only shows
    // what it is handed (pictures). Its form must report this chart's unit.
    void setScanManager(ScanManager* scans);
    ScanManager* scanManager() const { return scans_; }

    // Settings the chart needs: the levels of the cursor reset and of the
    // information block, and whether the Ext curve sits on the volt axis
    // (the EXT input read as volts, not as an optical power).
    void setCurveLevels(const CurveLevels& levels) { levels_ = levels; }
    const CurveLevels& curveLevels() const { return levels_; }
    void setExtOnVoltAxis(bool onVoltAxis);
    bool extOnVoltAxis() const { return extOnVoltAxis_; }
    void setMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }

    // --- Display unit (the "=>THz" / "=>nm" button) -----------------------
    SpectralUnit unit() const { return unit_; }
    bool frequencyDisplay() const { return unit_ == SpectralUnit::THz; }
    // Switches the unit: bottom-axis title, axes reset to the scan range,
    // coverage of every trace rebuilt, series redrawn, cursors reset. The X
    // shift is typed in nm only (xShiftEnabled).
    void setFrequencyDisplay(bool frequency);
    void toggleDisplayUnit() { setFrequencyDisplay(!frequencyDisplay()); }
    bool xShiftEnabled() const { return unit_ == SpectralUnit::Nm; }

    // --- Axes and zoom -----------------------------------------------------
    // The start and stop edits (nm); in "Wavelength limits" the axes follow.
    void setScanRange(double startNm, double stopNm);
    AxisRange scanRange() const { return {scanStartNm_, scanStopNm_}; }
    void setZoomMode(ZoomMode mode);
    ZoomMode zoomMode() const { return zoomMode_; }
    // Left axis -80 to 2 dB, bottom axis the scan range; these become the
    // saved ranges.
    void resetAxes();
    // resetAxes in "Wavelength limits" mode only ("Graph Limits", a new
    // measurement, a loaded file).
    void resetAxesIfFollowing();
    // What a rubber band does: the 0.01 limit with "Can't zoom anymore",
    // the saved ranges and the shift steps. False when a range was refused.
    bool zoomTo(const ChartRanges& zoomed);
    // Back to the scan range and -80 to 2 dB; both shift steps 0.1.
    void undoZoom();
    // Sets both axes (the "Scale" dialog, "On Peak"); they become the saved ranges.
    void setRanges(const ChartRanges& ranges);
    // "On Peak": undo the zoom, then show the selected curve's peak. False
    // (nothing changes) when its 3 dB search reaches an end of the curve.
    bool zoomOnPeak();
    ChartRanges ranges() const;
    ChartRanges savedRanges() const { return saved_; }
    AxisRange rightRange() const;

    // --- Selected curve and shifts ------------------------------------------
    // The index (0 to 5) of the selected curve in the current trace.
    int selectedCurve() const { return selected_; }
    const ScanCurve* selectedCurvePointer() const;
    // Selects curve index: marker series, shift steps from the curve's axis
    // resolution; emits curveSelected and shiftIncrementsChanged.
    void selectCurve(int index);
    // A click: the current trace's curve nearest to the pixel (chart
    // coordinates) is selected. Its index, or -1 (nothing changes).
    int selectNearestCurve(QPoint pixel);
    // The shift edits: X (nm) and Y (dB) shift of the selected curve.
    void setSelectedXShift(double shift);
    void setSelectedYShift(double shift);
    void resetShifts();
    double xShiftIncrement() const { return xIncrement_; }
    double yShiftIncrement() const { return yIncrement_; }

    // --- Series ----------------------------------------------------------
    // Reduces every shown curve again for the view and replots soon (the
    // next pass of the event loop); replotNow draws at once.
    void redrawAllSeries();
    void replotNow();
    // Shows a trace without a store (a picture): its curves as they are and
    // its coverage as for the selected trace. The trace must outlive the
    // chart or be taken away with clearSeries.
    void showTrace(const ScanTrace& trace);
    void clearSeries();
    // What is drawn for a curve now: its reduced points and envelopes.
    std::vector<PlotPoint> drawnPoints(const ScanCurve& curve) const;
    EnvelopeSeries drawnEnvelopes(const ScanCurve& curve) const;
    bool curveShown(const ScanCurve& curve) const;
    int coverageRectangleCount() const;

    // The chart drawn at that size, as on screen (the chart's own size when 0).
    QImage renderPicture(int widthPixels = 0, int heightPixels = 0);

    // --- Information block and cursors ----------------------------------
    CurveInformationTexts selectedCurveInformation() const;
    C_TChartCursorMnger& cursors() { return *cursors_; }
    const C_TChartCursorMnger& cursors() const { return *cursors_; }

    // Geometry in chart pixels, for the cursors.
    QRect plotArea() const;
    double bottomToPixel(double value) const;
    double pixelToBottom(double pixel) const;
    double leftToPixel(double value) const;
    double pixelToLeft(double pixel) const;
    // The value axis a curve is drawn on (the volt axis for Ext, maybe).
    bool onVoltAxis(const ScanCurve& curve) const;
    double valueToPixel(const ScanCurve& curve, double value) const;
    double pixelToValue(const ScanCurve& curve, double pixel) const;
    void repaintCursors();

    // --- ScanChart ---------------------------------------------------------
    void curveChanged(const ScanCurve& curve) override;
    void curveRemoved(const ScanCurve& curve) override;
    void coverageChanged(const ScanArea& area) override;
    void coverageRemoved(const ScanArea& area) override;
    PixelMapping pixelMapping(const ScanCurve& curve) const override;
    std::uint32_t backgroundColour() const override { return 0xFFFFFF; }

signals:
    void curveSelected(int index, double xShift, double yShift);
    void shiftIncrementsChanged(double xIncrement, double yIncrement);
    // The chart itself gave the selected curve these shifts (a tick of a
    // Ctrl drag, resetShifts): the shift edits show them.
    void selectedShiftsChanged(double xShift, double yShift);
    // The axes show another view (zoom, undo, pan, wheel, reset, unit).
    void rangesChanged();
    // Just before the series are drawn: time to refresh the information block.
    void beforeDrawSeries();
    void displayUnitChanged(bool frequency);

private:
    friend class TransfertChartPlot;
    struct Series;
    struct Coverage;

    void mousePress(QMouseEvent* event);
    void mouseMove(QMouseEvent* event);
    void mouseRelease(QMouseEvent* event);
    void wheel(QWheelEvent* event);
    void dragTimerTick();
    void endCurveDrag();

    ScanTrace* currentTrace() const;
    Series* findSeries(const ScanCurve& curve) const;
    Series& seriesFor(const ScanCurve& curve);
    const ScanArea* coverageOf(const ScanCurve& curve) const;
    void updateSeriesLook(Series& series);
    void reduceForView();
    void showCoverage(const ScanArea& area, bool forceVisible);
    void applyRanges(const ChartRanges& ranges);
    void followLeftAxis();
    void refreshIncrements(bool bottom, bool left);
    void warn(const char* title, const char* text);
    bool inPlotArea(QPoint pixel) const;
    ChartRanges rangesOfRectangle(QPoint from, QPoint to) const;
    bool onChartThread(const char* what) const;

    QCustomPlot* plot_;
    ScanManager* scans_ = nullptr;
    CurveLevels levels_;
    bool extOnVoltAxis_ = true;
    MessageSink messageSink_;
    SpectralUnit unit_ = SpectralUnit::Nm;
    double scanStartNm_ = 1240.0;
    double scanStopNm_ = 1680.0;
    ZoomMode zoomMode_ = ZoomMode::Static;
    ChartRanges saved_;
    int selected_ = 0;
    double xIncrement_ = defaultShiftIncrement;
    double yIncrement_ = defaultShiftIncrement;

    std::vector<std::unique_ptr<Series>> series_;
    std::vector<std::unique_ptr<Coverage>> coverage_;
    std::unique_ptr<C_TChartCursorMnger> cursors_;

    // Mouse gestures.
    enum class Gesture { None, Band, Pan, Cursor };
    Gesture gesture_ = Gesture::None;
    QPoint pressPixel_;
    QPoint lastPixel_;
    QRubberBand* band_ = nullptr;

    // A Ctrl drag of the selected curve: the axis values under the pointer
    // less the shifts when it began, and the values under it now.
    bool curveDragging_ = false;
    double dragOffsetX_ = 0.0;
    double dragOffsetY_ = 0.0;
    double dragValueX_ = 0.0;
    double dragValueY_ = 0.0;
    QTimer dragTimer_;
};
