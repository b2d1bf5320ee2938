#pragma once

// One results row: one channel of one trace, with the texts of its ten
// columns for the minimum, latest and maximum records and their alarm flags.
// The records are copied, so a row stays valid whatever happens to the
// results until the next rebuild.

#include <array>
#include <optional>
#include <string>

#include "Cell.h"
#include "Passband_Value.h"

class Grid;
class Passband_Alarms;
class Passband_Values;

class Line {
public:
    static constexpr int columnCount = 10;

    // grid may be nullptr (a type without a grid); figures then use the
    // frequency grids' format.
    Line(int channel, const std::string& traceName, const Passband_Values& values, const Passband_Alarms& alarms,
         const Grid* grid);

    // Recomputes the flags from the alarm limits; the texts stay.
    void updateAlarms();

    int channel() const { return channel_; }
    const std::string& traceName() const { return traceName_; }
    const CellValues& cell(int column) const { return cells_.at(static_cast<std::size_t>(column)); }
    // The record behind CellValues::Min/Current/Max, if any.
    const std::optional<Passband_Value>& record(int which) const
    {
        return records_.at(static_cast<std::size_t>(which));
    }

private:
    int channel_;
    std::string traceName_;
    std::array<std::optional<Passband_Value>, 3> records_;
    const Passband_Alarms& alarms_;
    const Grid* grid_;
    std::array<CellValues, columnCount> cells_;
};
