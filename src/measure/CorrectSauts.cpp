#include "CorrectSauts.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "QuadraticFit.h"
#include "SamplePositions.h"
#include "TabCalib.h"

namespace {

// Kind-1 units see spacing irregularities above this frequency (below about
// 1350.4 nm) that are not mode hops.
constexpr double kind1HopFreeAboveGHz = 222000.0;
// A line spacing that differs from the fit's by more than this many base
// periods holds a mode hop.
constexpr double hopExcessPeriods = 10.0;

// A fit the samples can be given frequencies by: finite, and frequency
// falling as the position rises (the sweeps run up in wavelength).
bool usable(const Fit& fit)
{
    return std::isfinite(fit.c0) && std::isfinite(fit.c1) && std::isfinite(fit.c2) && std::isfinite(fit.x0)
           && fit.c1 < 0.0;
}

struct Hop {
    double position;
    double excess;
};

template <typename Positions>
int referenceSweep(CorrectSautsIn& in, CorrectSautsOut& out, int calibrationKind)
{
    const int sampleCount = in.sampleCount;
    const int s = in.samplingStep;
    const int markCount = in.markCount;
    const int transitionCount = in.transitionCount;
    const int segmentCount = in.endSource - in.firstSource;
    if (s < 1 || sampleCount < 2 || markCount < 0 || transitionCount < 0 || segmentCount < 1
        || static_cast<std::size_t>(markCount) > in.marks.size()
        || static_cast<std::size_t>(transitionCount) > in.transitions.size()
        || static_cast<std::size_t>(sampleCount) > in.referenceSignal.size()
        // Every segment but the last ends at a transition.
        || transitionCount < segmentCount - 1)
        return correctSautsFailed;

    out.sampleFrequencies.assign(static_cast<std::size_t>(sampleCount), 0.0);
    out.transitionFrequencies.assign(static_cast<std::size_t>(transitionCount), 0.0);
    out.hopCount = 0;
    out.hopFrequencies.clear();
    out.hopSizes.clear();
    out.hopsTruncated = false;
    out.slope = 0.0;

    Positions positions(sampleCount, SamplePositionFormula(s, in.flagB != 0));
    // The hop correction moves the transitions with the positions; the
    // sample a transition ends stays the one the DSP reported.
    const std::vector<double> reportedTransitions(in.transitions.begin(), in.transitions.begin() + transitionCount);

    // Lines and their centres.
    const std::span<const double> r = in.referenceLines;
    const int lineTotal = static_cast<int>(r.size());
    int lines = markCount / 2;
    std::vector<double> centre(static_cast<std::size_t>(lines));
    for (int i = 0; i < lines; ++i)
        centre[static_cast<std::size_t>(i)] =
            (in.marks[static_cast<std::size_t>(2 * i)] + in.marks[static_cast<std::size_t>(2 * i + 1)]) * 0.5;

    // The first reference line at or below the start. When the start lies
    // above the first line, a line one spacing above it stands in for the
    // missing upper neighbour.
    int first = 0;
    while (first < lineTotal && !(r[static_cast<std::size_t>(first)] <= in.startFrequency)) ++first;
    if (first >= lineTotal) return correctSautsFailed;
    double upper;
    if (first > 0)
        upper = r[static_cast<std::size_t>(first - 1)];
    else if (lineTotal >= 2)
        upper = 2.0 * r[0] - r[1];
    else
        return correctSautsFailed;
    const double span = upper - r[static_cast<std::size_t>(first)];
    if (span > 0.0) {
        const double ap = (upper - in.startFrequency) / span;
        if (in.trigger) {
            if (ap > 0.852 && in.statusBit1 == 0) ++first;
        } else if (ap < 0.45 && in.statusBit1 == 1) {
            --first;
        }
    }
    // The first measured line would belong before the first reference line.
    if (first < 0 || first >= lineTotal) return correctSautsFailed;
    // Measured lines beyond the last reference line have no partner: they
    // take no part.
    lines = std::min(lines, lineTotal - first);
    auto reference = [&](int line) { return r[static_cast<std::size_t>(first + line)]; };

    // Lines whose reference spacing breaks the regular grid are left out of
    // the fits, unless too few spacings are regular.
    std::vector<char> valid(static_cast<std::size_t>(std::max(lines, 0)), 1);
    {
        double last = first > 0 ? r[static_cast<std::size_t>(first - 1)] - r[static_cast<std::size_t>(first)]
                                 : (first + 1 < lineTotal ? r[static_cast<std::size_t>(first)] - r[static_cast<std::size_t>(first + 1)] : 0.0);
        int accepted = 0;
        for (int i = 0; i + 1 < lines; ++i) {
            const double spacing = reference(i) - reference(i + 1);
            if (std::abs(spacing - last) > 2.0 && valid[static_cast<std::size_t>(i)] == 1) {
                valid[static_cast<std::size_t>(i)] = 0;
                valid[static_cast<std::size_t>(i) + 1] = 0;
            } else {
                valid[static_cast<std::size_t>(i) + 1] = 1;
                last = spacing;
                ++accepted;
            }
        }
        if (accepted < 5) std::fill(valid.begin(), valid.end(), 1);
    }

    std::vector<double> lineFrequency(static_cast<std::size_t>(std::max(lines, 0)));
    for (int i = 0; i < lines; ++i) lineFrequency[static_cast<std::size_t>(i)] = reference(i);
    // Fit over the lines from..to (inclusive); empty when to < from.
    auto fitLines = [&](int from, int to) {
        const int count = std::max(to - from + 1, 0);
        if (count == 0) return Fit{};
        const auto at = static_cast<std::size_t>(from);
        const auto n = static_cast<std::size_t>(count);
        return QuadraticFit(std::span<const double>(centre).subspan(at, n),
                            std::span<const double>(lineFrequency).subspan(at, n),
                            std::span<const char>(valid).subspan(at, n));
    };

    int p = 0;
    int e = 0;
    int segmentEnd = 0;  // K
    double slope = 0.0;  // J
    for (int source = in.firstSource; source < in.endSource; ++source) {
        const int q = source - in.firstSource;
        const bool lastSegment = source == in.endSource - 1;
        const int a = q == 0 ? 0 : segmentEnd;
        if (q > 0) {
            const double previousTransition = in.transitions[static_cast<std::size_t>(q - 1)];
            while (p < lines && centre[static_cast<std::size_t>(p)] < previousTransition) ++p;
        }
        int tail;
        if (lastSegment) {
            segmentEnd = sampleCount;
            e = lines;
            tail = lines < 10 ? 0 : 2;
        } else {
            const double transition = in.transitions[static_cast<std::size_t>(q)];
            // A transition outside the sweep (or not a number) ends the
            // segment at the sweep's edge.
            double end = std::trunc(reportedTransitions[static_cast<std::size_t>(q)] / s);
            if (!(end >= a)) end = a;
            if (end > sampleCount) end = sampleCount;
            segmentEnd = static_cast<int>(end);
            while (e < lines && centre[static_cast<std::size_t>(e)] < transition) ++e;
            tail = 0;
        }
        const int K = segmentEnd;

        // First fit, one line fewer than the refit; line p never enters a fit.
        const int firstFitLast = e - tail - 2;
        const Fit firstFit = fitLines(p + 1, firstFitLast);
        slope = -firstFit.c1;

        // Mode hops. The search needs a measured slope: a fit of at least two
        // lines that gives frequencies falling with position.
        std::vector<Hop> segmentHops;
        if (firstFitLast - p >= 2 && usable(firstFit)) {
            for (int i = p + 1; i < e - 2; ++i) {
                const auto at = static_cast<std::size_t>(i);
                const double measured = centre[at + 1] - centre[at];
                const double expected = (reference(i) - reference(i + 1)) / slope;
                const double excess = measured - expected;
                if (!(std::abs(excess) > hopExcessPeriods)) continue;
                if (reference(i) > kind1HopFreeAboveGHz && calibrationKind == 1) continue;

                // The hop lies where the reference signal stands out most
                // between the samples that bracket the two lines.
                const int lo = positions.firstAtOrAbove(a, centre[at]);
                const int hi = positions.lastAtOrBelow(K, centre[at + 1]);
                int h = lo + 1;
                if (hi - lo >= 2) {
                    double sum = 0.0;
                    for (int k = lo + 1; k < hi; ++k) sum += in.referenceSignal[static_cast<std::size_t>(k)];
                    const double mean = sum / (hi - lo - 1);
                    double largest = -1.0;
                    for (int k = lo + 1; k < hi; ++k) {
                        const double deviation = std::abs(in.referenceSignal[static_cast<std::size_t>(k)] - mean);
                        if (deviation > largest) {
                            largest = deviation;
                            h = k;
                        }
                    }
                }
                h = std::clamp(h, 1, sampleCount - 1);
                const double hopPosition = (positions.value(h - 1) + positions.value(h)) * 0.5;
                segmentHops.push_back({hopPosition, excess});

                positions.lower(h, excess);
                for (int k = i + 1; k < lines; ++k) centre[static_cast<std::size_t>(k)] -= excess;
                for (int k = 0; k < transitionCount; ++k) {
                    double& transition = in.transitions[static_cast<std::size_t>(k)];
                    if (transition > hopPosition) transition -= excess;
                }
            }
        }

        // Refit with the hops taken out.
        const Fit fit = fitLines(p + 1, e - tail - 1);
        if (!usable(fit)) return correctSautsFailed;
        slope = -fit.c1;
        positions.evaluate(a, K, fit, out.sampleFrequencies);

        std::vector<double>& f = out.sampleFrequencies;
        if (q == 0) {
            // Samples before the source reached its start take the first
            // frequency inside the sweep.
            const double threshold = in.startFrequency - in.startShift + s * slope;
            for (int k = K - 1; k >= 1; --k) {
                if (f[static_cast<std::size_t>(k) - 1] > threshold) f[static_cast<std::size_t>(k) - 1] = f[static_cast<std::size_t>(k)];
            }
        }
        if (lastSegment) {
            // Samples after the stop keep the last frequency inside the sweep.
            const double threshold = in.stopFrequency - s * slope;
            for (int k = 0; k + 1 < K; ++k) {
                if (f[static_cast<std::size_t>(k) + 1] < threshold) f[static_cast<std::size_t>(k) + 1] = f[static_cast<std::size_t>(k)];
            }
        }

        for (const Hop& hop : segmentHops) {
            if (out.hopCount >= CorrectSautsOut::maxHops) {
                out.hopsTruncated = true;
                break;
            }
            out.hopFrequencies.push_back(fit(hop.position));
            out.hopSizes.push_back(slope * hop.excess);
            ++out.hopCount;
        }

        const double segmentTransition = lastSegment ? 0.0 : in.transitions[static_cast<std::size_t>(q)];
        for (int k = 0; k < transitionCount; ++k) {
            const double position = in.transitions[static_cast<std::size_t>(k)];
            double& frequency = out.transitionFrequencies[static_cast<std::size_t>(k)];
            if (frequency == 0.0 && (lastSegment || position <= segmentTransition)) frequency = fit(position);
        }
    }
    out.slope = slope;
    return 0;
}

}  // namespace

int CorrectSauts(CorrectSautsIn& input, CorrectSautsOut& output, int calibrationKind, HopCorrection method)
{
    if (method == HopCorrection::Plain) return referenceSweep<PlainSamplePositions>(input, output, calibrationKind);
    return referenceSweep<OffsetSamplePositions>(input, output, calibrationKind);
}

int CorrectSauts(CorrectSautsIn& input, CorrectSautsOut& output, const std::string& calibFolder,
                 UnitIdentitySource& unit)
{
    const int kind = TabCalib(calibFolder, unit).calibrationKind();
    return CorrectSauts(input, output, kind);
}
