#pragma once

// The per-pixel reduction of PixelReduction.h walks every point, which is
// fine once per scan but too slow to repeat on every zoom, pan or resize of
// a chart holding four curves of a million points. An ExtremaPyramid keeps
// the smallest and largest value of every block of 16 points, of every
// block of 16 blocks, and so on; built once per scan, it lets a new view
// find each pixel's run of points by a binary search on x and its extremes
// from a handful of blocks, so the view costs O(pixels · log points).
//
// The result is the plain reduction's, restricted to what the view can show:
// every run of the pixels inside the axis, plus the nearest run on either
// side of it (so the lines leaving the plot area still point at the right
// place, across a coverage gap too). The runs further out are left out.
//
// The search needs x in drawing order: the wavelengths ascending, no value
// that is not a number, and (in frequency display) no wavelength at or
// below 0. Points that do not allow it, an axis without a pixel size, or a
// pyramid of another number of points fall back to the plain reduction.

#include <cstddef>
#include <span>
#include <vector>

#include "PixelReduction.h"

class ExtremaPyramid {
public:
    static constexpr std::size_t fanOut = 16;

    ExtremaPyramid() = default;
    // low and high are the same array for a curve, yMin and yMax for the
    // envelopes. Only the first min(sizes) points count.
    ExtremaPyramid(std::span<const double> x, std::span<const double> low, std::span<const double> high);

    std::size_t size() const { return size_; }
    // Whether the binary search on x holds for these points in that unit.
    bool searchable(bool frequencyDisplay) const { return ascending_ && (!frequencyDisplay || positive_); }

    // Smallest low and largest high over the points [first, last); low and
    // high must be the arrays the pyramid was built from.
    void extremes(std::span<const double> low, std::span<const double> high, std::size_t first, std::size_t last,
                  double& lowest, double& highest) const;

private:
    std::size_t size_ = 0;
    bool ascending_ = false;
    bool positive_ = false;
    // levels_[k] holds the extremes of the blocks of fanOut^(k+1) points.
    std::vector<std::vector<double>> lowLevels_;
    std::vector<std::vector<double>> highLevels_;
};

// The reductions of PixelReduction.h through a pyramid of the same points.
void reduceCurve(std::span<const double> x, std::span<const double> y, const ExtremaPyramid& pyramid,
                 CurveShift shift, bool frequencyDisplay, PixelAxis axis, std::vector<PlotPoint>& out);
void reduceEnvelopes(std::span<const double> xRef, std::span<const double> yMin, std::span<const double> yMax,
                     const ExtremaPyramid& pyramid, CurveShift shift, bool frequencyDisplay, PixelAxis axis,
                     EnvelopeSeries& out);

// The pyramids of a curve of the scan store: its valid points and, when it
// has them, its envelopes.
struct CurvePyramids {
    ExtremaPyramid points;
    ExtremaPyramid envelopes;
};

CurvePyramids buildPyramids(const ScanCurve& curve);
void reduceCurve(const ScanCurve& curve, const CurvePyramids& pyramids, bool frequencyDisplay, PixelAxis axis,
                 std::vector<PlotPoint>& out);
void reduceEnvelopes(const ScanCurve& curve, const CurvePyramids& pyramids, bool frequencyDisplay, PixelAxis axis,
                     EnvelopeSeries& out);
