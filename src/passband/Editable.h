#pragma once

// Observable properties: a value, the default a load falls back to when the
// file has no entry, and a lock that freezes the value during a measurement.

#include <mutex>

#include "Observable.h"

template <typename T>
class Readable : public Observable {
public:
    explicit Readable(T initial) : value_(initial), defaultValue_(initial) {}
    Readable(T initial, T defaultValue) : value_(initial), defaultValue_(defaultValue) {}

    T value() const
    {
        std::lock_guard hold(guard());
        return value_;
    }
    T defaultValue() const { return defaultValue_; }
    bool locked() const
    {
        std::lock_guard hold(guard());
        return locked_;
    }
    // Observers of the locked flag register here.
    Lock& lock() { return lock_; }

protected:
    T value_;
    bool locked_ = false;
    Lock lock_;

private:
    const T defaultValue_;
};

template <typename T>
class Editable : public Readable<T> {
public:
    using Readable<T>::Readable;

    // A locked property, or the value already held, changes nothing and
    // calls nobody; otherwise the property's observers are notified, after
    // the property's lock is released (they read other properties).
    void setValue(T v)
    {
        {
            std::lock_guard hold(this->guard());
            if (this->locked_ || v == this->value_) return;
            this->value_ = v;
            this->setChanged();
        }
        this->notifyAll();
    }

    // Only the lock's observers hear of it, and only when the flag changes.
    void setLocked(bool flag)
    {
        {
            std::lock_guard hold(this->guard());
            if (this->locked_ == flag) return;
            this->locked_ = flag;
            this->lock_.setChanged();
        }
        this->lock_.notifyAll();
    }
};
