#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "CalibEncoding.h"

namespace {

using namespace CalibEncoding;

TEST(CalibEncodingTest, BaseValue)
{
    struct Case {
        double value;
        std::uint16_t word, offset;
    };
    const Case cases[] = {
        {1.5, 1500, 0}, {0.0, 0, 0}, {-0.25, 750, 1}, {-2.0, 0, 2}, {-2.5, 500, 3}, {65.0, 65000, 0},
        {70.0, 65535, 0},  // does not fit: clamped, not wrapped
    };
    for (const Case& c : cases) {
        const BaseWords w = encodeBase(c.value);
        EXPECT_EQ(w.word, c.word) << c.value;
        EXPECT_EQ(w.offsetWord, c.offset) << c.value;
    }
    EXPECT_DOUBLE_EQ(decodeBase(750, 1), -0.25);
    EXPECT_DOUBLE_EQ(decodeBase(1500, 0), 1.5);
}

TEST(CalibEncodingTest, TableBAndScaleAndReferences)
{
    EXPECT_EQ(encodeTableB(1.0), 500);
    EXPECT_EQ(encodeTableB(0.0031), 2);  // 1.55 + 0.5 truncated
    EXPECT_EQ(encodeTableB(0.0009), 0);
    EXPECT_DOUBLE_EQ(decodeTableB(2), 0.004);

    EXPECT_EQ(encodeScale(0.08), 800);
    EXPECT_EQ(encodeScale(0.12345), 1234);  // truncated, not rounded
    EXPECT_DOUBLE_EQ(decodeScale(800), 0.08);

    struct Case {
        double value;
        std::uint16_t word;
    };
    const Case references[] = {{2.5, 3}, {2.4999, 2}, {3.5, 4}, {-0.5, 0}, {-3.0, 0}, {1e9, 65535}};
    for (const Case& c : references) EXPECT_EQ(encodeReference(c.value), c.word) << c.value;
}

TEST(CalibEncodingTest, WordConversionClampsEverythingOutsideAWord)
{
    EXPECT_EQ(toWord(-5.0), 0);
    EXPECT_EQ(toWord(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(toWord(65534.9), 65534);
    EXPECT_EQ(toWord(1e12), 65535);
    EXPECT_EQ(toWord(std::numeric_limits<double>::infinity()), 65535);
}

TEST(CalibEncodingTest, FrequencyTables)
{
    const double start = 299792458.0 / 1238.0;
    EXPECT_DOUBLE_EQ(frequencyReferenceGHz(start, 100.0, 0), start);
    EXPECT_DOUBLE_EQ(frequencyReferenceGHz(start, 100.0, 1), start);
    EXPECT_DOUBLE_EQ(frequencyReferenceGHz(start, 100.0, 2), start - 100.0);
    EXPECT_DOUBLE_EQ(frequencyReferenceGHz(start, 100.0, 5), start - 400.0);

    const double ref = 193000.0;
    EXPECT_EQ(encodeFrequency(ref, ref), 0);  // a value equal to its reference is word 0
    EXPECT_EQ(encodeFrequency(ref - 1.234, ref), 123);
    EXPECT_EQ(encodeFrequency(ref - 1.236, ref), 124);
    EXPECT_EQ(encodeFrequency(ref + 5.0, ref), 0);  // above the reference does not fit
    EXPECT_NEAR(decodeFrequency(123, ref), ref - 1.23, 1e-9);
}

TEST(CalibEncodingTest, ResponseTablesGetAnOffsetAboveTheirSmallestValue)
{
    struct Case {
        std::vector<double> values;
        std::uint16_t offset;
    };
    const Case cases[] = {
        {{-3.2, 0.0, 1.5}, 4}, {{0.5, 2.0}, 0}, {{}, 0}, {{-1.0}, 1}, {{-0.0001, 3.0}, 1}, {{-10.0}, 10},
    };
    for (const Case& c : cases) EXPECT_EQ(responseOffsetWord(c.values), c.offset);

    for (double v : {-3.2, 0.0, 1.5, -0.0005, 12.3456}) {
        const std::uint16_t w = encodeResponse(v, 4);
        EXPECT_NEAR(decodeResponse(w, 4), v, 0.0005 + 1e-12) << v;
    }
    EXPECT_EQ(encodeResponse(-3.2, 4), 800);
}

}  // namespace
