#pragma once

// The five built-in channel plans. A GridType may hold other values (an
// edited configuration file); such a value has no grid.

#include <array>
#include <string>
#include <vector>

#include "Associate.h"

enum class GridType : int {
    Itu100GHz = 0,
    Itu50GHz = 1,
    Itu25GHz = 2,
    Itu12_5GHz = 3,
    Cwdm = 4,
};

inline constexpr int gridTypeCount = 5;

// Texts of the grid selector, in GridType order.
inline constexpr std::array<const char*, gridTypeCount> gridTypeTexts = {
    "ITU-T 100GHz", "ITU-T 50GHz", "ITU-T 25GHz", "ITU-T 12.5GHz", "CWDM"};

inline bool isKnownGridType(int value) { return value >= 0 && value < gridTypeCount; }

// The selector's choice list, in GridType order.
std::vector<Associate<GridType>> makeGridAssociates();
