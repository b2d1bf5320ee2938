#pragma once

// The lowest and highest level of a curve inside each channel's passband
// window (nominal centre +/- owr), and the figures drawn from them: maximum
// insertion loss and ripple of a channel, adjacent and non-adjacent
// isolation. Built per curve.

#include <map>
#include <utility>

#include "Passband_Value.h"

class Grid;
struct CurveSegment;

class ChannelIsolation {
public:
    struct Window {
        float low;
        float high;
    };
    struct Levels {
        float min;
        float max;
    };

    // owr in the grid's unit. std::out_of_range when a channel lookup fails.
    ChannelIsolation(const CurveSegment& segment, const Grid& grid, float owr);
    virtual ~ChannelIsolation() = default;

    // Windows in nm for every channel the segment spans; none (with a
    // fatal-level log line) when owr x 2 exceeds the grid spacing.
    static std::map<int, Window> bounds(const CurveSegment& segment, const Grid& grid, float owr);

    // (min, max) of the channel, or (-none, +none) when it has no entry.
    Levels window(int channel) const;
    float adjacentIsolation(int channel) const;
    float nonAdjacentIsolation(int channel) const;

    const std::map<int, Levels>& entries() const { return entries_; }
    const Grid& grid() const { return grid_; }

private:
    bool present(int channel) const;

    std::map<int, Levels> entries_;
    const Grid& grid_;
};
