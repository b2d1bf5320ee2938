#include "DoubleEditable.h"

#include <QObject>

#include "Doubleedit.h"

DoubleEditable::DoubleEditable(Editable<float>& property, TDoubleEdit& edit) : property_(property), edit_(edit)
{
    property_.addObserver(*this);
    property_.lock().addObserver(lockObserver_);
    update();
    lockObserver_.update();
    changed_ = QObject::connect(&edit_, &TDoubleEdit::changed, &edit_, [this](double value) { valueChanged(value); });
}

DoubleEditable::~DoubleEditable()
{
    QObject::disconnect(changed_);
    property_.removeObserver(*this);
    property_.lock().removeObserver(lockObserver_);
}

void DoubleEditable::update()
{
    showing_ = true;
    edit_.SetValue(property_.value());
    showing_ = false;
}

void DoubleEditable::valueChanged(double value)
{
    if (showing_) return;
    const auto v = static_cast<float>(value);
    if (property_.locked() || v == property_.value()) return;
    property_.setValue(v);
}

void DoubleEditable::LockObserver::update() { binder_.edit_.SetEnabled(!binder_.property_.locked()); }
