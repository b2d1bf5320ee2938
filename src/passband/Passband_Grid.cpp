#include "Passband_Grid.h"

Passband_Grid::Passband_Grid(GridType initial) : gridType(initial)
{
    grids_[GridType::Itu100GHz] = std::make_unique<GridGhz>(195900.0f, 100.0f, 115);
    grids_[GridType::Itu50GHz] = std::make_unique<GridGhz>(195900.0f, 50.0f, 229);
    grids_[GridType::Itu25GHz] = std::make_unique<GridGhz>(195925.0f, 25.0f, 458);
    grids_[GridType::Itu12_5GHz] = std::make_unique<GridGhz>(195937.5f, 12.5f, 917);
    grids_[GridType::Cwdm] = std::make_unique<GridNm>(1271.0f, 20.0f, 18);
}

const Grid* Passband_Grid::get(GridType type) const
{
    const auto it = grids_.find(type);
    return it == grids_.end() ? nullptr : it->second.get();
}
