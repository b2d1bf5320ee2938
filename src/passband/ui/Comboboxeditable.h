#pragma once

// Binds an Editable<T> of an enumeration to a combo box over a list of
// (value, text) choices: the box shows the choice of the value (the first
// one when no choice has it) and is greyed out while the property is locked;
// a choice the user makes becomes the property's value.

#include <QComboBox>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QVariant>
#include <vector>

#include "Associate.h"
#include "Editable.h"
#include "Observable.h"

template <typename T>
class ComboBoxEditable : public Observer {
public:
    // The choices stay owned by the caller and must outlive the binder. The
    // box is emptied and filled with their texts, each carrying its value.
    ComboBoxEditable(const std::vector<Associate<T>>& associates, Editable<T>& property, QComboBox& combo)
        : property_(property), combo_(combo)
    {
        for (const Associate<T>& a : associates) associates_.push_back(&a);
        combo_.clear();
        for (const Associate<T>* a : associates_)
            combo_.addItem(QString::fromStdString(a->text), QVariant(static_cast<int>(a->value)));
        property_.addObserver(*this);
        property_.lock().addObserver(lockObserver_);
        update();
        lockObserver_.update();
        // Only the user's choices: selecting the shown entry from update()
        // must not change the property (a value without a choice shows the
        // first entry and keeps its value).
        activated_ = QObject::connect(&combo_, &QComboBox::activated, &combo_, [this](int index) { changed(index); });
    }
    ~ComboBoxEditable()
    {
        QObject::disconnect(activated_);
        property_.removeObserver(*this);
        property_.lock().removeObserver(lockObserver_);
    }
    ComboBoxEditable(const ComboBoxEditable&) = delete;
    ComboBoxEditable& operator=(const ComboBoxEditable&) = delete;

    void update() override
    {
        const int index = combo_.findData(QVariant(static_cast<int>(property_.value())));
        combo_.setCurrentIndex(index >= 0 ? index : 0);
    }

    // The user chose the entry at index.
    void changed(int index)
    {
        if (index < 0 || index >= combo_.count()) return;
        const QVariant data = combo_.itemData(index);
        if (!data.isValid() || property_.locked()) return;
        const auto value = static_cast<T>(data.toInt());
        if (value == property_.value()) return;
        property_.setValue(value);
    }

    Editable<T>& property() const { return property_; }
    QComboBox& combo() const { return combo_; }

    class LockObserver : public Observer {
    public:
        explicit LockObserver(ComboBoxEditable& binder) : binder_(binder) {}
        void update() override { binder_.combo_.setEnabled(!binder_.property_.locked()); }

    private:
        ComboBoxEditable& binder_;
    };

private:
    Editable<T>& property_;
    std::vector<const Associate<T>*> associates_;
    QComboBox& combo_;
    LockObserver lockObserver_{*this};
    QMetaObject::Connection activated_;
};
