// The scan range and detector rules shared by the window, vemar-cli and the
// remote command server.

#include <gtest/gtest.h>

#include "ScanSettingRules.h"

namespace {

using ScanSettingRules::RangeProblem;

TEST(ScanSettingRules, RangeProblemsInTheOrderTheyAreReported)
{
    struct Case {
        double start, stop, low, high;
        RangeProblem expected;
    };
    const Case cases[] = {
        {1500.0, 1510.0, 1240.0, 1680.0, RangeProblem::None},
        {1500.0, 1505.0, 1240.0, 1680.0, RangeProblem::None},
        // 5.0 nm as one-decimal edits hold it, whose difference is a hair under 5 in binary.
        {1500.1, 1505.1, 1240.0, 1680.0, RangeProblem::None},
        {1500.0, 1504.9, 1240.0, 1680.0, RangeProblem::TooShort},
        {1510.0, 1500.0, 1240.0, 1680.0, RangeProblem::TooShort},
        // Too short comes before the sources.
        {1500.0, 1502.0, 1680.0, 1240.0, RangeProblem::TooShort},
        // No source enabled: LowestLambdaMin is then the largest double.
        {1500.0, 1510.0, 1.7e308, 2.2e-308, RangeProblem::NoSource},
        {1500.0, 1510.0, 1505.0, 1600.0, RangeProblem::OutsideSources},
        {1500.0, 1610.0, 1400.0, 1600.0, RangeProblem::OutsideSources},
        {1400.0, 1600.0, 1400.0, 1600.0, RangeProblem::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScanSettingRules::scanRangeProblem(c.start, c.stop, c.low, c.high), c.expected)
            << c.start << " to " << c.stop << " with sources " << c.low << " to " << c.high;
}

TEST(ScanSettingRules, FirstMissingDetector)
{
    EXPECT_EQ(ScanSettingRules::firstMissingDetector(false, false, false, 1), 0);
    EXPECT_EQ(ScanSettingRules::firstMissingDetector(true, false, false, 1), 2);
    EXPECT_EQ(ScanSettingRules::firstMissingDetector(true, true, true, 2), 3);
    EXPECT_EQ(ScanSettingRules::firstMissingDetector(false, false, true, 3), 4);
    EXPECT_EQ(ScanSettingRules::firstMissingDetector(true, true, true, 4), 0);
}

}  // namespace
