#include "ScanRes.h"

#include <algorithm>
#include <cmath>

namespace {

// Rebuilds a sample-parallel array from the kept sample indexes. Arrays that
// were never filled stay empty; a shorter array (a damaged file) reads 0 for
// the samples it lacks instead of reading past its end.
template <typename T>
void keepSamples(std::vector<T>& array, const std::vector<int>& kept)
{
    if (array.empty()) return;
    std::vector<T> result(kept.size(), T{});
    for (std::size_t t = 0; t < kept.size(); ++t) {
        const auto source = static_cast<std::size_t>(kept[t]);
        if (source < array.size()) result[t] = array[source];
    }
    array.swap(result);
}

// Value of a sample-parallel array, 0 where a damaged result lacks it.
template <typename T>
T sampleOr0(const std::vector<T>& array, long long index)
{
    return index >= 0 && static_cast<std::size_t>(index) < array.size() ? array[static_cast<std::size_t>(index)] : T{};
}

// Resizes a sample array to the joined length and continues it with the next
// result's samples after the join point m.
template <typename T>
void joinAt(std::vector<T>& array, const std::vector<T>& next, int m, int j, int joinedCount)
{
    array.resize(static_cast<std::size_t>(joinedCount), T{});
    for (int k = m + 1; k < joinedCount; ++k) array[static_cast<std::size_t>(k)] = sampleOr0(next, k + j - m - 2);
}

template <typename T>
void appendAll(std::vector<T>& to, const std::vector<T>& from)
{
    to.insert(to.end(), from.begin(), from.end());
}

}  // namespace

int ScanRes::Append(const ScanRes& next)
{
    const int count = sampleCount();
    const int nextCount = next.sampleCount();
    // An empty result has no start to compare: it overlaps nothing.
    if (nextCount == 0 || count == 0) return -1;
    if (wavelength.front() > next.wavelength.front()) return -1;
    if (wavelength.back() > next.wavelength.back()) return -1;

    // The first check guarantees a sample not above the next start.
    int last = count - 1;
    while (last > 0 && wavelength[static_cast<std::size_t>(last)] > next.wavelength.front()) --last;
    const int i = last - 1;
    const int m = static_cast<int>((count + i) * 0.5 + 0.1);
    const double joinWavelength = wavelength[static_cast<std::size_t>(m)];
    int first = 0;
    while (first < nextCount && next.wavelength[static_cast<std::size_t>(first)] < joinWavelength) ++first;
    // When no sample of the next result reaches the join wavelength the joined
    // result ends at m.
    const int j = first + 1;
    const int joinedCount = m + nextCount - j + 2;

    appendAll(lines, next.lines);
    appendAll(referenceWavelengths, next.referenceWavelengths);
    appendAll(referenceDeviations, next.referenceDeviations);

    const std::int32_t indexAtJoin = sampleOr0(sampleIndex, m);
    joinAt(wavelength, next.wavelength, m, j, joinedCount);
    joinAt(velocity, next.velocity, m, j, joinedCount);
    joinAt(sampleIndex, next.sampleIndex, m, j, joinedCount);
    for (int k = m + 1; k < joinedCount; ++k) sampleIndex[static_cast<std::size_t>(k)] += indexAtJoin;
    for (int channel = 0; channel < ScanChannel::Count; ++channel) {
        if (present[static_cast<std::size_t>(channel)])
            joinAt(values[static_cast<std::size_t>(channel)], next.values[static_cast<std::size_t>(channel)], m, j,
                   joinedCount);
    }

    appendAll(segments, next.segments);
    appendAll(sweepVelocities, next.sweepVelocities);
    // The joined result now runs to the next result's last source; without
    // this, the scan would be resampled only up to the first source's stop.
    endSource = next.endSource;
    scanStop = next.scanStop;
    return 0;
}

int ScanRes::RemoveBackSteps()
{
    const int count = sampleCount();
    if (count == 0) return 0;
    std::vector<int> kept;
    kept.reserve(static_cast<std::size_t>(count));
    kept.push_back(0);
    for (int i = 1; i < count; ++i) {
        if (wavelength[static_cast<std::size_t>(i)] > wavelength[static_cast<std::size_t>(kept.back())]) {
            // A run of equal (or falling) wavelengths at the start keeps its
            // last sample, the one just before the rise.
            if (kept.size() == 1) kept[0] = i - 1;
            kept.push_back(i);
        }
    }
    keepSamples(wavelength, kept);
    keepSamples(velocity, kept);
    keepSamples(sampleIndex, kept);
    for (auto& channel : values) keepSamples(channel, kept);
    return count - static_cast<int>(kept.size());
}

int ScanRes::Resample(double startNm, double stopNm, double stepPm)
{
    resampledWavelength.clear();
    for (auto& channel : resampledValues) channel.clear();

    // A grid step is 0.001 stepPm nm; the tolerance keeps rounding noise in
    // (stop - start) / step from adding a point beyond stop.
    const double intervals = (stopNm - startNm) / stepPm * 1000.0;
    if (!std::isfinite(intervals) || !(stepPm > 0.0) || intervals < 0.0
        || intervals >= static_cast<double>(maxResampledPoints))
        return 0;
    const int n = static_cast<int>(std::ceil(intervals - 1e-6)) + 1;
    const double spacing = stepPm * 0.001;

    // A measured scan (one with sample indexes) loses a first sample lying
    // before the grid and its last sample. They go before the grid is
    // interpolated, so that the exports come from exactly the samples the
    // curves show and the scan file keeps: a saved scan loaded again then
    // gives the same grid. A loaded scan holds what the measurement kept
    // and loses nothing.
    if (!sampleIndex.empty()) {
        auto eraseFirst = [](auto& array) {
            if (!array.empty()) array.erase(array.begin());
        };
        auto eraseLast = [](auto& array) {
            if (!array.empty()) array.pop_back();
        };
        if (!wavelength.empty() && wavelength.front() < startNm) {
            eraseFirst(wavelength);
            eraseFirst(velocity);
            eraseFirst(sampleIndex);
            for (auto& channel : values) eraseFirst(channel);
        }
        eraseLast(wavelength);
        eraseLast(velocity);
        eraseLast(sampleIndex);
        for (auto& channel : values) eraseLast(channel);
    }

    const int measured = sampleCount();
    const double* x = wavelength.data();
    // Every array is filled as it grows: nothing is zeroed to be overwritten.
    resampledWavelength.reserve(static_cast<std::size_t>(n));
    // Segment of every grid point; -1 for points below the first sample.
    std::vector<int> segment;
    segment.reserve(static_cast<std::size_t>(n));
    int s = 0;
    for (int g = 0; g < n; ++g) {
        const double d = startNm + g * spacing;
        resampledWavelength.push_back(d);
        if (measured == 0 || d < x[0]) {
            segment.push_back(-1);
            continue;
        }
        while (s < measured - 2 && x[s + 1] < d) ++s;
        segment.push_back(s);
    }

    for (int channel = 0; channel < ScanChannel::Count; ++channel) {
        if (!present[static_cast<std::size_t>(channel)]) continue;
        const std::vector<double>& y = values[static_cast<std::size_t>(channel)];
        // A channel without a value per sample cannot be interpolated.
        if (static_cast<int>(y.size()) < measured) continue;
        std::vector<double>& out = resampledValues[static_cast<std::size_t>(channel)];
        out.reserve(static_cast<std::size_t>(n));
        for (int g = 0; g < n; ++g) {
            const int k = segment[static_cast<std::size_t>(g)];
            // Grid points before the first sample (the sweep's first samples are
            // clamped just short of the grid start) hold the first measured
            // value: a 0 there would read as a 0 dBm / 0 dB point nobody measured.
            if (k < 0) {
                out.push_back(measured > 0 ? y[0] : 0.0);
                continue;
            }
            if (measured == 1 || x[k + 1] == x[k]) {
                out.push_back(y[static_cast<std::size_t>(k)]);
                continue;
            }
            const double d = resampledWavelength[static_cast<std::size_t>(g)];
            out.push_back(y[static_cast<std::size_t>(k)] +
                          (y[static_cast<std::size_t>(k) + 1] - y[static_cast<std::size_t>(k)]) / (x[k + 1] - x[k]) *
                              (d - x[k]));
        }
    }
    return n;
}
