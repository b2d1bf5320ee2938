#pragma once

// What the chart draws of a curve: not every point, but per horizontal pixel
// of the axis the first point's x with the smallest y of the points falling
// into that pixel and, when it differs, the same x with the largest y. The
// envelopes of a continuous series are reduced the same way: per pixel the
// minimum series gets the smallest yMin and the maximum series the largest
// yMax. In frequency display the points are walked from the end of the
// arrays (frequency falls as the wavelength rises) and x becomes THz.
// Shifts are added as the curve is drawn.

#include <span>
#include <vector>

class ScanArea;
class ScanCurve;

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

// The bottom axis as drawn: its range and its width in pixels. A range or
// width that gives no pixel size hands every point through unreduced.
struct PixelAxis {
    double minimum = 0.0;
    double maximum = 0.0;
    int widthPixels = 0;
};

struct CurveShift {
    double x = 0.0;  // nm, or THz in frequency display
    double y = 0.0;  // dB
};

// Reduces the first min(x, y) points into out (cleared first; its capacity
// is reused from one drawing to the next).
void reduceCurve(std::span<const double> x, std::span<const double> y, CurveShift shift, bool frequencyDisplay,
                 PixelAxis axis, std::vector<PlotPoint>& out);

struct EnvelopeSeries {
    std::vector<PlotPoint> minimum;
    std::vector<PlotPoint> maximum;
};

void reduceEnvelopes(std::span<const double> xRef, std::span<const double> yMin, std::span<const double> yMax,
                     CurveShift shift, bool frequencyDisplay, PixelAxis axis, EnvelopeSeries& out);

// The same for a curve of the scan store: its valid points and its shifts.
void reduceCurve(const ScanCurve& curve, bool frequencyDisplay, PixelAxis axis, std::vector<PlotPoint>& out);
void reduceEnvelopes(const ScanCurve& curve, bool frequencyDisplay, PixelAxis axis, EnvelopeSeries& out);

// No line is drawn across a region no source covered: between two
// consecutive points on either side of a whole coverage shape (their drawn
// x less the curve's X shift, as the samples were left out), a point whose
// y is not a number is put, which the chart draws as a break in the line.
void breakAcrossCoverage(std::vector<PlotPoint>& points, const ScanArea& coverage, double xShift);
