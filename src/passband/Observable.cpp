#include "Observable.h"

Observable::~Observable() { clearObservers(); }

bool Observable::addObserver(Observer& observer)
{
    std::lock_guard lock(mutex_);
    return observers_.add(observer);
}

bool Observable::removeObserver(Observer& observer)
{
    std::lock_guard lock(mutex_);
    return observers_.remove(observer);
}

void Observable::clearObservers()
{
    std::lock_guard lock(mutex_);
    observers_.clear();
}

std::size_t Observable::observerCount() const
{
    std::lock_guard lock(mutex_);
    return observers_.size();
}

void Observable::setChanged()
{
    std::lock_guard lock(mutex_);
    changed_ = true;
}

bool Observable::hasChanged() const
{
    std::lock_guard lock(mutex_);
    return changed_;
}

void Observable::notifyAll()
{
    // The observers run without the lock: an observer that reads or sets
    // other subjects (the engine analyses again, locking every parameter)
    // must not hold this one's lock meanwhile, or two threads changing two
    // subjects would wait for each other. The flag is cleared first, so a
    // change made while the observers run is notified by its own call.
    std::vector<Observer*> observers;
    {
        std::lock_guard lock(mutex_);
        if (!changed_) return;
        changed_ = false;
        observers.reserve(observers_.size());
        for (std::size_t i = 0; i < observers_.size(); ++i) observers.push_back(&observers_[i]);
    }
    for (Observer* observer : observers) {
        // One that (against the rules) unregistered during the notification
        // may be gone already: it is not called.
        if (isObserver(*observer)) observer->update();
    }
}

bool Observable::isObserver(Observer& observer) const
{
    std::lock_guard lock(mutex_);
    return observers_.contains(observer);
}
