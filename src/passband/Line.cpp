#include "Line.h"

#include "FigureFormat.h"
#include "Grid.h"
#include "Passband_Alarms.h"
#include "Passband_Values.h"
#include "Units.h"

namespace {

std::optional<Passband_Value> copyOf(const Passband_Value* record)
{
    return record == nullptr ? std::nullopt : std::optional<Passband_Value>(*record);
}

}  // namespace

Line::Line(int channel, const std::string& traceName, const Passband_Values& values, const Passband_Alarms& alarms,
           const Grid* grid)
    : channel_(channel),
      traceName_(traceName),
      records_{copyOf(values.minOf(channel)), copyOf(values.currentOf(channel)), copyOf(values.maxOf(channel))},
      alarms_(alarms),
      grid_(grid)
{
    const int gridDecimals = grid != nullptr && grid->unit() == Unit::Nm ? 3 : 1;
    const std::string number = std::to_string(channel);
    const std::array<std::string, 3> labels = {
        number + " (min)", number + " (" + traceName + ")", number + " (max)"};
    for (int which = 0; which < 3; ++which) {
        const auto& record = records_[static_cast<std::size_t>(which)];
        std::string label = labels[static_cast<std::size_t>(which)];
        if (which == CellValues::Current && record && values.duplicate(channel)) label += " *";
        cells_[0].texts[static_cast<std::size_t>(which)] = label;
        for (int column = 1; column < columnCount; ++column) {
            const auto figure = static_cast<std::size_t>(column - 1);
            const int decimals = column == 1 ? 3 : column <= 5 ? gridDecimals : 2;
            cells_[static_cast<std::size_t>(column)].texts[static_cast<std::size_t>(which)] =
                record ? formatFigure((*record)[figure], decimals) : "--";
        }
    }
    updateAlarms();
}

void Line::updateAlarms()
{
    for (std::size_t which = 0; which < 3; ++which) {
        const auto& record = records_[which];
        for (int column = 0; column < columnCount; ++column) {
            const auto c = static_cast<std::size_t>(column);
            cells_[c].alarms[which] = record && column >= 2 && alarms_.inAlarm(c - 1, (*record)[c - 1]);
        }
    }
}
