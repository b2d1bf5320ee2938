#include "Passband_continousrenderer.h"

#include <QFontMetrics>

#include "Cell.h"

namespace {

constexpr int textInset = 2;

}  // namespace

void Passband_ContinousRenderer::drawTitle(const Cell& cell, TableCanvas& canvas, const TableRect& rect) const
{
    TableDrawing::drawTitleText(canvas, toQRect(rect), TableDrawing::toQString(cell.text()),
                                canvas.palette().color(QPalette::Button));
}

void Passband_ContinousRenderer::drawCell(const Cell& cell, TableCanvas& canvas, const TableRect& rect,
                                          int row) const
{
    const QRect r = toQRect(rect);
    QPainter& p = canvas.painter();
    p.fillRect(r, TableDrawing::rowBackground(canvas, row));
    const auto* values = dynamic_cast<const CellValues*>(&cell);
    const QColor text = canvas.palette().color(QPalette::Text);
    const int lineHeight = QFontMetrics(p.font()).height();
    p.save();
    p.setClipRect(r);
    for (int which = 0; which < 3; ++which) {
        const std::string& line = values != nullptr ? values->texts[static_cast<std::size_t>(which)]
                                  : which == CellValues::Current ? cell.text()
                                                                 : std::string();
        const bool alarm = values != nullptr && values->alarms[static_cast<std::size_t>(which)];
        p.setPen(alarm ? TableDrawing::alarmRed : text);
        const QRect lineRect(r.left() + textInset, r.top() + lineTops[which], r.width() - 2 * textInset, lineHeight);
        p.drawText(lineRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, TableDrawing::toQString(line));
    }
    p.restore();
}

std::vector<std::string> Passband_ContinousRenderer::cellLines(const Cell& cell) const
{
    if (const auto* values = dynamic_cast<const CellValues*>(&cell))
        return {values->texts[CellValues::Min], values->texts[CellValues::Current], values->texts[CellValues::Max]};
    return {cell.text()};
}
