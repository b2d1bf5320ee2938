#pragma once

// Binds an Editable<float> to a decimal edit box: the box shows the value
// and is greyed out while the property is locked; a value the user sets in
// the box becomes the property's value.

#include <QMetaObject>

#include "Editable.h"
#include "Observable.h"

class TDoubleEdit;

class DoubleEditable : public Observer {
public:
    // Registers with the property and its lock and runs both updates once.
    DoubleEditable(Editable<float>& property, TDoubleEdit& edit);
    ~DoubleEditable();
    DoubleEditable(const DoubleEditable&) = delete;
    DoubleEditable& operator=(const DoubleEditable&) = delete;

    // The property's value into the edit box.
    void update() override;
    // The edit box's change: a locked property, or the value it holds
    // already, is left alone.
    void valueChanged(double value);

    Editable<float>& property() const { return property_; }
    TDoubleEdit& edit() const { return edit_; }

    class LockObserver : public Observer {
    public:
        explicit LockObserver(DoubleEditable& binder) : binder_(binder) {}
        void update() override;

    private:
        DoubleEditable& binder_;
    };

private:
    Editable<float>& property_;
    TDoubleEdit& edit_;
    LockObserver lockObserver_{*this};
    QMetaObject::Connection changed_;
    // Set while update() writes into the box: the box then announces the
    // value it shows, which is the property's value rounded to the box's
    // decimals (or held inside its bounds) and must not replace it.
    bool showing_ = false;
};
