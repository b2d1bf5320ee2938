#pragma once

// What the table renderers draw with: the canvas behind the framework's
// TableCanvas (the grid's painter and palette), the renderer base of this
// window layer, and the drawing every renderer shares.

#include <QColor>
#include <QPainter>
#include <QPalette>
#include <QRect>
#include <QString>
#include <string>
#include <vector>

#include "Cell.h"
#include "TableRenderer.h"

class TableCanvas {
public:
    TableCanvas(QPainter& painter, const QPalette& palette) : painter_(painter), palette_(palette) {}
    QPainter& painter() const { return painter_; }
    const QPalette& palette() const { return palette_; }

private:
    QPainter& painter_;
    const QPalette& palette_;
};

// right and bottom lie just outside the rectangle.
inline QRect toQRect(const TableRect& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }
inline TableRect toTableRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// A renderer also says which texts it shows in a cell, top to bottom, so
// that copying the table gives what the user sees.
class TTableRenderer : public TableRenderer {
public:
    virtual ~TTableRenderer() = default;
    virtual std::vector<std::string> cellLines(const Cell& cell) const { return {cell.text()}; }
};

namespace TableDrawing {

// Data rows with an odd index lie on silver, the others on the grid's base colour.
inline const QColor silver{192, 192, 192};
QColor rowBackground(const TableCanvas& canvas, int row);
// The failure colour of the figures.
inline const QColor alarmRed{255, 0, 0};

// Bold, centred, word-wrapped text on the given background.
void drawTitleText(TableCanvas& canvas, const QRect& rect, const QString& text, const QColor& background);
// Left-aligned, word-wrapped text, vertically centred, in the given colour.
void drawCellText(TableCanvas& canvas, const QRect& rect, const QString& text, const QColor& colour);

QString toQString(const std::string& text);

}  // namespace TableDrawing
