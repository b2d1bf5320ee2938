#include "StartButtonPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QIcon startButtonPicture(WindowRules::StartState state, int size)
{
    using WindowRules::StartState;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(size * 0.08, size * 0.08, size * 0.84, size * 0.84);
    QColor ring;
    switch (state) {
    case StartState::Idle: ring = QColor(0, 150, 0); break;
    case StartState::Running: ring = QColor(200, 0, 0); break;
    case StartState::StopRequested: ring = QColor(230, 140, 0); break;
    case StartState::StopPressedAgain: ring = QColor(128, 128, 128); break;
    }
    p.setPen(QPen(ring.darker(130), size * 0.05));
    p.setBrush(ring);
    p.drawEllipse(box);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const double c = size / 2.0;
    const double s = size * 0.2;
    if (state == StartState::Idle) {
        // A "play" triangle: press to start.
        QPainterPath triangle;
        triangle.moveTo(c - s * 0.8, c - s * 1.2);
        triangle.lineTo(c + s * 1.3, c);
        triangle.lineTo(c - s * 0.8, c + s * 1.2);
        triangle.closeSubpath();
        p.drawPath(triangle);
    } else if (state == StartState::Running) {
        p.drawRect(QRectF(c - s, c - s, 2 * s, 2 * s));
    } else {
        // Stopping: two bars (pause), then three dots for "waiting for the end".
        if (state == StartState::StopRequested) {
            p.drawRect(QRectF(c - s, c - s, s * 0.7, 2 * s));
            p.drawRect(QRectF(c + s * 0.3, c - s, s * 0.7, 2 * s));
        } else {
            for (int i = -1; i <= 1; ++i) p.drawEllipse(QPointF(c + i * s * 0.9, c), s * 0.3, s * 0.3);
        }
    }
    return QIcon(pixmap);
}
