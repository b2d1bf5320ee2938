#pragma once

// Searches and interpolations on the calibration's monotonic tables. Every
// search starts from a remembered cursor (consecutive samples of a sweep lie
// close together, so the walk is short) and returns the start k of the
// segment [k, k + 1] that holds the value; outside the table it returns the
// first or the last segment, so that interpolating on it extends the end
// segment instead of reading past the table.

#include <algorithm>
#include <span>

namespace CalibSearch {

// Segment of a descending table: table[k] >= value > table[k + 1].
template <typename Table, typename Value>
int descendingSegment(std::span<const Table> table, Value value, int& cursor)
{
    const int last = static_cast<int>(table.size()) - 2;
    if (last < 0) return cursor = 0;
    int k = std::clamp(cursor, 0, last);
    if (table[k] < value) {
        while (k > 0 && table[k] < value) --k;
    } else {
        while (k < last && table[k + 1] >= value) ++k;
    }
    return cursor = k;
}

// Segment of an ascending table: table[k] <= value < table[k + 1].
template <typename Table, typename Value>
int ascendingSegment(std::span<const Table> table, Value value, int& cursor)
{
    const int last = static_cast<int>(table.size()) - 2;
    if (last < 0) return cursor = 0;
    int k = std::clamp(cursor, 0, last);
    if (table[k] > value) {
        while (k > 0 && table[k] > value) --k;
    } else {
        while (k < last && table[k + 1] <= value) ++k;
    }
    return cursor = k;
}

// The value at position x on the line through (x0, y0) and (x1, y1); y0 when
// the two positions are equal.
inline double interpolate(double x, double x0, double x1, double y0, double y1)
{
    if (x1 == x0) return y0;
    return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

}  // namespace CalibSearch
