#include <gtest/gtest.h>

#include <random>

#include "SamplePositions.h"

namespace {

TEST(SamplePositionFormula, FirstPeriodOrCentreOfTheWindow)
{
    struct Case {
        int step;
        bool centre;
        double first, second;
    };
    const Case cases[] = {
        {1, true, 1.0, 2.0},    // a step of 1 has no centre to speak of
        {4, false, 1.0, 5.0},   // periods 1..4, 5..8
        {4, true, 2.5, 6.5},    // centres of 1..4 and 5..8
        {5, true, 3.0, 8.0},
    };
    for (const Case& c : cases) {
        const SamplePositionFormula formula(c.step, c.centre);
        EXPECT_EQ(formula(0), c.first);
        EXPECT_EQ(formula(1), c.second);
    }
}

// The accumulated offsets answer every question as the plain positions do,
// whatever the order and size of the hops (including hops at the same
// sample, before earlier ones, and larger than a sample so that positions
// fall back).
TEST(SamplePositions, OffsetsAgreeWithThePlainPositions)
{
    std::mt19937 random(7);
    for (int trial = 0; trial < 20; ++trial) {
        const int count = 50 + static_cast<int>(random() % 400);
        const int step = 1 + static_cast<int>(random() % 9);
        const SamplePositionFormula formula(step, trial % 2 == 0);
        PlainSamplePositions plain(count, formula);
        OffsetSamplePositions fast(count, formula);
        std::uniform_real_distribution<double> excess(-40.0, 40.0);
        for (int hop = 0; hop < 30; ++hop) {
            const int h = static_cast<int>(random() % static_cast<unsigned>(count + 2)) - 1;
            const double e = excess(random);
            plain.lower(h, e);
            fast.lower(h, e);
            for (int k = 0; k < count; ++k) ASSERT_NEAR(fast.value(k), plain.value(k), 1e-9);
            for (int query = 0; query < 20; ++query) {
                const double limit = std::uniform_real_distribution<double>(-50.0, count * step + 50.0)(random);
                const int from = static_cast<int>(random() % static_cast<unsigned>(count + 1));
                EXPECT_EQ(fast.firstAtOrAbove(from, limit), plain.firstAtOrAbove(from, limit));
                EXPECT_EQ(fast.lastAtOrBelow(from, limit), plain.lastAtOrBelow(from, limit));
            }
        }
        const Fit fit{1000.0, -0.5, 1e-4, 10.0};
        std::vector<double> a(static_cast<std::size_t>(count), -1.0);
        std::vector<double> b(static_cast<std::size_t>(count), -1.0);
        plain.evaluate(3, count - 2, fit, a);
        fast.evaluate(3, count - 2, fit, b);
        for (int k = 0; k < count; ++k) EXPECT_NEAR(a[static_cast<std::size_t>(k)], b[static_cast<std::size_t>(k)], 1e-9);
    }
}

}  // namespace
