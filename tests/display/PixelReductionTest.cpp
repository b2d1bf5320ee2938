#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "PixelReduction.h"
#include "ScanArea.h"
#include "ScanCurve.h"

namespace {

using Points = std::vector<PlotPoint>;

TEST(PixelReduction, EachPixelKeepsItsFirstXWithTheSmallestAndLargestY)
{
    const std::vector<double> x{0, 0.4, 0.9, 1.0, 1.5, 2.5, -1.5};
    const std::vector<double> y{5, 3, 7, 1, 1, 2, 4};
    struct Case {
        const char* what;
        CurveShift shift;
        PixelAxis axis;
        Points expected;
    };
    const Case cases[] = {
        // Pixels of 1 unit from 0: the runs are 0..0.9, 1.0..1.5, 2.5, and
        // the point outside the axis, which still draws the line's end.
        {"three pixels", {0, 0}, {0, 3, 3}, {{0, 3}, {0, 7}, {1, 1}, {2.5, 2}, {-1.5, 4}}},
        // Shifted by 0.5 in x and -1 in y: 0.9 and 1.0 now share a pixel, 0.4 joins 0.
        {"shifted", {0.5, -1}, {0, 3, 3},
         {{0.5, 2}, {0.5, 4}, {0.9 + 0.5, 0}, {0.9 + 0.5, 6}, {2.0, 0}, {3.0, 1}, {-1.0, 3}}},
        {"one wide pixel", {0, 0}, {-2, 4, 1}, {{0, 1}, {0, 7}}},
        // No pixel size: every point as it is.
        {"no width", {0, 0}, {0, 3, 0}, {{0, 5}, {0.4, 3}, {0.9, 7}, {1.0, 1}, {1.5, 1}, {2.5, 2}, {-1.5, 4}}},
        {"empty range", {0, 0}, {1, 1, 100}, {{0, 5}, {0.4, 3}, {0.9, 7}, {1.0, 1}, {1.5, 1}, {2.5, 2}, {-1.5, 4}}},
    };
    for (const Case& c : cases) {
        Points out{{99, 99}};
        reduceCurve(x, y, c.shift, false, c.axis, out);
        EXPECT_EQ(out, c.expected) << c.what;
    }
}

TEST(PixelReduction, FrequencyDisplayWalksFromTheEndInTerahertz)
{
    // 1500, 1500.5 and 1520 nm: 199.861..., 199.794... and 197.232... THz.
    const std::vector<double> x{1500, 1500.5, 1520};
    const std::vector<double> y{-1, -3, -2};
    const double c = 299792.458;
    Points out;
    reduceCurve(x, y, {0.25, 0}, true, {197, 201, 4}, out);
    const Points expected{{c / 1520 + 0.25, -2}, {c / 1500.5 + 0.25, -3}, {c / 1500.5 + 0.25, -1}};
    EXPECT_EQ(out, expected);
}

TEST(PixelReduction, EnvelopesTakeTheExtremesOfEachPixel)
{
    const std::vector<double> x{0, 0.5, 1.2, 1.7};
    const std::vector<double> yMin{-3, -5, -1, -2};
    const std::vector<double> yMax{1, 0, 4, 2};
    EnvelopeSeries out;
    reduceEnvelopes(x, yMin, yMax, {0, 10}, false, {0, 2, 2}, out);
    EXPECT_EQ(out.minimum, (Points{{0, 5}, {1.2, 8}}));
    EXPECT_EQ(out.maximum, (Points{{0, 11}, {1.2, 14}}));
}

TEST(PixelReduction, PointsThatAreNotNumbersOrFarOffTheAxisStayApart)
{
    const std::vector<double> x{1, NAN, 1e300, 0};
    const std::vector<double> y{1, 2, 3, 4};
    Points out;
    reduceCurve(x, y, {0, 0}, false, {0, 10, 1000}, out);
    ASSERT_EQ(out.size(), 4u);
    // Wavelength 0 is an infinite frequency: its own run, no crash.
    reduceCurve(x, y, {0, 0}, true, {190, 200, 1000}, out);
    EXPECT_EQ(out.size(), 4u);
}

// The reduction keeps every pixel's extremes: checked against a plain
// pixel-by-pixel count on random data.
TEST(PixelReduction, KeepsEveryPixelsExtremes)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> level(-60.0, 0.0);
    std::vector<double> x;
    std::vector<double> y;
    for (int i = 0; i < 20000; ++i) {
        x.push_back(1500.0 + i * 0.005);
        y.push_back(level(random));
    }
    const PixelAxis axis{1510.0, 1590.0, 640};
    Points out;
    reduceCurve(x, y, {0, 0}, false, axis, out);
    std::vector<double> low(642, 1e9);
    std::vector<double> high(642, -1e9);
    const double pixel = 80.0 / 640;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const int p = static_cast<int>(std::floor((x[i] - axis.minimum) / pixel));
        if (p < 0 || p >= 640) continue;
        low[static_cast<std::size_t>(p)] = std::min(low[static_cast<std::size_t>(p)], y[i]);
        high[static_cast<std::size_t>(p)] = std::max(high[static_cast<std::size_t>(p)], y[i]);
    }
    std::vector<double> gotLow(642, 1e9);
    std::vector<double> gotHigh(642, -1e9);
    for (const PlotPoint& point : out) {
        const int p = static_cast<int>(std::floor((point.x - axis.minimum) / pixel));
        if (p < 0 || p >= 640) continue;
        gotLow[static_cast<std::size_t>(p)] = std::min(gotLow[static_cast<std::size_t>(p)], point.y);
        gotHigh[static_cast<std::size_t>(p)] = std::max(gotHigh[static_cast<std::size_t>(p)], point.y);
    }
    EXPECT_EQ(gotLow, low);
    EXPECT_EQ(gotHigh, high);
    EXPECT_LE(out.size(), 2u * (640 + 2 + 4000));  // the points left of the axis are 2000 pixels' worth
}

TEST(PixelReduction, ACurveOfTheStoreIsReducedWithItsShifts)
{
    ScanCurve curve(nullptr, nullptr, "1", 0);
    ScanData& data = curve.data();
    data.Reserve(10);
    data.SetCount(3);
    data.SetPoint(0, 1, -1);
    data.SetPoint(1, 2, -2);
    data.SetPoint(2, 3, -3);
    data.StartEnvelopes(true);
    data.SetPoint(3, 4, -4);  // beyond the valid points: not drawn
    curve.setXShift(1);
    curve.setYShift(0.5);
    Points out;
    reduceCurve(curve, false, {0, 10, 10}, out);
    EXPECT_EQ(out, (Points{{2, -0.5}, {3, -1.5}, {4, -2.5}}));
    EnvelopeSeries envelopes;
    reduceEnvelopes(curve, false, {0, 10, 10}, envelopes);
    EXPECT_EQ(envelopes.maximum, out);
}

}  // namespace

namespace {

TEST(PixelReduction, LinesBreakAcrossTheRegionsNoSourceCovered)
{
    ScanArea coverage(nullptr);
    coverage.Add(0, 1528);
    coverage.Add(1545, 1548);
    coverage.Add(1568, 2000);
    const Points points{{1544.9, -3}, {1545.0, -4}, {1548.0, -26}, {1548.1, -27}, {1560, -40}};
    struct Case {
        const char* what;
        double xShift;
        Points shifted;  // the points as drawn with that shift
        std::size_t breakBefore;  // index of the point after the break, 0 for none
    };
    auto shifted = [&](double by) {
        Points out;
        for (const PlotPoint& p : points) out.push_back({p.x + by, p.y});
        return out;
    };
    const Case cases[] = {
        // The samples next to the gap lie on its edges (they are kept only
        // outside it; on the edge counts as straddling).
        {"on the edges", 0.0, shifted(0.0), 2},
        // A shifted curve keeps its break where its samples were left out.
        {"shifted", 0.37, shifted(0.37), 2},
    };
    for (const Case& k : cases) {
        Points out = k.shifted;
        breakAcrossCoverage(out, coverage, k.xShift);
        ASSERT_EQ(out.size(), points.size() + 1) << k.what;
        EXPECT_TRUE(std::isnan(out[k.breakBefore].y)) << k.what;
        EXPECT_DOUBLE_EQ(out[k.breakBefore].x, (k.shifted[1].x + k.shifted[2].x) / 2) << k.what;
        out.erase(out.begin() + static_cast<std::ptrdiff_t>(k.breakBefore));
        EXPECT_EQ(out, k.shifted) << k.what;
    }
    // Points inside a part of the gap do not straddle it: no break.
    Points partial{{1544, -3}, {1546, -4}, {1549, -5}};
    breakAcrossCoverage(partial, coverage, 0.0);
    EXPECT_EQ(partial.size(), 3u);
    Points none{{1530, -3}, {1540, -4}};
    breakAcrossCoverage(none, ScanArea(nullptr), 0.0);
    EXPECT_EQ(none.size(), 2u);
}

}  // namespace
