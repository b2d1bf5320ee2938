#include "Bandwidth.h"

#include <cmath>

#include "CurveSegment.h"
#include "LevelCrossings.h"
#include "Passband_Value.h"

std::vector<std::size_t> Bandwidth::findChannels(float threshold, const CurveSegment& segment) const
{
    std::vector<std::size_t> peaks;
    const double t = threshold;
    const double lower = t - std::fabs(t * 0.1);
    const double* const level = segment.levelDb;
    const std::size_t m = segment.count;
    // A level that is not a number (a damaged file) or infinite counts as
    // below any threshold: it ends a run and never starts one. Both loops
    // then always move on.
    auto atOrAbove = [](double value, double limit) { return std::isfinite(value) && value >= limit; };
    std::size_t j = 0;
    while (j < m) {
        while (j < m && !atOrAbove(level[j], t)) ++j;
        if (j == m) break;
        double peak = level[j];
        std::size_t peakIndex = j;
        // The run's first point is at or above the threshold, so above lower too.
        do {
            if (level[j] > peak) {
                peak = level[j];
                peakIndex = j;
            }
            ++j;
        } while (j < m && atOrAbove(level[j], lower));
        if (j < m) peaks.push_back(peakIndex);
    }
    return peaks;
}

float Bandwidth::compute(const CurveSegment& segment, std::size_t peak, float level, int unit) const
{
    const Crossings c = levelCrossings(level, segment, peak, unit);
    if (c.right == noneMarker || c.left == noneMarker) return noneMarker;
    return std::fabs(c.left - c.right);
}
