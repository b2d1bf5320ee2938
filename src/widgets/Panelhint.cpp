#include "Panelhint.h"

#include <QColor>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>

TPanelHint::TPanelHint(QWidget* owner) : QFrame(owner)
{
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setAutoFillBackground(true);
    // The colours are fixed rather than taken from the theme: a dark theme's
    // light text would vanish on the pale yellow.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor::fromRgb(BackgroundRgb));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);

    label_ = new QLabel(this);
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label_->setAutoFillBackground(true);
    label_->setPalette(colours);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 2, 3, 2);
    layout->addWidget(label_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    hide();
}

void TPanelHint::SetText(const QString& text)
{
    label_->setText(text);
    adjustSize();
}

QString TPanelHint::Text() const { return label_->text(); }
