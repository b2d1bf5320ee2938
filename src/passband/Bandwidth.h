#pragma once

// Channel detection along a curve segment and the width of a channel at a
// level below its peak.

#include <cstddef>
#include <vector>

struct CurveSegment;

class Bandwidth {
public:
    // Peak index of every channel, in ascending wavelength order. A channel
    // starts where the level reaches threshold and ends where it falls below
    // threshold - |threshold x 0.1|; that hysteresis keeps ripple near the
    // threshold from splitting it. A run still open at the segment's end is
    // not a channel. The peak is the first of the run's highest points.
    std::vector<std::size_t> findChannels(float threshold, const CurveSegment& segment) const;

    // Width at level (dB below the peak, negative) in the given unit; the
    // none marker when a side has no crossing or the level is not negative.
    float compute(const CurveSegment& segment, std::size_t peak, float level, int unit) const;
};
