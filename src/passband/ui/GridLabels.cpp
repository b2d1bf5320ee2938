#include "GridLabels.h"

#include <charconv>

#include "FigureFormat.h"
#include "Grid.h"
#include "Units.h"

namespace GridLabels {

std::string formatDecimals(double value, int minDecimals, int maxDecimals)
{
    std::string text = formatFixed(value, maxDecimals);
    const std::size_t point = text.find('.');
    if (point == std::string::npos) return text;
    std::size_t keep = text.size();
    while (keep > point + 1 + static_cast<std::size_t>(minDecimals) && text[keep - 1] == '0') --keep;
    if (keep == point + 1) keep = point;
    text.resize(keep);
    return text;
}

std::string plainNumber(float value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
    return {buffer, end};
}

std::string startText(const Grid& grid)
{
    if (grid.unit() == Unit::GHz) return formatDecimals(grid.start() * 0.001, 3, 4) + Unit::bracketed(Unit::THz);
    return formatDecimals(grid.start(), 0, 3) + unitText(grid);
}

std::string spacingText(const Grid& grid) { return plainNumber(grid.spacing()) + unitText(grid); }

std::string subdivisionText(const Grid& grid) { return std::to_string(grid.subdivision()); }

std::string unitText(const Grid& grid) { return Unit::bracketed(grid.unit()); }

std::string bandwidthLevelText(float level) { return "< " + formatFixed(level, 1) + " dB bandwidth < "; }

}  // namespace GridLabels
