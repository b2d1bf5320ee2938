#pragma once

// The passband results as vemar-cli prints them: the text result table of
// the result files followed by the failures of the latest analysis, or one
// JSON document with every figure's minimum, latest and maximum and their
// alarm flags.

#include <nlohmann/json_fwd.hpp>

#include <string>

class Passband;

// {"grid": {...}, "parameters": {...}, "traces": [{"name", "channels": [{"channel",
// "duplicate", "current", "min", "max", "alarm": {"current", "min", "max"}}]}]};
// a figure without a value (the none marker) or a missing record is null.
nlohmann::json passbandJson(const Passband& passband);

// The text result table, then "Alarms: none" or one line per row whose
// latest record fails a limit, naming the failing figures.
std::string passbandTable(const Passband& passband);

// A single-precision figure as the shortest double that reads back as it
// (193.4f is 193.4, not 193.39999389648438).
double widenFigure(float value);
