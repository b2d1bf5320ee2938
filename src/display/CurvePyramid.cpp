#include "CurvePyramid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "PixelBuckets.h"
#include "ScanCurve.h"

ExtremaPyramid::ExtremaPyramid(std::span<const double> x, std::span<const double> low, std::span<const double> high)
    : size_(std::min({x.size(), low.size(), high.size()}))
{
    ascending_ = true;
    positive_ = true;
    for (std::size_t i = 0; i < size_ && ascending_; ++i) {
        if (!std::isfinite(x[i]) || std::isnan(low[i]) || std::isnan(high[i]) || (i > 0 && x[i] < x[i - 1]))
            ascending_ = false;
        if (!(x[i] > 0.0)) positive_ = false;
    }
    // A pyramid the search cannot use would only cost memory.
    if (!ascending_) return;

    const double* lowBelow = low.data();
    const double* highBelow = high.data();
    std::size_t below = size_;
    while (below >= fanOut) {
        const std::size_t blocks = below / fanOut;
        std::vector<double> lows(blocks);
        std::vector<double> highs(blocks);
        for (std::size_t b = 0; b < blocks; ++b) {
            const double* l = lowBelow + b * fanOut;
            const double* h = highBelow + b * fanOut;
            double lo = l[0];
            double hi = h[0];
            for (std::size_t k = 1; k < fanOut; ++k) {
                lo = std::min(lo, l[k]);
                hi = std::max(hi, h[k]);
            }
            lows[b] = lo;
            highs[b] = hi;
        }
        lowLevels_.push_back(std::move(lows));
        highLevels_.push_back(std::move(highs));
        lowBelow = lowLevels_.back().data();
        highBelow = highLevels_.back().data();
        below = blocks;
    }
}

void ExtremaPyramid::extremes(std::span<const double> low, std::span<const double> high, std::size_t first,
                              std::size_t last, double& lowest, double& highest) const
{
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    const double* l = low.data();
    const double* h = high.data();
    auto take = [&](std::size_t k) {
        lo = std::min(lo, l[k]);
        hi = std::max(hi, h[k]);
    };
    // Climb while the range still holds whole blocks of the level above:
    // the ragged ends are taken at the level where they stick out. The top
    // level has fewer than fanOut entries, so no range of it is whole
    // blocks and the climb always ends there at the latest.
    std::size_t level = 0;
    while (first < last) {
        while (first < last && first % fanOut != 0) take(first++);
        while (first < last && last % fanOut != 0) take(--last);
        if (first >= last) break;
        first /= fanOut;
        last /= fanOut;
        l = lowLevels_[level].data();
        h = highLevels_[level].data();
        ++level;
    }
    lowest = lo;
    highest = hi;
}

namespace {

// First step in [from, to) for which stillBefore is false; stillBefore must
// hold for a prefix of the range only.
template <typename Predicate>
std::size_t firstStepAfter(std::size_t from, std::size_t to, Predicate stillBefore)
{
    while (from < to) {
        const std::size_t middle = from + (to - from) / 2;
        if (stillBefore(middle))
            from = middle + 1;
        else
            to = middle;
    }
    return from;
}

// The same, searching outward from `from` first: a pixel's run is usually
// short, so its end is found in about log(run length) steps.
template <typename Predicate>
std::size_t gallopStepAfter(std::size_t from, std::size_t to, Predicate stillBefore)
{
    std::size_t width = 1;
    std::size_t low = from;
    while (low + width < to && stillBefore(low + width)) {
        low += width;
        width *= 2;
    }
    return firstStepAfter(low, std::min(to, low + width), stillBefore);
}

// The same again, starting from a guess of where the answer lies (the last
// run's length is a good guess for the next): when the guess is close, the
// search stays within a cache line or two instead of probing the whole
// run. stillBefore(from) must hold.
template <typename Predicate>
std::size_t searchFromGuess(std::size_t from, std::size_t to, std::size_t guess, Predicate stillBefore)
{
    if (guess <= from || guess >= to) return gallopStepAfter(from, to, stillBefore);
    if (stillBefore(guess)) return gallopStepAfter(guess, to, stillBefore);
    // The answer lies in (from, guess]: gallop back toward from.
    std::size_t high = guess;
    std::size_t width = 1;
    for (;;) {
        const std::size_t low = high - from > width ? high - width : from;
        if (low == from || stillBefore(low)) return firstStepAfter(low, high, stillBefore);
        high = low;
        width *= 2;
    }
}

// Feeds emit(first x, lowest, highest) for each run of the view, in drawing
// order, as the plain reduction does; false when the pyramid cannot serve.
template <typename Emit>
bool walkRuns(std::span<const double> x, std::span<const double> low, std::span<const double> high,
              const ExtremaPyramid& pyramid, double shiftX, bool frequencyDisplay, PixelAxis axis, Emit emit)
{
    const std::size_t n = pyramid.size();
    const PixelBuckets buckets(axis);
    if (!buckets.reduce || !std::isfinite(shiftX) || !pyramid.searchable(frequencyDisplay)) return false;
    if (std::min({x.size(), low.size(), high.size()}) != n) return false;
    if (n == 0) return true;

    // Steps run in drawing order: from the end of the arrays in frequency display.
    auto index = [&](std::size_t step) { return frequencyDisplay ? n - 1 - step : step; };
    auto drawn = [&](std::size_t step) { return drawnPosition(x[index(step)], frequencyDisplay, shiftX); };
    auto bucket = [&](std::size_t step) { return buckets.of(drawn(step)); };
    const double width = axis.widthPixels;

    const std::size_t firstInside = firstStepAfter(0, n, [&](std::size_t s) { return bucket(s) < 0.0; });
    std::size_t begin = firstInside;
    if (firstInside > 0) {
        const double outside = bucket(firstInside - 1);
        begin = firstStepAfter(0, firstInside - 1, [&](std::size_t s) { return bucket(s) < outside; });
    }
    const std::size_t firstBeyond = firstStepAfter(firstInside, n, [&](std::size_t s) { return bucket(s) < width; });
    std::size_t end = n;
    if (firstBeyond < n) {
        const double beyond = bucket(firstBeyond);
        end = gallopStepAfter(firstBeyond, n, [&](std::size_t s) { return bucket(s) <= beyond; });
    }

    std::size_t lastRun = 1;
    for (std::size_t step = begin; step < end;) {
        const double runBucket = bucket(step);
        const std::size_t next =
            searchFromGuess(step, end, step + lastRun, [&](std::size_t s) { return bucket(s) <= runBucket; });
        lastRun = next - step;
        double lowest = 0.0;
        double highest = 0.0;
        if (frequencyDisplay)
            pyramid.extremes(low, high, n - next, n - step, lowest, highest);
        else
            pyramid.extremes(low, high, step, next, lowest, highest);
        emit(drawn(step), lowest, highest);
        step = next;
    }
    return true;
}

}  // namespace

void reduceCurve(std::span<const double> x, std::span<const double> y, const ExtremaPyramid& pyramid,
                 CurveShift shift, bool frequencyDisplay, PixelAxis axis, std::vector<PlotPoint>& out)
{
    const std::size_t count = std::min(x.size(), y.size());
    out.clear();
    const bool served = walkRuns(x.first(count), y.first(count), y.first(count), pyramid, shift.x,
                                 frequencyDisplay, axis, [&](double runX, double low, double high) {
                                     out.push_back({runX, low + shift.y});
                                     if (high != low) out.push_back({runX, high + shift.y});
                                 });
    if (!served) reduceCurve(x, y, shift, frequencyDisplay, axis, out);
}

void reduceEnvelopes(std::span<const double> xRef, std::span<const double> yMin, std::span<const double> yMax,
                     const ExtremaPyramid& pyramid, CurveShift shift, bool frequencyDisplay, PixelAxis axis,
                     EnvelopeSeries& out)
{
    const std::size_t count = std::min({xRef.size(), yMin.size(), yMax.size()});
    out.minimum.clear();
    out.maximum.clear();
    const bool served = walkRuns(xRef.first(count), yMin.first(count), yMax.first(count), pyramid, shift.x,
                                 frequencyDisplay, axis, [&](double runX, double low, double high) {
                                     out.minimum.push_back({runX, low + shift.y});
                                     out.maximum.push_back({runX, high + shift.y});
                                 });
    if (!served) reduceEnvelopes(xRef, yMin, yMax, shift, frequencyDisplay, axis, out);
}

CurvePyramids buildPyramids(const ScanCurve& curve)
{
    const ScanData& data = curve.data();
    const auto count = static_cast<std::size_t>(data.count());
    CurvePyramids pyramids;
    pyramids.points = ExtremaPyramid(data.x().first(count), data.y().first(count), data.y().first(count));
    if (curve.hasEnvelopes())
        pyramids.envelopes =
            ExtremaPyramid(data.xRef().first(count), data.yMin().first(count), data.yMax().first(count));
    return pyramids;
}

void reduceCurve(const ScanCurve& curve, const CurvePyramids& pyramids, bool frequencyDisplay, PixelAxis axis,
                 std::vector<PlotPoint>& out)
{
    const ScanData& data = curve.data();
    const auto count = static_cast<std::size_t>(data.count());
    reduceCurve(data.x().first(count), data.y().first(count), pyramids.points, {curve.xShift(), curve.yShift()},
                frequencyDisplay, axis, out);
}

void reduceEnvelopes(const ScanCurve& curve, const CurvePyramids& pyramids, bool frequencyDisplay, PixelAxis axis,
                     EnvelopeSeries& out)
{
    const ScanData& data = curve.data();
    const auto count = static_cast<std::size_t>(data.count());
    reduceEnvelopes(data.xRef().first(count), data.yMin().first(count), data.yMax().first(count),
                    pyramids.envelopes, {curve.xShift(), curve.yShift()}, frequencyDisplay, axis, out);
}
