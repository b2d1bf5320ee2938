#include "Passband_valuesmodel.h"

#include "Passband.h"

Passband_ValuesModel::Passband_ValuesModel(Passband& passband) : passband_(passband)
{
    for (const auto& entry : Passband_Alarms::table) (passband_.alarms.*entry.limit).addObserver(alarmsObserver_);
    rebuild();
}

Passband_ValuesModel::~Passband_ValuesModel()
{
    for (const auto& entry : Passband_Alarms::table) (passband_.alarms.*entry.limit).removeObserver(alarmsObserver_);
}

void Passband_ValuesModel::rebuild()
{
    lines_.clear();
    const Grid* grid = passband_.currentGrid();
    for (const auto& row : passband_.results().rows())
        lines_.push_back(std::make_unique<Line>(row.channel, *row.name, *row.values, passband_.alarms, grid));
}

const Line* Passband_ValuesModel::line(int row) const
{
    if (row < 0 || row >= rowCount()) return nullptr;
    return lines_[static_cast<std::size_t>(row)].get();
}

void Passband_ValuesModel::AlarmsObserver::update()
{
    for (auto& line : model_.lines_) line->updateAlarms();
}
