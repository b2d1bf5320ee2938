#include "Tablemodel.h"

#include <algorithm>
#include <functional>

#include "Tablelistener.h"

bool TableModel::addListener(TableListener& listener)
{
    TableListener* const key = &listener;
    const auto at = std::lower_bound(listeners_.begin(), listeners_.end(), key, std::less<TableListener*>());
    if (at != listeners_.end() && *at == key) return false;
    listeners_.insert(at, key);
    return true;
}

bool TableModel::removeListener(TableListener& listener)
{
    TableListener* const key = &listener;
    const auto at = std::lower_bound(listeners_.begin(), listeners_.end(), key, std::less<TableListener*>());
    if (at == listeners_.end() || *at != key) return false;
    listeners_.erase(at);
    return true;
}

void TableModel::fireRowsChanged(int first, int last)
{
    for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->rowsChanged(first, last);
}
