#pragma once

// Where a channel's curve crosses a level relative to its peak, on both
// sides, found by walking outwards from the peak and interpolating linearly
// between the two points around each crossing (single precision).

#include <cstddef>

struct CurveSegment;

struct Crossings {
    float right;
    float left;
};

// r: relative level in dB (negative); unit: unit code of the result. Both
// values are the none marker when r is not negative or a side has no
// crossing inside the segment (the segment's first point does not count).
Crossings levelCrossings(float r, const CurveSegment& segment, std::size_t peak, int unit);
