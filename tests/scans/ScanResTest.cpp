#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ScanRes.h"

namespace {

using Doubles = std::vector<double>;

// A measured result on the output channel only, with sample indexes 0, 1, 2 ...
ScanRes measured(const Doubles& wavelength, const Doubles& output)
{
    ScanRes result;
    result.wavelength = wavelength;
    result.values[ScanChannel::Output] = output;
    result.present[ScanChannel::Output] = true;
    for (std::size_t i = 0; i < wavelength.size(); ++i) {
        result.sampleIndex.push_back(static_cast<int>(i));
        result.velocity.push_back(10.0 * static_cast<double>(i));
    }
    return result;
}

TEST(ScanResAppend, JoinsTheNextSourceAtTheMiddleOfTheOverlap)
{
    ScanRes first = measured({1500, 1501, 1502, 1503, 1504}, {10, 11, 12, 13, 14});
    first.lines = {1500.5};
    first.endSource = 1;
    first.scanStop = 1504;
    first.sweepVelocities = {20.0};
    first.segments = {{0, 5}};
    ScanRes next = measured({1502.5, 1503.5, 1504.5, 1505.5}, {20, 21, 22, 23});
    next.lines = {1505.0};
    next.referenceWavelengths = {1503.7};
    next.referenceDeviations = {-4.5};
    next.endSource = 2;
    next.scanStop = 1505.5;
    next.sweepVelocities = {21.0};
    next.segments = {{5, 9}};

    ASSERT_EQ(first.Append(next), 0);
    // Last sample not above 1502.5 is 2, so i = 1 and m = (5 + 1) / 2 = 3 at
    // 1503 nm; the next result continues with its first sample not below
    // 1503 nm (1503.5, index 1).
    EXPECT_EQ(first.wavelength, (Doubles{1500, 1501, 1502, 1503, 1503.5, 1504.5, 1505.5}));
    EXPECT_EQ(first.values[ScanChannel::Output], (Doubles{10, 11, 12, 13, 21, 22, 23}));
    EXPECT_EQ(first.velocity, (Doubles{0, 10, 20, 30, 10, 20, 30}));
    EXPECT_EQ(first.sampleIndex, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(first.lines, (Doubles{1500.5, 1505.0}));
    EXPECT_EQ(first.referenceWavelengths, (Doubles{1503.7}));
    EXPECT_EQ(first.referenceDeviations, (Doubles{-4.5}));
    EXPECT_EQ(first.sweepVelocities, (Doubles{20.0, 21.0}));
    ASSERT_EQ(first.segments.size(), 2u);
    EXPECT_EQ(first.segments[1], (std::pair<int, int>{5, 9}));
    // The joined result runs to the next result's last source.
    EXPECT_EQ(first.endSource, 2);
    EXPECT_EQ(first.scanStop, 1505.5);
}

TEST(ScanResAppend, RefusesResultsThatDoNotOverlapAsRequired)
{
    struct Case {
        const char* what;
        Doubles first;
        Doubles next;
    };
    const Case cases[] = {
        {"next starts below this start", {1500, 1501, 1502}, {1499, 1502, 1503}},
        {"this ends above the next end", {1500, 1501, 1505}, {1501, 1502, 1503}},
        {"next is empty", {1500, 1501}, {}},
        {"this is empty", {}, {1500, 1501}},
    };
    for (const Case& c : cases) {
        ScanRes first = measured(c.first, Doubles(c.first.size(), 1.0));
        const ScanRes next = measured(c.next, Doubles(c.next.size(), 2.0));
        const ScanRes before = first;
        EXPECT_EQ(first.Append(next), -1) << c.what;
        EXPECT_EQ(first.wavelength, before.wavelength) << c.what;
        EXPECT_EQ(first.values[ScanChannel::Output], before.values[ScanChannel::Output]) << c.what;
        EXPECT_EQ(first.sampleIndex, before.sampleIndex) << c.what;
    }
}

TEST(ScanResAppend, NextResultNeverReachingTheJoinWavelengthEndsTheResultThere)
{
    // Uncleaned wavelengths: the join point m = (4 - 1) / 2 = 1 lies at
    // 1504 nm, which no sample of the next result reaches. The result ends at
    // m and nothing is read past the next result's end.
    ScanRes first = measured({1500, 1504, 1502, 1503}, {1, 2, 3, 4});
    const ScanRes next = measured({1500.5, 1501, 1502, 1503.5}, {9, 9, 9, 9});
    ASSERT_EQ(first.Append(next), 0);
    EXPECT_EQ(first.wavelength, (Doubles{1500, 1504}));
    EXPECT_EQ(first.values[ScanChannel::Output], (Doubles{1, 2}));
    EXPECT_EQ(first.sampleIndex, (std::vector<int>{0, 1}));
}

TEST(ScanResRemoveBackSteps, KeepsOnlyRisingWavelengths)
{
    struct Case {
        Doubles wavelength;
        Doubles kept;
        std::vector<int> keptIndex;
    };
    const Case cases[] = {
        // A run of equal wavelengths at the start keeps its last sample.
        {{5, 5, 5, 6, 7}, {5, 6, 7}, {2, 3, 4}},
        {{1, 2, 2, 3, 1, 4}, {1, 2, 3, 4}, {0, 1, 3, 5}},
        // The first kept sample is replaced by the one just before the rise.
        {{4, 3, 5}, {3, 5}, {1, 2}},
        {{3, 2, 1}, {3}, {0}},
        {{}, {}, {}},
    };
    for (const Case& c : cases) {
        Doubles output;
        for (std::size_t i = 0; i < c.wavelength.size(); ++i) output.push_back(100.0 + static_cast<double>(i));
        ScanRes result = measured(c.wavelength, output);
        const int removed = result.RemoveBackSteps();
        EXPECT_EQ(removed, static_cast<int>(c.wavelength.size() - c.kept.size()));
        EXPECT_EQ(result.wavelength, c.kept);
        EXPECT_EQ(result.sampleIndex, c.keptIndex);
        ASSERT_EQ(result.values[ScanChannel::Output].size(), c.kept.size());
        ASSERT_EQ(result.velocity.size(), c.kept.size());
        for (std::size_t t = 0; t < c.kept.size(); ++t) {
            EXPECT_EQ(result.values[ScanChannel::Output][t], 100.0 + c.keptIndex[t]);
            EXPECT_EQ(result.velocity[t], 10.0 * c.keptIndex[t]);
        }
    }
}

TEST(ScanResResample, GridCountAndSpacing)
{
    ScanRes result = measured({1499, 1502}, {0, 3});
    EXPECT_EQ(result.Resample(1500, 1501, 10), 101);
    ASSERT_EQ(result.resampledWavelength.size(), 101u);
    EXPECT_NEAR(result.resampledWavelength[1] - result.resampledWavelength[0], 0.01, 1e-9);
    EXPECT_DOUBLE_EQ(result.resampledWavelength.back(), 1501.0);
    // Rounding noise does not add a point beyond the stop.
    ScanRes noisy = measured({1499, 1602}, {0, 3});
    EXPECT_EQ(noisy.Resample(1500.3, 1600.3, 100), 1001);
}

TEST(ScanResResample, InterpolatesEachPresentChannel)
{
    ScanRes result = measured({1500.0, 1500.5, 1501.0}, {0, 1, 3});
    result.sampleIndex.clear();  // a loaded scan: every sample counts
    result.values[ScanChannel::Detector1] = {-10, -12, -20};
    result.present[ScanChannel::Detector1] = true;
    result.values[ScanChannel::Detector2] = {7, 7, 7};  // measured but not marked present
    result.values[ScanChannel::Ext] = {1};              // marked present, but one value short
    result.present[ScanChannel::Ext] = true;

    ASSERT_EQ(result.Resample(1499.5, 1501.5, 250), 9);
    // Below the first sample its value (never an unmeasured 0); on and between
    // samples the line through the segment; beyond the last sample the last
    // segment extended.
    EXPECT_EQ(result.resampledValues[ScanChannel::Output],
              (Doubles{0, 0, 0, 0.5, 1, 2, 3, 4, 5}));
    EXPECT_EQ(result.resampledValues[ScanChannel::Detector1],
              (Doubles{-10, -10, -10, -11, -12, -16, -20, -24, -28}));
    EXPECT_TRUE(result.resampledValues[ScanChannel::Detector2].empty());
    EXPECT_TRUE(result.resampledValues[ScanChannel::Ext].empty());
}

TEST(ScanResResample, TrimsTheMeasuredArraysBeforeTheGridIsBuilt)
{
    struct Case {
        const char* what;
        double start;
        bool withSampleIndex;
        Doubles remaining;
        Doubles grid;  // output channel on the grid start, +0.1, ... 1501.0
    };
    // Output 0, 1, 3 at 1500.0, 1500.5, 1501.0. The grid is computed from
    // the samples that stay, the ones a saved scan keeps.
    const Case cases[] = {
        {"measured scan starting on the grid loses its last sample", 1500.0, true, {1500.0, 1500.5},
         {0, 0.2, 0.4, 0.6, 0.8, 1, 1.2, 1.4, 1.6, 1.8, 2}},
        {"a first sample before the grid goes too", 1500.2, true, {1500.5}, {1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"a loaded scan (no sample indexes) keeps its last sample", 1500.0, false, {1500.0, 1500.5, 1501.0},
         {0, 0.2, 0.4, 0.6, 0.8, 1, 1.4, 1.8, 2.2, 2.6, 3}},
        {"loaded, starting before the grid: kept too", 1500.2, false, {1500.0, 1500.5, 1501.0},
         {0.4, 0.6, 0.8, 1, 1.4, 1.8, 2.2, 2.6, 3}},
    };
    for (const Case& c : cases) {
        ScanRes result = measured({1500.0, 1500.5, 1501.0}, {0, 1, 3});
        if (!c.withSampleIndex) result.sampleIndex.clear();
        result.Resample(c.start, 1501.0, 100);
        EXPECT_EQ(result.wavelength, c.remaining) << c.what;
        EXPECT_EQ(result.values[ScanChannel::Output].size(), c.remaining.size()) << c.what;
        EXPECT_EQ(result.velocity.size(), c.remaining.size()) << c.what;
        const Doubles& grid = result.resampledValues[ScanChannel::Output];
        ASSERT_EQ(grid.size(), c.grid.size()) << c.what;
        for (std::size_t g = 0; g < grid.size(); ++g) EXPECT_NEAR(grid[g], c.grid[g], 1e-9) << c.what << " " << g;

        // Resampling what is left (what a loaded scan file holds) gives the same grid.
        ScanRes loaded = result;
        loaded.sampleIndex.clear();
        loaded.Resample(c.start, 1501.0, 100);
        EXPECT_EQ(loaded.resampledValues[ScanChannel::Output], grid) << c.what;
        EXPECT_EQ(loaded.wavelength, result.wavelength) << c.what;
    }
}

TEST(ScanResResample, RefusesGridsItCannotBuild)
{
    const double cases[][3] = {
        {1500, 1501, 0},      // no step
        {1500, 1501, -5},     // negative step
        {1501, 1500, 10},     // stop below start
        {0, 1e12, 1},         // far too many points
        {1500, NAN, 10},
    };
    for (const auto& c : cases) {
        ScanRes result = measured({1500, 1501}, {0, 1});
        result.resampledWavelength = {1, 2, 3};
        EXPECT_EQ(result.Resample(c[0], c[1], c[2]), 0);
        EXPECT_TRUE(result.resampledWavelength.empty());
        EXPECT_TRUE(result.resampledValues[ScanChannel::Output].empty());
    }
}

TEST(ScanResResample, WorksWithoutSamples)
{
    ScanRes result;
    result.present[ScanChannel::Output] = true;
    ASSERT_EQ(result.Resample(1500, 1500.03, 10), 4);
    EXPECT_EQ(result.resampledValues[ScanChannel::Output], (Doubles{0, 0, 0, 0}));

    ScanRes single = measured({1500.01}, {5});
    single.sampleIndex.clear();  // loaded: a measured scan would lose its only (last) sample
    ASSERT_EQ(single.Resample(1500, 1500.03, 10), 4);
    EXPECT_EQ(single.resampledValues[ScanChannel::Output], (Doubles{5, 5, 5, 5}));
}

}  // namespace
