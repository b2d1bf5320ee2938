#include "PixelReduction.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "PixelBuckets.h"
#include "ScanArea.h"
#include "ScanCurve.h"

namespace {

// Walks the points in drawing order, feeding each to `accumulate` (with
// first set when it opens a new pixel) and calling `flush` with the first x
// of every run of points that fall into one pixel when the run ends.
template <typename Accumulate, typename Flush>
void walkPixels(std::size_t count, const double* x, CurveShift shift, bool frequencyDisplay, PixelAxis axis,
                Accumulate accumulate, Flush flush)
{
    if (count == 0) return;
    const PixelBuckets buckets(axis);

    bool open = false;
    double runBucket = 0.0;
    double runX = 0.0;
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t i = frequencyDisplay ? count - 1 - step : step;
        const double drawnX = drawnPosition(x[i], frequencyDisplay, shift.x);
        // A point that is not a number is its own run (NaN equals nothing).
        const double bucket = buckets.reduce ? buckets.of(drawnX) : static_cast<double>(step);
        if (!open || !(bucket == runBucket)) {
            if (open) flush(runX);
            open = true;
            runBucket = bucket;
            runX = drawnX;
            accumulate(i, true);
        } else {
            accumulate(i, false);
        }
    }
    flush(runX);
}

}  // namespace

void reduceCurve(std::span<const double> x, std::span<const double> y, CurveShift shift, bool frequencyDisplay,
                 PixelAxis axis, std::vector<PlotPoint>& out)
{
    out.clear();
    const std::size_t count = std::min(x.size(), y.size());
    double low = 0.0;
    double high = 0.0;
    walkPixels(
        count, x.data(), shift, frequencyDisplay, axis,
        [&](std::size_t i, bool first) {
            const double v = y[i];
            if (first) {
                low = v;
                high = v;
            } else {
                low = std::min(low, v);
                high = std::max(high, v);
            }
        },
        [&](double runX) {
            out.push_back({runX, low + shift.y});
            if (high != low) out.push_back({runX, high + shift.y});
        });
}

void reduceEnvelopes(std::span<const double> xRef, std::span<const double> yMin, std::span<const double> yMax,
                     CurveShift shift, bool frequencyDisplay, PixelAxis axis, EnvelopeSeries& out)
{
    out.minimum.clear();
    out.maximum.clear();
    const std::size_t count = std::min({xRef.size(), yMin.size(), yMax.size()});
    double low = 0.0;
    double high = 0.0;
    walkPixels(
        count, xRef.data(), shift, frequencyDisplay, axis,
        [&](std::size_t i, bool first) {
            if (first) {
                low = yMin[i];
                high = yMax[i];
            } else {
                low = std::min(low, yMin[i]);
                high = std::max(high, yMax[i]);
            }
        },
        [&](double runX) {
            out.minimum.push_back({runX, low + shift.y});
            out.maximum.push_back({runX, high + shift.y});
        });
}

void reduceCurve(const ScanCurve& curve, bool frequencyDisplay, PixelAxis axis, std::vector<PlotPoint>& out)
{
    const ScanData& data = curve.data();
    const auto count = static_cast<std::size_t>(data.count());
    reduceCurve(data.x().first(count), data.y().first(count), {curve.xShift(), curve.yShift()}, frequencyDisplay,
                axis, out);
}

void reduceEnvelopes(const ScanCurve& curve, bool frequencyDisplay, PixelAxis axis, EnvelopeSeries& out)
{
    const ScanData& data = curve.data();
    const auto count = static_cast<std::size_t>(data.count());
    reduceEnvelopes(data.xRef().first(count), data.yMin().first(count), data.yMax().first(count),
                    {curve.xShift(), curve.yShift()}, frequencyDisplay, axis, out);
}

void breakAcrossCoverage(std::vector<PlotPoint>& points, const ScanArea& coverage, double xShift)
{
    const std::vector<CoverageShape>& shapes = coverage.shapes();
    if (shapes.empty() || points.size() < 2) return;
    auto straddles = [&](const PlotPoint& a, const PlotPoint& b) {
        const double from = a.x - xShift;
        const double to = b.x - xShift;
        for (const CoverageShape& shape : shapes)
            if (from <= shape.x0 && shape.x1 <= to) return true;
        return false;
    };
    std::vector<PlotPoint> broken;
    broken.reserve(points.size() + shapes.size());
    bool anyBreak = false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0 && straddles(points[i - 1], points[i])) {
            broken.push_back({(points[i - 1].x + points[i].x) / 2.0, std::numeric_limits<double>::quiet_NaN()});
            anyBreak = true;
        }
        broken.push_back(points[i]);
    }
    if (anyBreak) points.swap(broken);
}
