#pragma once

// A list of non-owned pointers, each at most once, kept in ascending
// address order: the registration lists of subjects and table models.

#include <algorithm>
#include <functional>
#include <vector>

template <typename T>
class AddressOrderedList {
public:
    // False (and nothing changes) when already present.
    bool add(T& item)
    {
        const auto at = position(&item);
        if (at != items_.end() && *at == &item) return false;
        items_.insert(at, &item);
        return true;
    }
    // False when absent.
    bool remove(T& item)
    {
        const auto at = position(&item);
        if (at == items_.end() || *at != &item) return false;
        items_.erase(at);
        return true;
    }
    bool contains(T& item) const { return std::binary_search(items_.begin(), items_.end(), &item, std::less<T*>()); }
    void clear() { items_.clear(); }
    std::size_t size() const { return items_.size(); }
    T& operator[](std::size_t index) const { return *items_[index]; }

private:
    typename std::vector<T*>::iterator position(T* key)
    {
        return std::lower_bound(items_.begin(), items_.end(), key, std::less<T*>());
    }

    std::vector<T*> items_;
};
