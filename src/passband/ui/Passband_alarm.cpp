#include "Passband_alarm.h"

#include <QHBoxLayout>
#include <QLabel>

#include "DoubleEditable.h"
#include "Doubleedit.h"

void setUpEdit(TDoubleEdit& edit, double minimum, double maximum, double increment, int precision)
{
    edit.SetRange(minimum, maximum);
    edit.SetIncrement(increment);
    edit.SetPrecision(precision);
}

Passband_Alarm::Passband_Alarm(const QString& caption, Editable<float>& limit, double minimum, double maximum,
                               double increment, const QString& unit, QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFixedHeight(rowHeight);

    caption_ = new QLabel(caption, this);
    caption_->setObjectName(QStringLiteral("caption"));
    edit_ = new TDoubleEdit(this);
    edit_->setObjectName(QStringLiteral("limitEdit"));
    edit_->setFixedSize(editWidth, editHeight);
    setUpEdit(*edit_, minimum, maximum, increment, 1);
    unit_ = new QLabel(unit, this);
    unit_->setObjectName(QStringLiteral("unitLabel"));
    unit_->setIndent(unitIndent);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(border, border, border, border);
    layout->setSpacing(0);
    layout->addStretch(1);
    layout->addWidget(caption_);
    layout->addSpacing(5);
    layout->addWidget(edit_);
    layout->addWidget(unit_);
    layout->addStretch(1);

    binder_ = std::make_unique<DoubleEditable>(limit, *edit_);
}

Passband_Alarm::~Passband_Alarm() = default;

void Passband_Alarm::setUnit(const QString& unit) { unit_->setText(unit); }
