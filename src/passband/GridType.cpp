#include "GridType.h"

std::vector<Associate<GridType>> makeGridAssociates()
{
    std::vector<Associate<GridType>> list;
    for (int i = 0; i < gridTypeCount; ++i) list.push_back({static_cast<GridType>(i), gridTypeTexts[i]});
    return list;
}
