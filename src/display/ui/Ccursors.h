#pragma once

// The cursors of the transfer-function chart: two vertical cursors on the
// bottom axis, two horizontal ones on the left axis, and a marker (a
// vertical and a horizontal line) that follows the selected curve under the
// pointer. Lines are drawn white in XOR mode across the plot area, values in
// yellow boxes and the distances between the two cursors of a pair in cyan
// boxes (when the gap is wide enough for the text), text size 8.
//
// Shown or hidden, in cursor or marker mode: hidden shows nothing, cursor
// mode the four cursors, marker mode the marker alone. In cursor mode the
// pointer grabs a cursor within 2 pixels of it inside the plot area.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "CursorPlacement.h"

class QPainter;
class ScanCurve;
class TransfertChart;

class C_TChartCursor {
public:
    virtual ~C_TChartCursor() = default;
    C_TChartCursor(const C_TChartCursor&) = delete;
    C_TChartCursor& operator=(const C_TChartCursor&) = delete;

    // Position in axis units.
    double position() const { return position_; }
    void setPosition(double position) { position_ = position; }
    bool visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }
    // The pointer's shape while the cursor can be grabbed.
    Qt::CursorShape mouseShape() const { return shape_; }
    // Pixel position along the axis it crosses, in chart pixels.
    virtual double pixel() const = 0;
    // The span of the plot area it is drawn across.
    QRectF plotArea() const;
    // Within grabbing distance (2 pixels) inside the plot area.
    bool grabbable(QPointF pointer) const;
    // Pixels from the pointer across the line.
    virtual double distance(QPointF pointer) const = 0;
    // Follows the pointer, kept inside the plot area.
    virtual void moveTo(QPointF pointer) = 0;

    static constexpr double grabDistancePixels = 2.0;

protected:
    C_TChartCursor(const TransfertChart& chart, Qt::CursorShape shape) : chart_(chart), shape_(shape) {}

    const TransfertChart& chart_;

private:
    Qt::CursorShape shape_;
    double position_ = 0.0;
    bool visible_ = false;
};

// A vertical line at a bottom-axis value.
class C_TChartCursorX : public C_TChartCursor {
public:
    explicit C_TChartCursorX(const TransfertChart& chart) : C_TChartCursor(chart, Qt::SplitHCursor) {}
    double pixel() const override;
    double distance(QPointF pointer) const override;
    void moveTo(QPointF pointer) override;
};

// A horizontal line at a left-axis value.
class C_TChartCursorY : public C_TChartCursor {
public:
    explicit C_TChartCursorY(const TransfertChart& chart) : C_TChartCursor(chart, Qt::SplitVCursor) {}
    double pixel() const override;
    double distance(QPointF pointer) const override;
    void moveTo(QPointF pointer) override;
};

// A point of a curve's series, crossed by a vertical and a horizontal line.
// Its position is the bottom-axis value; value() the curve's drawn value
// there, on the curve's own axis.
class C_TChartCursorMaker : public C_TChartCursor {
public:
    explicit C_TChartCursorMaker(const TransfertChart& chart) : C_TChartCursor(chart, Qt::CrossCursor) {}
    void setSeries(const ScanCurve* curve);
    const ScanCurve* series() const { return series_; }
    bool placed() const { return placed_; }
    double value() const { return value_; }
    double pixel() const override;
    double valuePixel() const;
    // Takes the series point whose drawn position is nearest to the
    // pointer's bottom-axis value; nothing without a series or points.
    double distance(QPointF pointer) const override;
    void moveTo(QPointF pointer) override;
    void moveToValue(double bottomValue);

private:
    const ScanCurve* series_ = nullptr;
    bool placed_ = false;
    double value_ = 0.0;
};

class C_TChartCursorMnger {
public:
    enum class Mode { Cursor, Marker };

    explicit C_TChartCursorMnger(TransfertChart& chart);
    C_TChartCursorMnger(const C_TChartCursorMnger&) = delete;
    C_TChartCursorMnger& operator=(const C_TChartCursorMnger&) = delete;

    // "Show" / "Hide" and "Cursor" / "Marker"; each applies at once.
    void setShown(bool shown);
    bool shown() const { return shown_; }
    void setMode(Mode mode);
    Mode mode() const { return mode_; }
    // "Reset" works in cursor mode only.
    bool resetEnabled() const { return mode_ == Mode::Cursor; }
    // Makes visible what the shown flag and the mode ask for, and repaints.
    void apply();
    // "Reset" (and every unit change): the cursors on the selected curve's
    // crossings, or at thirds of the axes.
    void reset();
    void setPositions(const CursorPositions& positions);
    CursorPositions positions() const;

    // The series the marker follows (the selected curve); null for none.
    void setMarkerSeries(const ScanCurve* curve);
    // The curve is about to go.
    void curveRemoved(const ScanCurve& curve);

    C_TChartCursorX& verticalCursor(int index) { return index == 0 ? x1_ : x2_; }
    C_TChartCursorY& horizontalCursor(int index) { return index == 0 ? y1_ : y2_; }
    C_TChartCursorMaker& marker() { return marker_; }
    const C_TChartCursorX& verticalCursor(int index) const { return index == 0 ? x1_ : x2_; }
    const C_TChartCursorY& horizontalCursor(int index) const { return index == 0 ? y1_ : y2_; }
    const C_TChartCursorMaker& marker() const { return marker_; }

    // A text box drawn over the plot: a cursor's value (yellow) or the
    // distance of a pair (cyan).
    struct Label {
        QRectF box;
        QString text;
        QColor fill;
    };
    std::vector<Label> labels() const;
    void paint(QPainter& painter) const;

    // Pointer events in chart pixels; true when a cursor took the event.
    bool mousePress(QPointF pointer);
    bool mouseMove(QPointF pointer);
    bool mouseRelease(QPointF pointer);
    bool grabbing() const { return grabbed_ != nullptr; }
    // The shape the pointer shows over a grabbable cursor.
    std::optional<Qt::CursorShape> hoverShape(QPointF pointer) const;

    static constexpr int textPointSize = 8;

private:
    C_TChartCursor* grabbable(QPointF pointer) const;

    TransfertChart& chart_;
    C_TChartCursorX x1_;
    C_TChartCursorX x2_;
    C_TChartCursorY y1_;
    C_TChartCursorY y2_;
    C_TChartCursorMaker marker_;
    std::array<C_TChartCursor*, 4> cursors_;  // x1, x2, y1, y2
    bool shown_ = false;
    Mode mode_ = Mode::Cursor;
    C_TChartCursor* grabbed_ = nullptr;
};
