#pragma once

// The texts of the parameter panel that follow the grid and the bandwidth
// levels. Numbers always with "." as decimal separator.

#include <string>

class Grid;

namespace GridLabels {

// value with at least minDecimals and at most maxDecimals decimals, rounded
// half away from zero, trailing zeros beyond minDecimals dropped (and the
// point with them when none is left): (195.9, 3, 4) gives "195.900",
// (1271, 0, 3) gives "1271".
std::string formatDecimals(double value, int minDecimals, int maxDecimals);
// The shortest text that reads back as the float: "100", "12.5".
std::string plainNumber(float value);

// Start of the grid: a frequency grid in THz with three or four decimals
// ("195.900(THz)"), otherwise in its own unit with up to three ("1271(nm)").
std::string startText(const Grid& grid);
// "100(GHz)", "12.5(GHz)", "20(nm)".
std::string spacingText(const Grid& grid);
// The channel count, "115".
std::string subdivisionText(const Grid& grid);
// "(THz)", "(GHz)", "(nm)", or empty.
std::string unitText(const Grid& grid);

// The centre label of a bandwidth alarm row: "< -1.0 dB bandwidth < ".
std::string bandwidthLevelText(float level);

}  // namespace GridLabels
