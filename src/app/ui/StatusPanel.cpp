#include "StatusPanel.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
constexpr int textIndent = 5;
constexpr int fontPointSize = 10;

QFont statusFont(const QFont& base)
{
    QFont font = base;
    font.setPointSize(fontPointSize);
    return font;
}
}  // namespace

TStatusPanel::TStatusPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("StatusPanel");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TStatusPanel::showStatus(int severity, const QString& text)
{
    severity_ = text.isEmpty() ? 0 : severity;
    text_ = text;
    update();
}

QColor TStatusPanel::background() const
{
    switch (severity_) {
    case 1: return QColor(Qt::yellow);
    case 2: return QColor(Qt::red);
    default: return palette().color(QPalette::Window);
    }
}

QSize TStatusPanel::sizeHint() const
{
    const QFontMetrics metrics(statusFont(font()));
    return {200, metrics.height() + 8};
}

void TStatusPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);
    painter.setFont(statusFont(font()));
    painter.setPen(severity_ == 2 ? QColor(Qt::white) : palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(textIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text_);
}
