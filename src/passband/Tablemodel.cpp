#include "Tablemodel.h"

#include "Tablelistener.h"

bool TableModel::addListener(TableListener& listener)
{
    return listeners_.add(listener);
}

bool TableModel::removeListener(TableListener& listener)
{
    return listeners_.remove(listener);
}

void TableModel::fireRowsChanged(int first, int last)
{
    for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i].rowsChanged(first, last);
}
