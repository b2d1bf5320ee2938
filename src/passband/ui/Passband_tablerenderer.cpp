#include "Passband_tablerenderer.h"

#include "Cell.h"

void Passband_TableRenderer::drawTitle(const Cell& cell, TableCanvas& canvas, const TableRect& rect) const
{
    TableDrawing::drawTitleText(canvas, toQRect(rect), TableDrawing::toQString(cell.text()),
                                canvas.palette().color(QPalette::Button));
}

void Passband_TableRenderer::drawCell(const Cell& cell, TableCanvas& canvas, const TableRect& rect, int row) const
{
    const QRect r = toQRect(rect);
    canvas.painter().fillRect(r, TableDrawing::rowBackground(canvas, row));
    const auto* values = dynamic_cast<const CellValues*>(&cell);
    const bool alarm = values != nullptr && values->alarms[CellValues::Current];
    TableDrawing::drawCellText(canvas, r, TableDrawing::toQString(cell.text()),
                               alarm ? TableDrawing::alarmRed : canvas.palette().color(QPalette::Text));
}
