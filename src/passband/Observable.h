#pragma once

// The notification model of the passband page: every analysis parameter and
// alarm limit is an observable subject; the engine, the results table and
// the page's widgets observe what they depend on.

#include <mutex>
#include <vector>

#include "AddressOrderedList.h"

class Observer {
public:
    virtual void update() = 0;

protected:
    ~Observer() = default;
};

class Observable {
public:
    Observable() = default;
    virtual ~Observable();
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    // Observers are kept once each, ordered by address; they are not owned
    // and must unregister before they go.
    bool addObserver(Observer& observer);
    bool removeObserver(Observer& observer);
    void clearObservers();
    std::size_t observerCount() const;

    void setChanged();
    bool hasChanged() const;
    // When changed is set: clears it and calls every observer once, in list
    // order. No lock is held during the calls, so an observer may read,
    // change and notify other subjects (or this one) from inside update,
    // on this thread or another.
    void notifyAll();

protected:
    // Lets derived subjects guard their own data with the same lock; never
    // hold it while notifying.
    std::recursive_mutex& guard() const { return mutex_; }

private:
    bool isObserver(Observer& observer) const;

    // Protects observers_ and changed_.
    mutable std::recursive_mutex mutex_;
    AddressOrderedList<Observer> observers_;
    bool changed_ = false;
};

// The subject that announces changes of a property's locked flag.
class Lock : public Observable {};
