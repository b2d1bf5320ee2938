#pragma once

// The five grids, built once and owned here, and the property that selects
// the current one.

#include <map>
#include <memory>

#include "Editable.h"
#include "Grid.h"
#include "GridType.h"

class Passband_Grid {
public:
    explicit Passband_Grid(GridType initial = GridType::Itu100GHz);
    Passband_Grid(const Passband_Grid&) = delete;
    Passband_Grid& operator=(const Passband_Grid&) = delete;

    // nullptr for a type without a grid.
    const Grid* get(GridType type) const;
    const Grid* getCurrent() const { return get(gridType.value()); }

    Editable<GridType> gridType;

private:
    std::map<GridType, std::unique_ptr<Grid>> grids_;
};
