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
    std::lock_guard lock(mutex_);
    if (!changed_) return;
    // By index: an observer that (against the rules) unregisters during the
    // notification must not leave a dangling iterator behind.
    for (std::size_t i = 0; i < observers_.size(); ++i) observers_[i].update();
    changed_ = false;
}
