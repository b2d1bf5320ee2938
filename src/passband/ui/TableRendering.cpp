#include "TableRendering.h"

#include <QFont>

#include "Cell.h"

namespace TableDrawing {

namespace {

// Text keeps clear of the grid lines.
constexpr int textInset = 2;

}  // namespace

QColor rowBackground(const TableCanvas& canvas, int row)
{
    return row % 2 != 0 ? silver : canvas.palette().color(QPalette::Base);
}

void drawTitleText(TableCanvas& canvas, const QRect& rect, const QString& text, const QColor& background)
{
    QPainter& p = canvas.painter();
    p.fillRect(rect, background);
    QFont bold = p.font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(canvas.palette().color(QPalette::ButtonText));
    p.drawText(rect.adjusted(textInset, 0, -textInset, 0), Qt::AlignCenter | Qt::TextWordWrap, text);
}

void drawCellText(TableCanvas& canvas, const QRect& rect, const QString& text, const QColor& colour)
{
    QPainter& p = canvas.painter();
    p.setPen(colour);
    p.drawText(rect.adjusted(textInset, 0, -textInset, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
               text);
}

QString toQString(const std::string& text) { return QString::fromStdString(text); }

}  // namespace TableDrawing
