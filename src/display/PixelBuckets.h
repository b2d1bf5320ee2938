#pragma once

// The pixel a drawn point falls into, shared by the plain reduction and the
// pyramid so that both put every point into the very same pixel.

#include <cmath>

#include "Frequency.h"
#include "PixelReduction.h"

struct PixelBuckets {
    explicit PixelBuckets(PixelAxis axis)
    {
        const double pixel = (axis.maximum - axis.minimum) / axis.widthPixels;
        reduce = axis.widthPixels > 0 && pixel > 0.0 && std::isfinite(pixel);
        minimum = axis.minimum;
        perPixel = reduce ? 1.0 / pixel : 0.0;
    }

    // A double, not an integer: points far off the axis (or not numbers)
    // must not overflow.
    double of(double drawnX) const { return std::floor((drawnX - minimum) * perPixel); }

    bool reduce = false;
    double minimum = 0.0;
    double perPixel = 0.0;
};

// Where a point is drawn on the bottom axis: its wavelength, or its
// frequency in frequency display, plus the curve's shift.
inline double drawnPosition(double xNm, bool frequencyDisplay, double shift)
{
    return (frequencyDisplay ? terahertzNm / xNm : xNm) + shift;
}
