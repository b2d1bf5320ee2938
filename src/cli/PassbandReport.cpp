#include "PassbandReport.h"

#include <array>
#include <charconv>
#include <nlohmann/json.hpp>

#include "FigureFormat.h"
#include "Grid.h"
#include "Passband.h"
#include "Units.h"

namespace {

constexpr std::array<const char*, Passband_Value::figureCount> figureNames = {
    "Central",     "Channel Center Accuracy", "Bandwidth 1",
    "Bandwidth 2", "Bandwidth 3",             "Max insertion loss",
    "Ripple",      "Adjacent channel isolation", "Non adjacent channel isolation",
    "Peak level"};

nlohmann::json figures(const Passband_Value* record)
{
    nlohmann::json list = nlohmann::json::array();
    for (std::size_t k = 0; k < Passband_Value::figureCount; ++k) {
        if (record == nullptr || (*record)[k] == noneMarker)
            list.push_back(nullptr);
        else
            list.push_back(widenFigure((*record)[k]));
    }
    return list;
}

nlohmann::json alarmFlags(const Passband& passband, const Passband_Value* record)
{
    nlohmann::json list = nlohmann::json::array();
    for (std::size_t k = 0; k < Passband_Value::figureCount; ++k)
        list.push_back(record != nullptr && passband.alarms.inAlarm(k, (*record)[k]));
    return list;
}

}  // namespace

double widenFigure(float value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double wide = 0.0;
    std::from_chars(text, written.ptr, wide);
    return wide;
}

nlohmann::json passbandJson(const Passband& passband)
{
    nlohmann::json document;
    const Grid* grid = passband.currentGrid();
    nlohmann::json g;
    g["type"] = static_cast<int>(passband.grid.gridType.value());
    if (grid != nullptr) {
        g["unit"] = Unit::name(grid->unit());
        g["start"] = widenFigure(grid->start());
        g["spacing"] = widenFigure(grid->spacing());
        g["subdivision"] = grid->subdivision();
    } else {
        g["unit"] = nullptr;
        g["start"] = nullptr;
        g["spacing"] = nullptr;
        g["subdivision"] = nullptr;
    }
    document["grid"] = g;
    document["parameters"] = {
        {"threshold", widenFigure(passband.threshold.value())},
        {"bandwidthLevels",
         {widenFigure(passband.bandwidth1.value()), widenFigure(passband.bandwidth2.value()),
          widenFigure(passband.bandwidth3.value())}},
        {"passband", widenFigure(passband.owr.value())},
    };
    nlohmann::json traces = nlohmann::json::array();
    for (const auto& [name, values] : passband.results().traces()) {
        nlohmann::json channels = nlohmann::json::array();
        for (int channel : values->channels()) {
            const Passband_Value* current = values->currentOf(channel);
            const Passband_Value* minimum = values->minOf(channel);
            const Passband_Value* maximum = values->maxOf(channel);
            channels.push_back({
                {"channel", channel},
                {"duplicate", values->duplicate(channel)},
                {"current", figures(current)},
                {"min", figures(minimum)},
                {"max", figures(maximum)},
                {"alarm",
                 {{"current", alarmFlags(passband, current)},
                  {"min", alarmFlags(passband, minimum)},
                  {"max", alarmFlags(passband, maximum)}}},
            });
        }
        traces.push_back({{"name", name}, {"channels", channels}});
    }
    document["traces"] = traces;
    return document;
}

std::string passbandTable(const Passband& passband)
{
    std::string out = passband.writeText();
    std::string alarms;
    for (const auto& row : passband.results().rows()) {
        const Passband_Value* current = row.values->currentOf(row.channel);
        if (current == nullptr) continue;
        std::string failing;
        for (std::size_t k = 0; k < Passband_Value::figureCount; ++k) {
            if (!passband.alarms.inAlarm(k, (*current)[k])) continue;
            if (!failing.empty()) failing += ", ";
            failing += std::string(figureNames[k]) + " " + formatFigure((*current)[k], 3);
        }
        if (!failing.empty())
            alarms += "  channel " + std::to_string(row.channel) + " (" + *row.name + "): " + failing + "\n";
    }
    out += alarms.empty() ? "Alarms: none\n" : "Alarms:\n" + alarms;
    return out;
}
