#include "ChannelIsolation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "CurveSegment.h"
#include "Grid.h"
#include "Log.h"
#include "Units.h"

namespace {

// Channel of a segment end point. The segment lies inside the grid's edges
// in double precision, but the float lookup can push a point sitting on an
// edge just outside (or onto the channel past the last one); such a point
// belongs to the outer channel on its side.
int channelOfSegmentEnd(const Grid& grid, double wavelengthNm)
{
    const double middle = 0.5 * (static_cast<double>(grid.firstWavelength()) + grid.lastWavelength());
    const int outer = wavelengthNm < middle ? 1 : grid.subdivision();
    int channel = outer;
    try {
        channel = grid.getChannel(static_cast<float>(wavelengthNm), Unit::Nm);
    } catch (const std::out_of_range&) {
        // An edge point rounded outwards; the outer channel is its own.
    }
    return std::clamp(channel, 1, static_cast<int>(grid.subdivision()));
}

float interpolateLevel(double x, double x1, double y1, double x2, double y2)
{
    if (x2 == x1) return static_cast<float>(y1);
    return static_cast<float>(y1 + (y2 - y1) / (x2 - x1) * (x - x1));
}

}  // namespace

std::map<int, ChannelIsolation::Window> ChannelIsolation::bounds(const CurveSegment& segment, const Grid& grid,
                                                                 float owr)
{
    std::map<int, Window> windows;
    if (owr * 2.0f > grid.spacing()) {
        Log::fatal("ChannelIsolation::bounds owr * 2(%.3f) > channel spacing(%.3f)\n", owr * 2.0f, grid.spacing());
        return windows;
    }
    if (segment.count == 0) return windows;
    const int first = channelOfSegmentEnd(grid, segment.wavelengthNm[0]);
    const int last = channelOfSegmentEnd(grid, segment.wavelengthNm[segment.count - 1]);
    for (int ch = first; ch <= last; ++ch) {
        const float c = grid.get(static_cast<std::uint16_t>(ch));
        const float x = static_cast<float>(convertUnit(c - owr, grid.unit(), Unit::Nm));
        const float y = static_cast<float>(convertUnit(c + owr, grid.unit(), Unit::Nm));
        windows[ch] = {std::min(x, y), std::max(x, y)};
    }
    return windows;
}

ChannelIsolation::ChannelIsolation(const CurveSegment& segment, const Grid& grid, float owr) : grid_(grid)
{
    const double* const w = segment.wavelengthNm;
    const double* const level = segment.levelDb;
    const std::size_t m = segment.count;
    // One pass: the point index only moves forward from window to window.
    std::size_t i = 0;
    for (const auto& [channel, win] : bounds(segment, grid, owr)) {
        while (i < m && w[i] < win.low) ++i;
        if (i == m) break;
        // Levels that are not finite numbers (a damaged file) have no place
        // in a minimum or a maximum; a window without any other has no entry.
        Levels levels{noneMarker, -noneMarker};
        bool any = false;
        auto take = [&levels, &any](float v) {
            if (!std::isfinite(v)) return;
            levels.min = std::min(levels.min, v);
            levels.max = std::max(levels.max, v);
            any = true;
        };
        take(i == 0 ? static_cast<float>(level[0]) : interpolateLevel(win.low, w[i - 1], level[i - 1], w[i], level[i]));
        while (i < m && w[i] < win.high) {
            take(static_cast<float>(level[i]));
            ++i;
        }
        if (i < m && i >= 1) take(interpolateLevel(win.high, w[i - 1], level[i - 1], w[i], level[i]));
        if (any) entries_[channel] = levels;
    }
}

bool ChannelIsolation::present(int channel) const
{
    const auto it = entries_.find(channel);
    return it != entries_.end() && it->second.min != -noneMarker && it->second.max != noneMarker;
}

ChannelIsolation::Levels ChannelIsolation::window(int channel) const
{
    const auto it = entries_.find(channel);
    if (it == entries_.end()) return {-noneMarker, noneMarker};
    return it->second;
}

float ChannelIsolation::adjacentIsolation(int channel) const
{
    if (!present(channel)) return noneMarker;
    float neighbour = -noneMarker;
    if (present(channel - 1)) neighbour = std::max(neighbour, entries_.at(channel - 1).max);
    if (present(channel + 1)) neighbour = std::max(neighbour, entries_.at(channel + 1).max);
    if (neighbour == -noneMarker) return noneMarker;
    return entries_.at(channel).min - neighbour;
}

float ChannelIsolation::nonAdjacentIsolation(int channel) const
{
    if (!present(channel)) return noneMarker;
    float highest = -noneMarker;
    bool found = false;
    for (const auto& [c, levels] : entries_) {
        if (c >= channel - 1 && c <= channel + 1) continue;
        if (!found || levels.max > highest) highest = levels.max;
        found = true;
    }
    if (!found) return noneMarker;
    return entries_.at(channel).min - highest;
}
