#include "Wait.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

TFormWait::TFormWait(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("WaitWindow");
    setModal(false);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);
    label_ = new QLabel(frame);
    label_->setAlignment(Qt::AlignCenter);
    QFont font = label_->font();
    font.setPointSize(12);
    font.setBold(true);
    label_->setFont(font);
    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(30, 24, 30, 24);
    inner->addWidget(label_);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
}

void TFormWait::showWith(const QString& caption, const QString& text)
{
    setWindowTitle(caption);
    label_->setText(text);
    adjustSize();
    if (QWidget* owner = parentWidget()) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    // The caller blocks next (the upload): paint first.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString TFormWait::text() const { return label_->text(); }
