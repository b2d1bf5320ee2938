#include "Ccursors.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

#include "PixelBuckets.h"
#include "ScanCurve.h"
#include "TransfertChart.h"

namespace {

// The plot area from its first to its last pixel, as the axes map it.
QRectF pixelSpan(const QRect& area)
{
    return QRectF(area.left(), area.top(), area.width() - 1, area.height() - 1);
}

}  // namespace

QRectF C_TChartCursor::plotArea() const { return pixelSpan(chart_.plotArea()); }

bool C_TChartCursor::grabbable(QPointF pointer) const
{
    return visible_ && plotArea().contains(pointer) && distance(pointer) <= grabDistancePixels;
}

double C_TChartCursorX::pixel() const { return chart_.bottomToPixel(position()); }

double C_TChartCursorX::distance(QPointF pointer) const { return std::fabs(pixel() - pointer.x()); }

void C_TChartCursorX::moveTo(QPointF pointer)
{
    const QRectF area = plotArea();
    setPosition(chart_.pixelToBottom(std::clamp(pointer.x(), area.left(), area.right())));
}

double C_TChartCursorY::pixel() const { return chart_.leftToPixel(position()); }

double C_TChartCursorY::distance(QPointF pointer) const { return std::fabs(pixel() - pointer.y()); }

void C_TChartCursorY::moveTo(QPointF pointer)
{
    const QRectF area = plotArea();
    setPosition(chart_.pixelToLeft(std::clamp(pointer.y(), area.top(), area.bottom())));
}

void C_TChartCursorMaker::setSeries(const ScanCurve* curve)
{
    series_ = curve;
    if (placed_) moveToValue(position());
    if (series_ == nullptr) placed_ = false;
}

double C_TChartCursorMaker::pixel() const { return chart_.bottomToPixel(position()); }

double C_TChartCursorMaker::valuePixel() const
{
    return series_ != nullptr ? chart_.valueToPixel(*series_, value_) : 0.0;
}

double C_TChartCursorMaker::distance(QPointF pointer) const { return std::fabs(pixel() - pointer.x()); }

void C_TChartCursorMaker::moveTo(QPointF pointer) { moveToValue(chart_.pixelToBottom(pointer.x())); }

void C_TChartCursorMaker::moveToValue(double bottomValue)
{
    if (series_ == nullptr) return;
    const ScanData& data = series_->data();
    const auto n = static_cast<std::size_t>(data.count());
    if (n == 0) return;
    const bool frequency = chart_.frequencyDisplay();
    const double* x = data.x().data();
    const double* y = data.y().data();
    auto index = [&](std::size_t step) { return frequency ? n - 1 - step : step; };
    auto drawn = [&](std::size_t step) { return drawnPosition(x[index(step)], frequency, series_->xShift()); };
    // The points run in drawing order along the axis; a curve out of order
    // still gives one of its points, only perhaps not the nearest.
    std::size_t low = 0;
    std::size_t high = n;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (drawn(middle) < bottomValue)
            low = middle + 1;
        else
            high = middle;
    }
    std::size_t step = std::min(low, n - 1);
    if (low > 0 && (low == n || std::fabs(drawn(low - 1) - bottomValue) <= std::fabs(drawn(low) - bottomValue)))
        step = low - 1;
    setPosition(drawn(step));
    value_ = y[index(step)] + series_->yShift();
    placed_ = true;
}

C_TChartCursorMnger::C_TChartCursorMnger(TransfertChart& chart)
    : chart_(chart), x1_(chart), x2_(chart), y1_(chart), y2_(chart), marker_(chart), cursors_{&x1_, &x2_, &y1_, &y2_}
{
}

void C_TChartCursorMnger::setShown(bool shown)
{
    shown_ = shown;
    apply();
}

void C_TChartCursorMnger::setMode(Mode mode)
{
    mode_ = mode;
    apply();
}

void C_TChartCursorMnger::apply()
{
    const bool cursors = shown_ && mode_ == Mode::Cursor;
    const bool marker = shown_ && mode_ == Mode::Marker;
    for (C_TChartCursor* c : cursors_) c->setVisible(cursors);
    marker_.setVisible(marker);
    if (marker && !marker_.placed()) {
        const AxisRange bottom = chart_.ranges().bottom;
        marker_.moveToValue(bottom.minimum + bottom.span() / 2.0);
    }
    if (!cursors) grabbed_ = nullptr;
    chart_.repaintCursors();
}

void C_TChartCursorMnger::reset()
{
    const ScanCurve* curve = chart_.selectedCurvePointer();
    CursorPositions positions;
    if (curve != nullptr) {
        const ScanData& data = curve->data();
        const auto n = static_cast<std::size_t>(data.count());
        const CurvePoints points(data.x().first(n), data.y().first(n));
        positions = resetCursorPositions(&points, chart_.curveLevels(), chart_.unit(), chart_.ranges());
    } else {
        positions = resetCursorPositions(nullptr, chart_.curveLevels(), chart_.unit(), chart_.ranges());
    }
    setPositions(positions);
    chart_.repaintCursors();
}

void C_TChartCursorMnger::setPositions(const CursorPositions& positions)
{
    x1_.setPosition(positions.x1);
    x2_.setPosition(positions.x2);
    y1_.setPosition(positions.y1);
    y2_.setPosition(positions.y2);
}

CursorPositions C_TChartCursorMnger::positions() const
{
    return {x1_.position(), x2_.position(), y1_.position(), y2_.position()};
}

void C_TChartCursorMnger::setMarkerSeries(const ScanCurve* curve)
{
    marker_.setSeries(curve);
    if (marker_.visible()) apply();
}

void C_TChartCursorMnger::curveRemoved(const ScanCurve& curve)
{
    if (marker_.series() == &curve) marker_.setSeries(nullptr);
}

namespace {

QFont cursorFont()
{
    QFont font;
    font.setPointSize(C_TChartCursorMnger::textPointSize);
    return font;
}

}  // namespace

std::vector<C_TChartCursorMnger::Label> C_TChartCursorMnger::labels() const
{
    std::vector<Label> out;
    const QRectF area = pixelSpan(chart_.plotArea());
    if (area.isEmpty()) return out;
    const QFontMetricsF metrics(cursorFont());
    const double height = metrics.height() + 2.0;
    auto box = [&](const QString& text) { return QRectF(0, 0, metrics.horizontalAdvance(text) + 6.0, height); };
    // A box kept inside the plot area.
    auto placed = [&](QRectF r, double centreX, double centreY) {
        r.moveCenter(QPointF(centreX, centreY));
        r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() - r.width())));
        r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() - r.height())));
        return r;
    };
    auto inside = [](double pixel, double from, double to) { return from <= pixel && pixel <= to; };
    const double top = area.top() + 1.0;
    const double left = area.left() + 1.0;
    const QColor yellow(Qt::yellow);
    const QColor cyan(Qt::cyan);
    // Boxes stand beside their line, on the side away from the other cursor
    // of the pair, so that neither hides a line nor the other's value.
    auto beside = [&](QRectF r, double pixel, bool before, bool vertical) {
        if (vertical)
            r.moveTopLeft(QPointF(before ? pixel - 1.0 - r.width() : pixel + 2.0, top));
        else
            r.moveTopLeft(QPointF(left, before ? pixel - 1.0 - r.height() : pixel + 2.0));
        return placed(r, r.center().x(), r.center().y());
    };

    const C_TChartCursorX* xFirst = x1_.pixel() <= x2_.pixel() ? &x1_ : &x2_;
    for (const C_TChartCursorX* c : {&x1_, &x2_}) {
        if (!c->visible() || !inside(c->pixel(), area.left(), area.right())) continue;
        const QString text = QString::fromStdString(cursorValueText(c->position()));
        out.push_back({beside(box(text), c->pixel(), c == xFirst, true), text, yellow});
    }
    const C_TChartCursorY* yUpper = y1_.pixel() <= y2_.pixel() ? &y1_ : &y2_;
    for (const C_TChartCursorY* c : {&y1_, &y2_}) {
        if (!c->visible() || !inside(c->pixel(), area.top(), area.bottom())) continue;
        const QString text = QString::fromStdString(cursorValueText(c->position()));
        out.push_back({beside(box(text), c->pixel(), c == yUpper, false), text, yellow});
    }
    if (x1_.visible() && x2_.visible()) {
        const QString text = QString::fromStdString(verticalCursorsDifferenceText(x1_.position(), x2_.position()));
        const QRectF r = box(text);
        if (std::fabs(x2_.pixel() - x1_.pixel()) > r.width() + 4.0)
            out.push_back({placed(r, (x1_.pixel() + x2_.pixel()) / 2.0, top + height / 2.0), text, cyan});
    }
    if (y1_.visible() && y2_.visible()) {
        const QString text = QString::fromStdString(horizontalCursorsDifferenceText(y1_.position(), y2_.position()));
        const QRectF r = box(text);
        if (std::fabs(y2_.pixel() - y1_.pixel()) > r.height() + 4.0)
            out.push_back({placed(r, area.right() - 1.0 - r.width() / 2.0, (y1_.pixel() + y2_.pixel()) / 2.0), text,
                           cyan});
    }
    if (marker_.visible() && marker_.placed() && marker_.series() != nullptr) {
        if (inside(marker_.pixel(), area.left(), area.right())) {
            const QString text = QString::fromStdString(cursorValueText(marker_.position()));
            out.push_back({beside(box(text), marker_.pixel(), false, true), text, yellow});
        }
        if (inside(marker_.valuePixel(), area.top(), area.bottom())) {
            const QString text = QString::fromStdString(cursorValueText(marker_.value()));
            out.push_back({beside(box(text), marker_.valuePixel(), true, false), text, yellow});
        }
    }
    return out;
}

void C_TChartCursorMnger::paint(QPainter& painter) const
{
    const QRectF area = pixelSpan(chart_.plotArea());
    if (area.isEmpty()) return;
    painter.save();
    painter.setClipRect(chart_.plotArea());
    painter.setRenderHint(QPainter::Antialiasing, false);
    // XOR keeps a line visible over any curve, grid or hatch beneath it.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 1));
    auto vertical = [&](double x) { painter.drawLine(QPointF(std::round(x), area.top()), QPointF(std::round(x), area.bottom())); };
    auto horizontal = [&](double y) { painter.drawLine(QPointF(area.left(), std::round(y)), QPointF(area.right(), std::round(y))); };
    for (const C_TChartCursorX* c : {&x1_, &x2_})
        if (c->visible()) vertical(c->pixel());
    for (const C_TChartCursorY* c : {&y1_, &y2_})
        if (c->visible()) horizontal(c->pixel());
    if (marker_.visible() && marker_.placed() && marker_.series() != nullptr) {
        vertical(marker_.pixel());
        horizontal(marker_.valuePixel());
    }

    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setFont(cursorFont());
    for (const Label& label : labels()) {
        painter.fillRect(label.box, label.fill);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(label.box);
        painter.drawText(label.box, Qt::AlignCenter, label.text);
    }
    painter.restore();
}

C_TChartCursor* C_TChartCursorMnger::grabbable(QPointF pointer) const
{
    if (!shown_ || mode_ != Mode::Cursor) return nullptr;
    C_TChartCursor* nearest = nullptr;
    for (C_TChartCursor* c : cursors_) {
        if (c->grabbable(pointer) && (nearest == nullptr || c->distance(pointer) < nearest->distance(pointer)))
            nearest = c;
    }
    return nearest;
}

bool C_TChartCursorMnger::mousePress(QPointF pointer)
{
    grabbed_ = grabbable(pointer);
    return grabbed_ != nullptr;
}

bool C_TChartCursorMnger::mouseMove(QPointF pointer)
{
    if (grabbed_ != nullptr) {
        grabbed_->moveTo(pointer);
        chart_.repaintCursors();
        return true;
    }
    if (marker_.visible() && pixelSpan(chart_.plotArea()).contains(pointer)) {
        marker_.moveTo(pointer);
        chart_.repaintCursors();
    }
    return false;
}

bool C_TChartCursorMnger::mouseRelease(QPointF)
{
    const bool wasGrabbing = grabbed_ != nullptr;
    grabbed_ = nullptr;
    return wasGrabbing;
}

std::optional<Qt::CursorShape> C_TChartCursorMnger::hoverShape(QPointF pointer) const
{
    if (const C_TChartCursor* c = grabbable(pointer)) return c->mouseShape();
    return std::nullopt;
}
