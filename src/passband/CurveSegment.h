#pragma once

// The part of a curve that lies inside a grid's wavelength range: views into
// the curve's arrays, starting at the segment's first point.

#include <cstddef>

struct CurveSegment {
    std::size_t count = 0;
    const double* wavelengthNm = nullptr;
    const double* levelDb = nullptr;

    // From the first point at or above first to the last point at or below
    // last, never the curve's last point. std::out_of_range when the curve
    // does not reach the grid on either side or leaves fewer than two points.
    static CurveSegment search(const double* wavelengthNm, const double* levelDb, std::size_t count,
                               float first, float last);
};
