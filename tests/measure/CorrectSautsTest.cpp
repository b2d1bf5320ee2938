#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "CorrectSauts.h"
#include "QuadraticFit.h"
#include "SyntheticSweep.h"

namespace {

constexpr double truthTolerance = 0.05;  // GHz

// Largest |recovered − true| frequency over the samples from `from` to `to`.
double largestError(const SyntheticSweep& sweep, const CorrectSautsOut& out, int from = 0, int to = -1)
{
    if (to < 0) to = sweep.sampleCount;
    double largest = 0.0;
    for (int j = from; j < to; ++j) {
        const double truth = sweep.frequency(sweep.samplePosition(j));
        largest = std::max(largest, std::abs(out.sampleFrequencies[static_cast<std::size_t>(j)] - truth));
    }
    return largest;
}

SyntheticSweep linearSweep()
{
    SyntheticSweep sweep;
    sweep.sources = {{0.0, 195950.0, 0.125, 0.0}};
    return sweep;
}

TEST(LeastSquaresLine, HandComputedLines)
{
    struct Case {
        std::vector<double> x, y;
        double intercept, slope;
    };
    const Case cases[] = {
        {{0, 1, 2}, {1, 3, 5}, 1, 2},
        {{1, 2, 3, 4}, {2, 2, 4, 4}, 1, 0.8},  // mean x 2.5: slope 2 / 2.5, intercept (12 - 8) / 4
        {{1, 1, 1}, {1, 2, 6}, 3, 0},          // all x equal: the mean
        {{}, {}, 0, 0},
    };
    for (const Case& c : cases) {
        const LineFit line = LeastSquaresLine(c.x, c.y);
        EXPECT_NEAR(line.slope, c.slope, 1e-12);
        EXPECT_NEAR(line.intercept, c.intercept, 1e-12);
    }
}

TEST(QuadraticFit, SmallCountsAndExactQuadratics)
{
    const std::vector<char> allSet(5, 1);
    // No point: all zero. One point: fixed slope -100. Two: the line through them.
    Fit none = QuadraticFit({}, {}, {});
    EXPECT_EQ(none.c0, 0.0);
    EXPECT_EQ(none.c1, 0.0);
    const std::vector<double> x1{7}, y1{190000};
    Fit one = QuadraticFit(x1, y1, std::vector<char>{0});
    EXPECT_EQ(one.c0, 190000.0);
    EXPECT_EQ(one.c1, -100.0);
    EXPECT_EQ(one.x0, 7.0);
    const std::vector<double> x2{10, 20}, y2{1000, 900};
    Fit two = QuadraticFit(x2, y2, std::vector<char>{0, 0});  // flags not consulted
    EXPECT_EQ(two.c0, 1000.0);
    EXPECT_EQ(two.c1, -10.0);
    EXPECT_EQ(two.x0, 10.0);
    const std::vector<double> same{10, 10};
    EXPECT_EQ(QuadraticFit(same, y2, {}).c1, 0.0);

    // y = 3 + 2 (x - 2) - 0.5 (x - 2)^2 at x = 0 .. 4, centre x0 = 2.
    const std::vector<double> x{0, 1, 2, 3, 4};
    std::vector<double> y;
    for (double v : x) y.push_back(3 + 2 * (v - 2) - 0.5 * (v - 2) * (v - 2));
    Fit exact = QuadraticFit(x, y, allSet);
    EXPECT_EQ(exact.x0, 2.0);
    EXPECT_NEAR(exact.c0, 3.0, 1e-9);
    EXPECT_NEAR(exact.c1, 2.0, 1e-9);
    EXPECT_NEAR(exact.c2, -0.5, 1e-9);

    // A point whose flag is 0 does not pull the fit.
    std::vector<double> outlier = y;
    outlier[2] += 50;
    Fit flagged = QuadraticFit(x, outlier, std::vector<char>{1, 1, 0, 1, 1});
    EXPECT_EQ(flagged.x0, 2.0);
    EXPECT_NEAR(flagged.c1, 2.0, 1e-6);
    EXPECT_NEAR(flagged.c2, -0.5, 1e-6);

    // Every flag 0: no solution, the fit keeps zero coefficients.
    Fit unflagged = QuadraticFit(x, y, std::vector<char>(5, 0));
    EXPECT_EQ(unflagged.c1, 0.0);
    EXPECT_EQ(unflagged.c2, 0.0);
}

TEST(CorrectSauts, LinearSweepWithoutHops)
{
    const SyntheticSweep sweep = linearSweep();
    CorrectSautsIn in = sweep.input(gridLines(200000, 250));
    CorrectSautsOut out;
    ASSERT_EQ(CorrectSauts(in, out, 2), 0);
    ASSERT_EQ(out.sampleFrequencies.size(), 20000u);
    EXPECT_LT(largestError(sweep, out), truthTolerance);
    EXPECT_EQ(out.hopCount, 0);
    EXPECT_NEAR(out.slope, 0.125, 1e-6);
}

struct HopCase {
    const char* what;
    double curvature;
    std::vector<int> hopSamples;
    std::vector<double> drops;
};

TEST(CorrectSauts, RecoversSweepsWithModeHops)
{
    // Hops sit between reference lines; the slightly quadratic k-clock (the
    // rate changes by 0.1 % over the sweep) keeps its hops near the middle.
    const HopCase cases[] = {
        {"one hop to a lower frequency", 0.0, {9000}, {3.0}},
        {"one hop to a higher frequency", 0.0, {12000}, {-4.0}},
        {"hops of both signs", 0.0, {5000, 9000, 14040}, {3.0, -2.5, 6.0}},
        {"quadratic without hops", 6.25e-10, {}, {}},
        {"quadratic with hops of both signs", 6.25e-10, {9000, 11000}, {3.0, -2.0}},
    };
    for (const HopCase& c : cases) {
        SyntheticSweep sweep = linearSweep();
        sweep.sources[0].curvature = c.curvature;
        sweep.hopSamples = c.hopSamples;
        sweep.hopDrops = c.drops;
        CorrectSautsIn in = sweep.input(gridLines(200000, 250));
        CorrectSautsOut out;
        ASSERT_EQ(CorrectSauts(in, out, 2), 0) << c.what;
        EXPECT_LT(largestError(sweep, out), truthTolerance) << c.what;
        ASSERT_EQ(out.hopCount, static_cast<int>(c.hopSamples.size())) << c.what;
        for (std::size_t h = 0; h < c.hopSamples.size(); ++h) {
            // The size is signed: a drop in frequency is a negative excess.
            // The search measures the excess with the first fit's slope,
            // which the uncorrected hops still bend a little.
            EXPECT_NEAR(out.hopSizes[h], -c.drops[h], 0.1) << c.what;
            EXPECT_NEAR(out.hopFrequencies[h], sweep.frequency(sweep.hopPosition(h) - 1e-6), truthTolerance)
                << c.what;
        }
    }
}

TEST(CorrectSauts, ChainedSourcesWithTransitions)
{
    // Two sources, then three (the third one faster), each with a hop; the
    // extra jumps of the etalon modes get frequencies too. The hops of the
    // earlier sources move the later transitions' positions, not the samples
    // where the sources change. (On these shorter segments the first fit,
    // which still holds the hop, bends enough that hops much above 2 GHz
    // leave a residue near 0.05 GHz.)
    struct Case {
        const char* what;
        std::vector<TruthSource> sources;
        std::vector<int> hops;
        std::vector<double> drops;
        std::vector<double> extra;
    };
    const Case cases[] = {
        {"two sources", {{0, 195950, 0.125, 0}, {50000, 189700, 0.1, 0}}, {4000, 15100}, {2.0, -2.0}, {}},
        {"three sources",
         {{0, 195950, 0.125, 0}, {35000, 191575, 0.1, 0}, {70000, 188075, 0.15, 0}},
         {4000, 9000, 16000},
         {2.0, -2.0, 2.0},
         {21000.25, 81000.25}},
        // The last source crosses five lines: its first fit holds a single
        // line, whose placeholder slope cannot measure hops.
        {"a short last source", {{0, 195950, 0.125, 0}, {95600, 184000, 0.125, 0}}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SyntheticSweep sweep;
        sweep.sources = c.sources;
        sweep.hopSamples = c.hops;
        sweep.hopDrops = c.drops;
        sweep.extraTransitions = c.extra;
        CorrectSautsIn in = sweep.input(gridLines(200000, 250));
        CorrectSautsOut out;
        ASSERT_EQ(CorrectSauts(in, out, 2), 0) << c.what;
        EXPECT_LT(largestError(sweep, out), truthTolerance) << c.what;
        EXPECT_EQ(out.hopCount, static_cast<int>(c.hops.size())) << c.what;
        ASSERT_EQ(out.transitionFrequencies.size(), c.sources.size() - 1 + c.extra.size());
        for (std::size_t q = 1; q < c.sources.size(); ++q) {
            EXPECT_NEAR(out.transitionFrequencies[q - 1], sweep.frequency(c.sources[q].startPosition - 1e-6),
                        truthTolerance)
                << c.what << " transition " << q - 1;
        }
        for (std::size_t k = 0; k < c.extra.size(); ++k) {
            EXPECT_NEAR(out.transitionFrequencies[c.sources.size() - 1 + k], sweep.frequency(c.extra[k]),
                        truthTolerance)
                << c.what << " extra " << k;
        }
        EXPECT_NEAR(out.slope, c.sources.back().rate, 1e-5) << c.what;
    }
}

TEST(CorrectSauts, ATransitionKeepsTheFrequencyOfTheSegmentItEnds)
{
    // The second source starts 30 GHz below where the first one stopped (no
    // line in the gap): the transition belongs to the first source.
    SyntheticSweep sweep;
    sweep.sources = {{0, 195950, 0.125, 0}, {49600, 189720, 0.1, 0}};
    CorrectSautsIn in = sweep.input(gridLines(200000, 250));
    CorrectSautsOut out;
    ASSERT_EQ(CorrectSauts(in, out, 2), 0);
    EXPECT_LT(largestError(sweep, out), truthTolerance);
    EXPECT_NEAR(out.transitionFrequencies[0], 189750.0, truthTolerance);
}

TEST(CorrectSauts, StartPlaceAndStatusBitChooseTheFirstReferenceLine)
{
    // Lines 125 GHz apart so that the places 0.45 and 0.852 are exact. The
    // sweep's first crossing is the line at 198875 GHz; its upper neighbour
    // is 199000. The nominal start sets the place ap; a pairing one line off
    // shows as a 125 GHz offset.
    struct Case {
        bool trigger;
        int statusBit1;
        double start;
        double offset;
    };
    const Case cases[] = {
        {false, 1, 198950.0, 125.0},   // ap 0.4 with bit 1: one line earlier
        {false, 1, 198943.75, 0.0},    // ap exactly 0.45: unchanged
        {false, 0, 198950.0, 0.0},
        {false, 0, 198890.0, 0.0},     // the trigger rule does not apply
        {true, 0, 198890.0, -125.0},   // ap 0.88 without bit 1: one line later
        {true, 0, 198893.5, 0.0},      // ap exactly 0.852: unchanged
        {true, 1, 198890.0, 0.0},
        {true, 1, 198950.0, 0.0},      // the other rule does not apply in trigger mode
    };
    SyntheticSweep sweep;
    sweep.sources = {{0, 198930, 0.125, 0}};
    for (const Case& c : cases) {
        CorrectSautsIn in = sweep.input(gridLines(200000, 200, 125.0));
        in.trigger = c.trigger;
        in.statusBit1 = static_cast<std::int16_t>(c.statusBit1);
        in.startFrequency = c.start;
        CorrectSautsOut out;
        ASSERT_EQ(CorrectSauts(in, out, 2), 0);
        const double truth = sweep.frequency(sweep.samplePosition(10000));
        EXPECT_NEAR(out.sampleFrequencies[10000] - truth, c.offset, truthTolerance)
            << "trigger " << c.trigger << " bit " << c.statusBit1 << " start " << c.start;
    }
}

TEST(CorrectSauts, KindOneUnitsSeeNoHopsAbove222000GHz)
{
    struct Case {
        int kind;
        int hopSample;
        int hops;
    };
    const Case cases[] = {
        {1, 4000, 0},  // about 223450 GHz
        {2, 4000, 1},
        {1, 8000, 1},  // about 220950 GHz
    };
    for (const Case& c : cases) {
        SyntheticSweep sweep;
        sweep.sources = {{0, 225950, 0.125, 0}};
        sweep.hopSamples = {c.hopSample};
        sweep.hopDrops = {3.0};
        CorrectSautsIn in = sweep.input(gridLines(230000, 250));
        CorrectSautsOut out;
        ASSERT_EQ(CorrectSauts(in, out, c.kind), 0);
        EXPECT_EQ(out.hopCount, c.hops) << "kind " << c.kind << " hop at " << c.hopSample;
    }
}

TEST(CorrectSauts, IrregularReferenceSpacingsLeaveTheirLinesOutOfTheFits)
{
    // A fast sweep (0.5 GHz per period, so that 3 GHz is no hop) and a
    // reference table whose values for five lines near the end are 3 GHz
    // too high. Their spacings break the grid by more than 2 GHz: those
    // lines stay out of the fits, which follow the true lines.
    SyntheticSweep sweep;
    sweep.sources = {{0, 199950, 0.5, 0}};
    const std::vector<double> truthLines = gridLines(200000, 520);
    std::vector<double> table = truthLines;
    for (const int line : {430, 445, 460, 475, 490}) table[static_cast<std::size_t>(line)] += 3.0;
    CorrectSautsIn in = sweep.input(truthLines);
    in.referenceLines = table;
    CorrectSautsOut out;
    ASSERT_EQ(CorrectSauts(in, out, 2), 0);
    EXPECT_EQ(out.hopCount, 0);
    EXPECT_LT(largestError(sweep, out), truthTolerance);
}

TEST(CorrectSauts, CasesWithoutAPartnerOrAFit)
{
    const SyntheticSweep sweep = linearSweep();
    const std::vector<double> lines = gridLines(200000, 250);

    // The start lies above the first reference line: a line one spacing
    // above stands in for the missing neighbour and the sweep is referenced.
    {
        CorrectSautsIn in = sweep.input(gridLines(195900, 200));
        CorrectSautsOut out;
        ASSERT_EQ(CorrectSauts(in, out, 2), 0);
        EXPECT_LT(largestError(sweep, out), truthTolerance);
        // ...unless the place asks for the line before the first one.
        in = sweep.input(gridLines(195900, 200));
        in.statusBit1 = 1;
        in.startFrequency = 195980;
        EXPECT_EQ(CorrectSauts(in, out, 2), correctSautsFailed);
    }
    // Fewer reference lines than measured lines: the extra lines take no
    // part; the samples beyond them follow the fit.
    {
        CorrectSautsIn in = sweep.input(lines);
        in.referenceLines.resize(60);
        CorrectSautsOut out;
        ASSERT_EQ(CorrectSauts(in, out, 2), 0);
        EXPECT_LT(largestError(sweep, out), truthTolerance);
    }

    struct Failure {
        const char* what;
        void (*damage)(CorrectSautsIn&);
    };
    const Failure failures[] = {
        {"start below the last reference line", [](CorrectSautsIn& in) { in.referenceLines = gridLines(300000, 10); }},
        {"no reference lines", [](CorrectSautsIn& in) { in.referenceLines.clear(); }},
        {"no marks", [](CorrectSautsIn& in) { in.markCount = 0; }},
        {"more marks than given", [](CorrectSautsIn& in) { in.markCount = static_cast<int>(in.marks.size()) + 2; }},
        {"no sampling step", [](CorrectSautsIn& in) { in.samplingStep = 0; }},
        {"reference signal too short", [](CorrectSautsIn& in) { in.referenceSignal.resize(100); }},
        {"no source", [](CorrectSautsIn& in) { in.endSource = in.firstSource; }},
        {"a segment without its transition", [](CorrectSautsIn& in) { in.endSource = in.firstSource + 2; }},
        // The second source covers 100 base periods: no line for its fit.
        {"a segment without lines", [](CorrectSautsIn& in) {
             in.endSource = in.firstSource + 2;
             in.transitions = {99900.0};
             in.transitionCount = 1;
         }},
        {"a single sample", [](CorrectSautsIn& in) { in.sampleCount = 1; }},
    };
    for (const Failure& f : failures) {
        CorrectSautsIn in = sweep.input(lines);
        f.damage(in);
        CorrectSautsOut out;
        EXPECT_EQ(CorrectSauts(in, out, 2), correctSautsFailed) << f.what;
        EXPECT_EQ(CorrectSauts(in, out, 2, HopCorrection::Plain), correctSautsFailed) << f.what;
    }
}

// Hops between every pair of lines, alternating in sign: more than the hop
// arrays hold.
SyntheticSweep sweepWithManyHops(int lineCount)
{
    SyntheticSweep sweep;
    sweep.samplingStep = 10;
    const double rate = 0.125;
    const double span = (lineCount + 1) * 100.0;
    sweep.sampleCount = static_cast<int>(span / rate / sweep.samplingStep);
    sweep.sources = {{0, 300000 - 50, rate, 0}};
    // Crossings every 800 periods (80 samples) from 400 periods on; a hop in
    // the middle between two crossings.
    for (int i = 0; i + 1 < lineCount; ++i) {
        sweep.hopSamples.push_back(40 + 80 * i + 40);
        sweep.hopDrops.push_back(i % 2 == 0 ? 2.5 : -2.5);
    }
    return sweep;
}

TEST(CorrectSauts, MoreHopsThanTheArraysHoldAreAllCorrected)
{
    const SyntheticSweep sweep = sweepWithManyHops(1105);
    CorrectSautsIn in = sweep.input(gridLines(300000, 1200));
    CorrectSautsOut out;
    ASSERT_EQ(CorrectSauts(in, out, 2), 0);
    EXPECT_EQ(out.hopCount, CorrectSautsOut::maxHops);
    EXPECT_TRUE(out.hopsTruncated);
    EXPECT_EQ(out.hopFrequencies.size(), static_cast<std::size_t>(CorrectSautsOut::maxHops));
    // The hop before the second line is never looked for (the first line
    // takes no part); everything after it is corrected.
    EXPECT_LT(largestError(sweep, out, sweep.hopSamples.front()), truthTolerance);
}

void expectSameResults(const CorrectSautsIn& inFast, const CorrectSautsOut& fast, const CorrectSautsIn& inPlain,
                       const CorrectSautsOut& plain)
{
    ASSERT_EQ(fast.sampleFrequencies.size(), plain.sampleFrequencies.size());
    double largest = 0.0;
    for (std::size_t j = 0; j < fast.sampleFrequencies.size(); ++j)
        largest = std::max(largest, std::abs(fast.sampleFrequencies[j] - plain.sampleFrequencies[j]));
    EXPECT_LT(largest, 1e-6);
    ASSERT_EQ(fast.hopCount, plain.hopCount);
    EXPECT_EQ(fast.hopsTruncated, plain.hopsTruncated);
    for (std::size_t h = 0; h < fast.hopFrequencies.size(); ++h) {
        EXPECT_NEAR(fast.hopFrequencies[h], plain.hopFrequencies[h], 1e-6);
        EXPECT_NEAR(fast.hopSizes[h], plain.hopSizes[h], 1e-6);
    }
    ASSERT_EQ(fast.transitionFrequencies.size(), plain.transitionFrequencies.size());
    for (std::size_t k = 0; k < fast.transitionFrequencies.size(); ++k) {
        EXPECT_NEAR(fast.transitionFrequencies[k], plain.transitionFrequencies[k], 1e-6);
        EXPECT_NEAR(inFast.transitions[k], inPlain.transitions[k], 1e-6);
    }
    EXPECT_NEAR(fast.slope, plain.slope, 1e-12);
}

TEST(CorrectSauts, AccumulatedOffsetsMatchThePlainHopCorrection)
{
    // Random chained sweeps with many hops of random size and sign, some of
    // them larger than a sample so that positions fall back across a hop.
    std::mt19937 random(20240517);
    for (int trial = 0; trial < 4; ++trial) {
        SyntheticSweep sweep;
        sweep.samplingStep = 1 + static_cast<int>(random() % 7);
        sweep.sampleCount = 200000 / sweep.samplingStep;
        const double rate = 0.125;
        sweep.sources = {{0, 196000 - 37.5, rate, 1e-11}, {100000, 196000 - 37.5 - rate * 100000 - 0.9, rate * 1.1, 0}};
        std::uniform_real_distribution<double> size(2.0, 8.0);
        for (int h = 200; h < sweep.sampleCount - 200; h += 40 + static_cast<int>(random() % 400)) {
            sweep.hopSamples.push_back(h);
            sweep.hopDrops.push_back(random() % 2 ? size(random) : -size(random));
        }
        sweep.extraTransitions = {1000.25, 150000.5};
        CorrectSautsIn inFast = sweep.input(gridLines(200000, 400));
        CorrectSautsIn inPlain = inFast;
        CorrectSautsOut fast;
        CorrectSautsOut plain;
        ASSERT_EQ(CorrectSauts(inFast, fast, 2, HopCorrection::Accumulated), 0) << trial;
        ASSERT_EQ(CorrectSauts(inPlain, plain, 2, HopCorrection::Plain), 0) << trial;
        EXPECT_GT(fast.hopCount, 0) << trial;
        expectSameResults(inFast, fast, inPlain, plain);
    }
    // And past the hop arrays' size.
    const SyntheticSweep many = sweepWithManyHops(1105);
    CorrectSautsIn inFast = many.input(gridLines(300000, 1200));
    CorrectSautsIn inPlain = inFast;
    CorrectSautsOut fast;
    CorrectSautsOut plain;
    ASSERT_EQ(CorrectSauts(inFast, fast, 2, HopCorrection::Accumulated), 0);
    ASSERT_EQ(CorrectSauts(inPlain, plain, 2, HopCorrection::Plain), 0);
    expectSameResults(inFast, fast, inPlain, plain);
}

}  // namespace
