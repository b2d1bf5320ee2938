#include "TransfertChart.h"

#include <qcustomplot.h>

#include <QMessageBox>
#include <QMouseEvent>
#include <QRubberBand>
#include <QThread>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "Ccursors.h"
#include "ChartDialogRules.h"
#include "CurveInformation.h"
#include "CurvePyramid.h"
#include "Log.h"
#include "ScanArea.h"
#include "ScanCurve.h"
#include "ScanTrace.h"
#include "Scanmanager.h"

// The plot itself; it hands the pointer to the chart.
class TransfertChartPlot : public QCustomPlot {
public:
    explicit TransfertChartPlot(TransfertChart& chart) : QCustomPlot(&chart), chart_(chart) {}

protected:
    void mousePressEvent(QMouseEvent* event) override { chart_.mousePress(event); }
    void mouseMoveEvent(QMouseEvent* event) override { chart_.mouseMove(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { chart_.mouseRelease(event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }
    void wheelEvent(QWheelEvent* event) override { chart_.wheel(event); }

private:
    TransfertChart& chart_;
};

namespace {

// The volt axis' labels, "#0.000#", whatever the locale.
class VoltTicker : public QCPAxisTicker {
protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override
    {
        return QString::fromStdString(voltAxisLabel(tick));
    }
};

// Paints the cursors over the curves, on the paint buffer the curves are
// drawn on (the XOR lines need what lies beneath them).
class CursorLayer : public QCPLayerable {
public:
    CursorLayer(QCustomPlot* plot, const C_TChartCursorMnger& cursors)
        : QCPLayerable(plot, QStringLiteral("cursors")), cursors_(cursors)
    {
    }

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override { painter->setAntialiasing(false); }
    void draw(QCPPainter* painter) override { cursors_.paint(*painter); }
    QRect clipRect() const override { return mParentPlot->axisRect()->rect(); }

private:
    const C_TChartCursorMnger& cursors_;
};

// The envelopes' lines are two pixels wide, drawn as a one-pixel line and
// its copy one pixel down and right: QPainter strokes a wide pen segment by
// segment, some forty times slower, which turns eight envelopes of a
// thousand segments into a replot of 150 ms.
class EnvelopeGraph : public QCPGraph {
public:
    EnvelopeGraph(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPGraph(keyAxis, valueAxis) {}

protected:
    void drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const override
    {
        QCPGraph::drawLinePlot(painter, lines);
        painter->save();
        painter->translate(1.0, 1.0);
        QCPGraph::drawLinePlot(painter, lines);
        painter->restore();
    }
};

QColor colourOf(std::uint32_t rgb)
{
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

void setGraphPoints(QCPGraph* graph, const std::vector<PlotPoint>& points)
{
    QVector<QCPGraphData> data;
    data.reserve(static_cast<qsizetype>(points.size()));
    for (const PlotPoint& p : points) data.append(QCPGraphData(p.x, p.y));
    // The reduction keeps the drawing order, which runs along the axis.
    graph->data()->set(data, true);
}

bool envelopesShown(const ScanCurve& curve) { return curve.visible() && curve.hasEnvelopes() && curve.showMinMax(); }

AxisRange rangeOf(const QCPAxis* axis) { return {axis->range().lower, axis->range().upper}; }

}  // namespace

struct TransfertChart::Series {
    const ScanCurve* curve = nullptr;
    QCPGraph* minimum = nullptr;
    QCPGraph* maximum = nullptr;
    QCPGraph* line = nullptr;
    // The regions its trace's sources did not cover: no line crosses them.
    const ScanArea* coverage = nullptr;

    // The points the pyramids were built from, as far as can be seen from
    // outside: where they are, how many, how many scans the envelopes hold.
    CurvePyramids pyramids;
    const double* points = nullptr;
    const double* reference = nullptr;
    int count = -1;
    int capacity = -1;
    std::int32_t scans = -1;
    bool envelopes = false;
    std::uint64_t generation = 0;

    // The curve's look at its last redraw.
    double xShift = 0.0;
    double yShift = 0.0;
    bool visible = false;
    bool showMinMax = false;
    std::uint32_t colour = 0;

    // The view the graphs hold a reduction for.
    struct View {
        AxisRange bottom;
        int widthPixels = -1;
        SpectralUnit unit = SpectralUnit::Nm;
        double xShift = 0.0;
        double yShift = 0.0;
        bool visible = false;
        bool envelopes = false;
        std::uint64_t generation = 0;
        friend bool operator==(const View&, const View&) = default;
    };
    View reducedFor;
    std::vector<PlotPoint> drawn;
    EnvelopeSeries drawnEnvelopes;
};

struct TransfertChart::Coverage {
    const ScanArea* area = nullptr;
    std::vector<QCPItemRect*> rectangles;
};

TransfertChart::TransfertChart(QWidget* parent)
    : QWidget(parent), plot_(new TransfertChartPlot(*this)), cursors_(std::make_unique<C_TChartCursorMnger>(*this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);

    // Tick labels with "." whatever the user's locale.
    plot_->setLocale(QLocale::c());
    plot_->setMouseTracking(true);
    plot_->setInteractions(QCP::Interactions());
    plot_->legend->setVisible(false);
    plot_->setBackground(QColor(0xF0, 0xF0, 0xF0));
    // The plot area is painted into the curves' buffer, so that the XOR
    // cursors have something opaque to invert.
    plot_->axisRect()->setBackground(QColor(colourOf(backgroundColour())));
    plot_->xAxis->setLabel(bottomAxisTitle(unit_));
    plot_->yAxis->setLabel(leftAxisTitle);
    plot_->yAxis2->setVisible(true);
    plot_->yAxis2->setLabel(rightAxisTitle);
    plot_->yAxis2->grid()->setVisible(false);
    plot_->yAxis2->setTicker(QSharedPointer<QCPAxisTicker>(new VoltTicker));

    plot_->addLayer(QStringLiteral("coverage"), plot_->layer(QStringLiteral("grid")), QCustomPlot::limAbove);
    plot_->addLayer(QStringLiteral("cursors"), plot_->layer(QStringLiteral("legend")), QCustomPlot::limAbove);
    new CursorLayer(plot_, *cursors_);  // owned by the plot

    connect(plot_->yAxis, QOverload<const QCPRange&>::of(&QCPAxis::rangeChanged), this,
            &TransfertChart::followLeftAxis);
    connect(plot_, &QCustomPlot::afterLayout, this, &TransfertChart::reduceForView);
    connect(plot_, &QCustomPlot::beforeReplot, this, &TransfertChart::beforeDrawSeries);

    band_ = new QRubberBand(QRubberBand::Rectangle, plot_);
    dragTimer_.setInterval(50);
    connect(&dragTimer_, &QTimer::timeout, this, &TransfertChart::dragTimerTick);
    messageSink_ = [this](const QString& title, const QString& text) { QMessageBox::warning(this, title, text); };

    resetAxes();
}

TransfertChart::~TransfertChart()
{
    // The plot's cursor layer paints from the cursor manager: it goes first.
    delete plot_;
}

bool TransfertChart::onChartThread(const char* what) const
{
    if (QThread::currentThread() == thread()) return true;
    Log::error("TransfertChart::%s called off the user-interface thread: ignored\n", what);
    return false;
}

void TransfertChart::setScanManager(ScanManager* scans)
{
    scans_ = scans;
    selectCurve(selected_);
}

void TransfertChart::setExtOnVoltAxis(bool onVoltAxis)
{
    extOnVoltAxis_ = onVoltAxis;
    for (auto& s : series_) updateSeriesLook(*s);
    redrawAllSeries();
}

// --- Series ------------------------------------------------------------------

TransfertChart::Series* TransfertChart::findSeries(const ScanCurve& curve) const
{
    for (const auto& s : series_)
        if (s->curve == &curve) return s.get();
    return nullptr;
}

TransfertChart::Series& TransfertChart::seriesFor(const ScanCurve& curve)
{
    auto s = std::make_unique<Series>();
    s->curve = &curve;
    // Envelopes first, so that the curve is drawn over them.
    s->minimum = new EnvelopeGraph(plot_->xAxis, plot_->yAxis);  // owned by the plot
    s->maximum = new EnvelopeGraph(plot_->xAxis, plot_->yAxis);
    s->line = plot_->addGraph(plot_->xAxis, plot_->yAxis);
    for (QCPGraph* g : {s->minimum, s->maximum, s->line}) g->setAdaptiveSampling(true);
    series_.push_back(std::move(s));
    return *series_.back();
}

void TransfertChart::updateSeriesLook(Series& s)
{
    const ScanCurve& curve = *s.curve;
    QCPAxis* valueAxis = onVoltAxis(curve) ? plot_->yAxis2 : plot_->yAxis;
    const QColor colour = colourOf(curve.colour());
    static_assert(ScanCurve::envelopePenWidth == 2, "EnvelopeGraph draws two-pixel lines");
    const QPen envelopePen(colour.lighter(150));
    for (QCPGraph* g : {s.minimum, s.maximum}) {
        g->setValueAxis(valueAxis);
        g->setPen(envelopePen);
        g->setVisible(envelopesShown(curve));
    }
    s.line->setValueAxis(valueAxis);
    s.line->setPen(QPen(colour));
    s.line->setVisible(curve.visible());
}

void TransfertChart::curveChanged(const ScanCurve& curve)
{
    if (!onChartThread("curveChanged")) return;
    Series* existing = findSeries(curve);
    Series& s = existing != nullptr ? *existing : seriesFor(curve);
    const ScanData& data = curve.data();
    const bool pointsMoved = s.points != data.x().data() || s.reference != data.xRef().data()
                             || s.count != data.count() || s.capacity != data.capacity() || s.scans != data.nbScan()
                             || s.envelopes != curve.hasEnvelopes();
    const bool lookChanged = s.xShift != curve.xShift() || s.yShift != curve.yShift() || s.visible != curve.visible()
                             || s.showMinMax != curve.showMinMax() || s.colour != curve.colour();
    // The store asks for a redraw when the points, the shifts, the colour
    // or the visibility change; a redraw that leaves the look as it was
    // brings new points (the same arrays may hold the next scan).
    if (existing == nullptr || pointsMoved || !lookChanged) {
        s.pyramids = buildPyramids(curve);
        s.points = data.x().data();
        s.reference = data.xRef().data();
        s.count = data.count();
        s.capacity = data.capacity();
        s.scans = data.nbScan();
        s.envelopes = curve.hasEnvelopes();
        ++s.generation;
    }
    if (s.coverage == nullptr) s.coverage = coverageOf(curve);
    s.xShift = curve.xShift();
    s.yShift = curve.yShift();
    s.visible = curve.visible();
    s.showMinMax = curve.showMinMax();
    s.colour = curve.colour();
    updateSeriesLook(s);
    redrawAllSeries();
}

const ScanArea* TransfertChart::coverageOf(const ScanCurve& curve) const
{
    if (scans_ == nullptr) return nullptr;
    for (int t = 0; t < scans_->Count(); ++t) {
        const ScanTrace& trace = scans_->Get(t);
        for (int i = 0; i < trace.CurveCount(); ++i)
            if (trace.CurveAt(i) == &curve) return &trace.coverage();
    }
    return nullptr;
}

void TransfertChart::curveRemoved(const ScanCurve& curve)
{
    if (!onChartThread("curveRemoved")) return;
    cursors_->curveRemoved(curve);
    const auto it = std::find_if(series_.begin(), series_.end(), [&](const auto& s) { return s->curve == &curve; });
    if (it == series_.end()) return;
    for (QCPGraph* g : {(*it)->minimum, (*it)->maximum, (*it)->line}) plot_->removeGraph(g);
    series_.erase(it);
    redrawAllSeries();
}

void TransfertChart::reduceForView()
{
    const int width = plot_->axisRect()->width();
    // Not laid out yet: the next layout reduces.
    if (width <= 0) return;
    const AxisRange bottom = rangeOf(plot_->xAxis);
    const PixelAxis axis{bottom.minimum, bottom.maximum, width};
    const bool frequency = frequencyDisplay();
    for (auto& s : series_) {
        const ScanCurve& curve = *s->curve;
        const Series::View view{bottom,         width,          unit_, curve.xShift(), curve.yShift(),
                                curve.visible(), envelopesShown(curve), s->generation};
        if (view == s->reducedFor) continue;
        s->reducedFor = view;
        if (!curve.visible()) continue;
        reduceCurve(curve, s->pyramids, frequency, axis, s->drawn);
        if (s->coverage != nullptr) breakAcrossCoverage(s->drawn, *s->coverage, curve.xShift());
        setGraphPoints(s->line, s->drawn);
        if (view.envelopes) {
            reduceEnvelopes(curve, s->pyramids, frequency, axis, s->drawnEnvelopes);
            if (s->coverage != nullptr) {
                breakAcrossCoverage(s->drawnEnvelopes.minimum, *s->coverage, curve.xShift());
                breakAcrossCoverage(s->drawnEnvelopes.maximum, *s->coverage, curve.xShift());
            }
            setGraphPoints(s->minimum, s->drawnEnvelopes.minimum);
            setGraphPoints(s->maximum, s->drawnEnvelopes.maximum);
        }
    }
}

void TransfertChart::redrawAllSeries() { plot_->replot(QCustomPlot::rpQueuedReplot); }

void TransfertChart::replotNow() { plot_->replot(QCustomPlot::rpImmediateRefresh); }

void TransfertChart::showTrace(const ScanTrace& trace)
{
    for (int i = 0; i < trace.CurveCount(); ++i) {
        curveChanged(*trace.CurveAt(i));
        findSeries(*trace.CurveAt(i))->coverage = &trace.coverage();
    }
    showCoverage(trace.coverage(), true);
}

void TransfertChart::clearSeries()
{
    while (!series_.empty()) curveRemoved(*series_.back()->curve);
    while (!coverage_.empty()) coverageRemoved(*coverage_.back()->area);
}

std::vector<PlotPoint> TransfertChart::drawnPoints(const ScanCurve& curve) const
{
    const Series* s = findSeries(curve);
    return s != nullptr ? s->drawn : std::vector<PlotPoint>{};
}

EnvelopeSeries TransfertChart::drawnEnvelopes(const ScanCurve& curve) const
{
    const Series* s = findSeries(curve);
    return s != nullptr ? s->drawnEnvelopes : EnvelopeSeries{};
}

bool TransfertChart::curveShown(const ScanCurve& curve) const
{
    const Series* s = findSeries(curve);
    return s != nullptr && s->line->visible();
}

QImage TransfertChart::renderPicture(int widthPixels, int heightPixels)
{
    // The plot lays itself out for the picture's size, and the curves are
    // reduced for that width, before it draws.
    return plot_->toPixmap(widthPixels > 0 ? widthPixels : plot_->width(),
                           heightPixels > 0 ? heightPixels : plot_->height())
        .toImage();
}

// --- Coverage ------------------------------------------------------------------

void TransfertChart::coverageChanged(const ScanArea& area)
{
    if (!onChartThread("coverageChanged")) return;
    showCoverage(area, false);
}

void TransfertChart::showCoverage(const ScanArea& area, bool forceVisible)
{
    auto it = std::find_if(coverage_.begin(), coverage_.end(), [&](const auto& c) { return c->area == &area; });
    if (it == coverage_.end()) {
        coverage_.push_back(std::make_unique<Coverage>());
        coverage_.back()->area = &area;
        it = std::prev(coverage_.end());
    }
    Coverage& c = **it;
    for (auto& s : series_)
        if (s->coverage == &area) ++s->generation;
    for (QCPItemRect* r : c.rectangles) plot_->removeItem(r);
    c.rectangles.clear();
    if (forceVisible || area.visible()) {
        const QBrush hatch(colourOf(ScanArea::hatchColour(backgroundColour())), Qt::BDiagPattern);
        for (const CoverageShape& shape : area.shapes()) {
            auto* r = new QCPItemRect(plot_);  // owned by the plot
            r->setLayer(QStringLiteral("coverage"));
            r->setSelectable(false);
            r->setPen(Qt::NoPen);
            r->setBrush(hatch);
            r->topLeft->setCoords(shape.x0, CoverageShape::y1);
            r->bottomRight->setCoords(shape.x1, CoverageShape::y0);
            c.rectangles.push_back(r);
        }
    }
    redrawAllSeries();
}

void TransfertChart::coverageRemoved(const ScanArea& area)
{
    if (!onChartThread("coverageRemoved")) return;
    for (auto& s : series_)
        if (s->coverage == &area) s->coverage = nullptr;
    const auto it = std::find_if(coverage_.begin(), coverage_.end(), [&](const auto& c) { return c->area == &area; });
    if (it == coverage_.end()) return;
    for (QCPItemRect* r : (*it)->rectangles) plot_->removeItem(r);
    coverage_.erase(it);
    redrawAllSeries();
}

int TransfertChart::coverageRectangleCount() const
{
    int count = 0;
    for (const auto& c : coverage_) count += static_cast<int>(c->rectangles.size());
    return count;
}

// --- Geometry -------------------------------------------------------------------

QRect TransfertChart::plotArea() const { return plot_->axisRect()->rect(); }

double TransfertChart::bottomToPixel(double value) const { return plot_->xAxis->coordToPixel(value); }
double TransfertChart::pixelToBottom(double pixel) const { return plot_->xAxis->pixelToCoord(pixel); }
double TransfertChart::leftToPixel(double value) const { return plot_->yAxis->coordToPixel(value); }
double TransfertChart::pixelToLeft(double pixel) const { return plot_->yAxis->pixelToCoord(pixel); }

bool TransfertChart::onVoltAxis(const ScanCurve& curve) const { return extOnVoltAxis_ && curve.name() == "Ext"; }

double TransfertChart::valueToPixel(const ScanCurve& curve, double value) const
{
    return (onVoltAxis(curve) ? plot_->yAxis2 : plot_->yAxis)->coordToPixel(value);
}

double TransfertChart::pixelToValue(const ScanCurve& curve, double pixel) const
{
    return (onVoltAxis(curve) ? plot_->yAxis2 : plot_->yAxis)->pixelToCoord(pixel);
}

PixelMapping TransfertChart::pixelMapping(const ScanCurve& curve) const
{
    auto linear = [](const QCPAxis* axis, double& offset, double& scale) {
        const QCPRange r = axis->range();
        const double low = axis->coordToPixel(r.lower);
        const double high = axis->coordToPixel(r.upper);
        scale = (high - low) / (r.upper - r.lower);
        offset = low - scale * r.lower;
    };
    PixelMapping map;
    linear(plot_->xAxis, map.xOffset, map.xScale);
    linear(onVoltAxis(curve) ? plot_->yAxis2 : plot_->yAxis, map.yOffset, map.yScale);
    return map;
}

void TransfertChart::repaintCursors() { plot_->replot(QCustomPlot::rpQueuedReplot); }

bool TransfertChart::inPlotArea(QPoint pixel) const { return plotArea().contains(pixel); }

// --- Axes -----------------------------------------------------------------------

ChartRanges TransfertChart::ranges() const { return {rangeOf(plot_->xAxis), rangeOf(plot_->yAxis)}; }

AxisRange TransfertChart::rightRange() const { return rangeOf(plot_->yAxis2); }

void TransfertChart::followLeftAxis()
{
    const AxisRange volts = voltAxisRange(rangeOf(plot_->yAxis));
    plot_->yAxis2->setRange(volts.minimum, volts.maximum);
}

void TransfertChart::applyRanges(const ChartRanges& r)
{
    plot_->xAxis->setRange(r.bottom.minimum, r.bottom.maximum);
    plot_->yAxis->setRange(r.left.minimum, r.left.maximum);
    redrawAllSeries();
    emit rangesChanged();
}

void TransfertChart::setFrequencyDisplay(bool frequency)
{
    const SpectralUnit unit = frequency ? SpectralUnit::THz : SpectralUnit::Nm;
    if (unit == unit_) return;
    // A drag's X offset was taken in the other unit.
    endCurveDrag();
    unit_ = unit;
    plot_->xAxis->setLabel(bottomAxisTitle(unit_));
    resetAxes();
    // The coverage shapes are kept in the display unit.
    if (scans_ != nullptr)
        for (int i = 0; i < scans_->Count(); ++i) scans_->Get(i).UpdateCoverage();
    redrawAllSeries();
    cursors_->reset();
    emit displayUnitChanged(frequency);
}

void TransfertChart::setScanRange(double startNm, double stopNm)
{
    scanStartNm_ = startNm;
    scanStopNm_ = stopNm;
    resetAxesIfFollowing();
}

void TransfertChart::setZoomMode(ZoomMode mode)
{
    zoomMode_ = mode;
    resetAxesIfFollowing();
}

void TransfertChart::resetAxes()
{
    applyRanges(resetRanges(scanStartNm_, scanStopNm_, unit_));
    saved_ = ranges();
}

void TransfertChart::resetAxesIfFollowing()
{
    if (zoomMode_ == ZoomMode::WavelengthLimits) resetAxes();
}

void TransfertChart::refreshIncrements(bool bottom, bool left)
{
    const ScanCurve* curve = selectedCurvePointer();
    const QRect area = plotArea();
    // Without a curve, or before the plot has a size, the steps stay.
    if (curve == nullptr || area.width() <= 0 || area.height() <= 0) return;
    if (bottom) xIncrement_ = shiftIncrement(plot_->xAxis->range().size() / area.width());
    if (left) {
        const QCPAxis* valueAxis = onVoltAxis(*curve) ? plot_->yAxis2 : plot_->yAxis;
        yIncrement_ = shiftIncrement(valueAxis->range().size() / area.height());
    }
    emit shiftIncrementsChanged(xIncrement_, yIncrement_);
}

bool TransfertChart::zoomTo(const ChartRanges& zoomed)
{
    const ZoomDecision d = decideZoom(zoomed, saved_);
    applyRanges(d.shown);
    saved_ = ranges();
    refreshIncrements(d.bottomIncrementFollows, d.leftIncrementFollows);
    replotNow();
    if (d.bottomRefused) warn(zoomRefusedTitle, zoomRefusedText);
    if (d.leftRefused) warn(zoomRefusedTitle, zoomRefusedText);
    return !d.bottomRefused && !d.leftRefused;
}

void TransfertChart::undoZoom()
{
    // The undone view is what a refused zoom comes back to.
    resetAxes();
    xIncrement_ = defaultShiftIncrement;
    yIncrement_ = defaultShiftIncrement;
    emit shiftIncrementsChanged(xIncrement_, yIncrement_);
}

void TransfertChart::setRanges(const ChartRanges& r)
{
    applyRanges(r);
    saved_ = ranges();
}

bool TransfertChart::zoomOnPeak()
{
    const ScanCurve* curve = selectedCurvePointer();
    if (curve == nullptr) return false;
    const ScanData& data = curve->data();
    const auto n = static_cast<std::size_t>(data.count());
    const std::optional<PeakZoom> zoom = peakZoom(CurvePoints(data.x().first(n), data.y().first(n)), unit_);
    if (!zoom) return false;
    undoZoom();
    setRanges({{zoom->bottomMinimum, zoom->bottomMaximum}, {zoom->leftMinimum, zoom->leftMaximum}});
    return true;
}

void TransfertChart::warn(const char* title, const char* text)
{
    if (messageSink_) messageSink_(QString::fromUtf8(title), QString::fromUtf8(text));
}

ChartRanges TransfertChart::rangesOfRectangle(QPoint from, QPoint to) const
{
    const QRect area = plotArea();
    auto clampX = [&](int x) { return std::clamp(x, area.left(), area.right()); };
    auto clampY = [&](int y) { return std::clamp(y, area.top(), area.bottom()); };
    const double x0 = pixelToBottom(clampX(from.x()));
    const double x1 = pixelToBottom(clampX(to.x()));
    const double y0 = pixelToLeft(clampY(from.y()));
    const double y1 = pixelToLeft(clampY(to.y()));
    return {{std::min(x0, x1), std::max(x0, x1)}, {std::min(y0, y1), std::max(y0, y1)}};
}

// --- Selection and shifts --------------------------------------------------------------

ScanTrace* TransfertChart::currentTrace() const { return scans_ != nullptr ? &scans_->Current() : nullptr; }

const ScanCurve* TransfertChart::selectedCurvePointer() const
{
    const ScanTrace* trace = currentTrace();
    return trace != nullptr ? trace->CurveAt(selected_) : nullptr;
}

void TransfertChart::selectCurve(int index)
{
    selected_ = index;
    const ScanCurve* curve = selectedCurvePointer();
    cursors_->setMarkerSeries(curve);
    refreshIncrements(true, true);
    emit curveSelected(index, curve != nullptr ? curve->xShift() : 0.0, curve != nullptr ? curve->yShift() : 0.0);
}

int TransfertChart::selectNearestCurve(QPoint pixel)
{
    const ScanTrace* trace = currentTrace();
    if (trace == nullptr) return -1;
    const int index = trace->NearestCurve(pixel.x(), pixel.y());
    if (index >= 0) selectCurve(index);
    return index;
}

void TransfertChart::setSelectedXShift(double shift)
{
    if (ScanTrace* trace = currentTrace()) trace->SetXShift(selected_, shift);
}

void TransfertChart::setSelectedYShift(double shift)
{
    if (ScanTrace* trace = currentTrace()) trace->SetYShift(selected_, shift);
}

void TransfertChart::resetShifts()
{
    setSelectedXShift(0.0);
    setSelectedYShift(0.0);
    emit selectedShiftsChanged(0.0, 0.0);
}

CurveInformationTexts TransfertChart::selectedCurveInformation() const
{
    return curveInformation(selectedCurvePointer(), levels_, unit_);
}

// --- Pointer --------------------------------------------------------------------

void TransfertChart::mousePress(QMouseEvent* event)
{
    event->accept();
    const QPoint p = event->position().toPoint();
    if (gesture_ != Gesture::None) return;
    if (event->button() == Qt::LeftButton) {
        if (cursors_->mousePress(p)) {
            gesture_ = Gesture::Cursor;
            return;
        }
        if (!inPlotArea(p)) return;
        gesture_ = Gesture::Band;
        pressPixel_ = p;
    } else if ((event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) && inPlotArea(p)) {
        gesture_ = Gesture::Pan;
        lastPixel_ = p;
        plot_->setCursor(Qt::ClosedHandCursor);
    }
}

void TransfertChart::mouseMove(QMouseEvent* event)
{
    event->accept();
    const QPoint p = event->position().toPoint();
    if (event->modifiers().testFlag(Qt::ControlModifier) && gesture_ == Gesture::None) {
        const ScanCurve* curve = selectedCurvePointer();
        if (curve == nullptr) return;
        const double x = pixelToBottom(p.x());
        const double y = pixelToValue(*curve, p.y());
        if (!curveDragging_) {
            curveDragging_ = true;
            dragOffsetY_ = y - curve->yShift();
            if (xShiftEnabled()) dragOffsetX_ = x - curve->xShift();
            dragTimer_.start();
            plot_->setCursor(Qt::SizeAllCursor);
        }
        dragValueX_ = x;
        dragValueY_ = y;
        return;
    }
    if (curveDragging_) endCurveDrag();

    switch (gesture_) {
    case Gesture::Cursor:
        cursors_->mouseMove(p);
        return;
    case Gesture::Band:
        if ((p - pressPixel_).manhattanLength() > 3) {
            band_->setGeometry(QRect(pressPixel_, p).normalized());
            band_->show();
        }
        return;
    case Gesture::Pan: {
        const double dx = pixelToBottom(lastPixel_.x()) - pixelToBottom(p.x());
        const double dy = pixelToLeft(lastPixel_.y()) - pixelToLeft(p.y());
        lastPixel_ = p;
        ChartRanges r = ranges();
        r.bottom = {r.bottom.minimum + dx, r.bottom.maximum + dx};
        r.left = {r.left.minimum + dy, r.left.maximum + dy};
        applyRanges(r);
        return;
    }
    case Gesture::None:
        break;
    }
    cursors_->mouseMove(p);
    if (const std::optional<Qt::CursorShape> shape = cursors_->hoverShape(p))
        plot_->setCursor(*shape);
    else
        plot_->unsetCursor();
}

void TransfertChart::mouseRelease(QMouseEvent* event)
{
    event->accept();
    const QPoint p = event->position().toPoint();
    const Gesture gesture = gesture_;
    gesture_ = Gesture::None;
    switch (gesture) {
    case Gesture::Cursor:
        cursors_->mouseRelease(p);
        break;
    case Gesture::Band: {
        band_->hide();
        const QPoint moved = p - pressPixel_;
        if (moved.manhattanLength() <= 3)
            selectNearestCurve(p);
        else if (moved.x() > 0 && moved.y() > 0)
            zoomTo(rangesOfRectangle(pressPixel_, p));
        else
            undoZoom();
        break;
    }
    case Gesture::Pan:
        saved_ = ranges();
        plot_->unsetCursor();
        break;
    case Gesture::None:
        break;
    }
}

void TransfertChart::wheel(QWheelEvent* event)
{
    event->accept();
    const QPoint p = event->position().toPoint();
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0.0 || !inPlotArea(p) || gesture_ != Gesture::None) return;
    // Each notch shows 85 % of the span around the pointer; a notch that
    // would pass the zoom limit is ignored, as a wheel gives no message.
    const double factor = std::pow(0.85, steps);
    ChartRanges r = ranges();
    const std::optional<AxisRange> bottom = zoomAround(r.bottom, pixelToBottom(p.x()), factor);
    if (!bottom) return;
    const std::optional<AxisRange> left = zoomAround(r.left, pixelToLeft(p.y()), factor);
    r.bottom = *bottom;
    if (left) r.left = *left;
    applyRanges(r);
    saved_ = ranges();
    refreshIncrements(true, left.has_value());
}

void TransfertChart::dragTimerTick()
{
    ScanTrace* trace = currentTrace();
    const ScanCurve* curve = selectedCurvePointer();
    if (trace == nullptr || curve == nullptr) {
        endCurveDrag();
        return;
    }
    const double y = std::clamp(dragValueY_ - dragOffsetY_, shiftEdit.minimum, shiftEdit.maximum);
    double x = curve->xShift();
    if (xShiftEnabled()) x = std::clamp(dragValueX_ - dragOffsetX_, shiftEdit.minimum, shiftEdit.maximum);
    if (y != curve->yShift()) trace->SetYShift(selected_, y);
    if (x != curve->xShift()) trace->SetXShift(selected_, x);
    emit selectedShiftsChanged(x, y);
}

void TransfertChart::endCurveDrag()
{
    if (!curveDragging_) return;
    curveDragging_ = false;
    dragTimer_.stop();
    plot_->unsetCursor();
}
