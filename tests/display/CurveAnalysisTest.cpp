#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "CurveAnalysis.h"

namespace {

using Values = std::vector<double>;
using Opt = std::optional<double>;

// Seven points 1 nm apart, peak 0 dB at 1551 nm, flanks of 20 then 40 dB/nm:
// width crossings at 1550.85 and 1551.15, bottom (-40 dB) crossings at
// 1549.5 and 1552.5.
const Values sevenX{1548, 1549, 1550, 1551, 1552, 1553, 1554};
const Values sevenY{-60, -60, -20, 0, -20, -60, -60};

void expectNear(const Opt& actual, const Opt& expected, double tolerance, const char* what, const char* figure)
{
    ASSERT_EQ(actual.has_value(), expected.has_value()) << what << ": " << figure;
    if (expected) {
        EXPECT_NEAR(*actual, *expected, tolerance) << what << ": " << figure;
    }
}

TEST(CurveAnalysis, FiguresOfTheInformationBlock)
{
    struct Case {
        const char* what;
        Values x;
        Values y;
        CurveLevels levels;
        SpectralUnit unit;
        Opt centre, width, leftSlope, rightSlope;
    };
    const Case cases[] = {
        // 37 dB between the slope levels over 1.35 nm on either flank.
        {"two flanks in nm", sevenX, sevenY, {}, SpectralUnit::Nm, 1551.0, 0.3, 37 / 1.35, -37 / 1.35},
        // 0.3 nm x c / 1551^2; c / 1551; the slopes from the converted crossings,
        // the left one from the crossings at 1551.15 and 1552.5 nm.
        {"two flanks in THz", sevenX, sevenY, {}, SpectralUnit::THz, 193.28978594455188, 0.03738680579198296,
         220.15708113644138, -219.68915964747907},
        {"peak below the threshold", sevenX, {-60, -60, -50, -40, -50, -60, -60}, {}, SpectralUnit::Nm, {}, {}, {}, {}},
        // Width crossings at 1.88 and 2.12; the -75 dB walk reaches the first point.
        {"peak at the threshold", {0, 1, 2, 3, 4}, {-60, -60, -35, -60, -60}, {}, SpectralUnit::Nm, 2.0, 0.24, {}, {}},
        // The walk to the left reaches the first point: no left crossing.
        {"falls only at the first point", {1549, 1550, 1551, 1552}, {-10, 0, -10, -10}, {}, SpectralUnit::Nm, {}, {},
         {}, {}},
        // Never 3 dB below the peak on the right: no width, no slopes.
        {"no right crossing", sevenX, {-60, -60, -20, 0, -1, -2, -2}, {}, SpectralUnit::Nm, {}, {}, {}, {}},
        // A bottom level that the right flank never reaches: width, no slopes.
        {"slope level not reached", sevenX, {-60, -60, -20, 0, -20, -30, -30}, {}, SpectralUnit::Nm, 1551.0, 0.3, {},
         {}},
        // Other levels: width at -10 dB (crossings 1550.5 and 1551.5), slopes
        // between -1 and -20 dB (1550.95 .. 1550.0 and 1551.05 .. 1552.0).
        {"levels of the settings", sevenX, sevenY, {-35, -10, -1, -20}, SpectralUnit::Nm, 1551.0, 1.0, 19 / 0.95,
         -19 / 0.95},
    };
    for (const Case& c : cases) {
        const CurveFigures f = analyseCurve(CurvePoints(c.x, c.y), c.levels, c.unit);
        expectNear(f.centre, c.centre, 1e-9, c.what, "centre");
        expectNear(f.width, c.width, 1e-9, c.what, "width");
        expectNear(f.leftSlope, c.leftSlope, 1e-6, c.what, "left slope");
        expectNear(f.rightSlope, c.rightSlope, 1e-6, c.what, "right slope");
    }
}

TEST(CurveAnalysis, PeakIsTheFirstOfEqualMaxima)
{
    Values x(31), y(31, -30.0);
    for (int k = 0; k < 31; ++k) x[static_cast<std::size_t>(k)] = 1540 + k;
    for (int k = 10; k <= 20; ++k) y[static_cast<std::size_t>(k)] = -1.0;
    EXPECT_EQ(curvePeak(CurvePoints(x, y)), std::optional<std::size_t>(10));
    EXPECT_EQ(curvePeak(CurvePoints({}, {})), std::nullopt);
}

TEST(CurveAnalysis, CrossingsOfOneSegment)
{
    struct Case {
        const char* what;
        Values x;
        Values y;
        double level;
        Opt left, right;
    };
    const Case cases[] = {
        {"both sides", sevenX, sevenY, -3.0, 1550.85, 1551.15},
        // A level above the peak stops at the peak at once; the flat top
        // segment has slope 0 and gives no crossing on the left.
        {"flat segment", {1, 2, 3, 4}, {-5, 0, 0, -5}, 1.0, {}, 2.2},
        // Two points at one wavelength have no slope.
        {"no width", {1, 2, 2, 3}, {-9, -9, 0, -9}, -3.0, {}, 2 + 3.0 / 9},
        // The peak is the last point: no right crossing.
        {"peak at the end", {1, 2, 3}, {-9, -6, 0}, -3.0, 2.5, {}},
    };
    for (const Case& c : cases) {
        const CurvePoints points(c.x, c.y);
        const std::size_t peak = *curvePeak(points);
        expectNear(leftCrossing(points, peak, c.level), c.left, 1e-9, c.what, "left");
        expectNear(rightCrossing(points, peak, c.level), c.right, 1e-9, c.what, "right");
    }
}

TEST(CurveAnalysis, InformationTexts)
{
    const CurveLevels levels;
    const CurveFigures all{1550.0, 0.8, 27.40740740, -27.4074074};
    CurveInformationTexts t = curveInformationTexts(all, levels, SpectralUnit::Nm);
    EXPECT_EQ(t.centreCaption, "Central Wavelength :");
    EXPECT_EQ(t.widthCaption, "Spectral Width (3.00 dB) :");
    EXPECT_EQ(t.leftCaption, "Left Slope [-3.00, -40.00 dB] :");
    EXPECT_EQ(t.rightCaption, "Right Slope [-3.00, -40.00 dB] :");
    EXPECT_EQ(t.centre, "1550.0000 nm");
    EXPECT_EQ(t.width, "0.8000 nm");
    EXPECT_EQ(t.leftSlope, "27.41 dB/nm");
    EXPECT_EQ(t.rightSlope, "-27.41 dB/nm");

    // The example of a 0.8 nm wide curve at 1550 nm shown in THz.
    const Values x{1548, 1549, 1550, 1551, 1552};
    const Values y{-20, -7.5, 0, -7.5, -20};
    const CurveFigures thz = analyseCurve(CurvePoints(x, y), levels, SpectralUnit::THz);
    t = curveInformationTexts(thz, {-35, -10.5, -3, -40}, SpectralUnit::THz);
    EXPECT_EQ(t.centre, "193.4145 Thz");
    EXPECT_EQ(t.width, "0.0998 Thz");
    EXPECT_EQ(t.leftSlope, "");
    EXPECT_EQ(t.widthCaption, "Spectral Width (10.50 dB) :");

    t = curveInformationTexts(CurveFigures{}, levels, SpectralUnit::Nm);
    EXPECT_EQ(t.centre + t.width + t.leftSlope + t.rightSlope, "");
}

TEST(CurveAnalysis, PeakZoom)
{
    // 61 points 1 nm apart, a peak at 1530 nm falling 2 dB/nm for five
    // points, then wings sloping 0.01 dB/nm.
    Values x(61), y(61);
    for (int k = 0; k < 61; ++k) {
        const int d = k > 30 ? k - 30 : 30 - k;
        x[static_cast<std::size_t>(k)] = 1500 + k;
        y[static_cast<std::size_t>(k)] = d <= 5 ? -2.0 * d : -10.0 - 0.01 * (d - 5);
    }
    // The 3 dB walk stops at 1528 and 1532 nm, where ten points out the
    // flanks fall only 0.607 dB/nm: the zoom is 1528 .. 1532 nm, and the
    // lowest value shown, -4 dB, sets the left axis to -4.4 .. 0.4 dB.
    std::optional<PeakZoom> zoom = peakZoom(CurvePoints(x, y), SpectralUnit::Nm);
    ASSERT_TRUE(zoom);
    EXPECT_EQ(zoom->first, 28u);
    EXPECT_EQ(zoom->last, 32u);
    EXPECT_DOUBLE_EQ(zoom->bottomMinimum, 1528.0);
    EXPECT_DOUBLE_EQ(zoom->bottomMaximum, 1532.0);
    EXPECT_NEAR(zoom->leftMinimum, -4.4, 1e-12);
    EXPECT_NEAR(zoom->leftMaximum, 0.4, 1e-12);

    zoom = peakZoom(CurvePoints(x, y), SpectralUnit::THz);
    ASSERT_TRUE(zoom);
    EXPECT_DOUBLE_EQ(zoom->bottomMinimum, terahertzNm / 1532.0);
    EXPECT_DOUBLE_EQ(zoom->bottomMaximum, terahertzNm / 1528.0);

    // A triangle falling 2 dB/nm to both ends: the flank walk reaches the
    // first point, so the range is the peak +/- 8 x (i - f) = 32 points,
    // cut at the curve's ends; the lowest value is -40 dB at the start.
    Values ty(41);
    for (int k = 0; k < 41; ++k) ty[static_cast<std::size_t>(k)] = -2.0 * (k > 20 ? k - 20 : 20 - k);
    const Values tx(x.begin(), x.begin() + 41);
    zoom = peakZoom(CurvePoints(tx, ty), SpectralUnit::Nm);
    ASSERT_TRUE(zoom);
    EXPECT_EQ(zoom->first, 0u);
    EXPECT_EQ(zoom->last, 40u);
    EXPECT_NEAR(zoom->leftMinimum, -44.0, 1e-12);
    EXPECT_NEAR(zoom->leftMaximum, 4.0, 1e-12);

    // The 3 dB crossing on the left falls at the first point: no zoom.
    EXPECT_FALSE(peakZoom(CurvePoints(Values{1, 2, 3, 4}, Values{-10, 0, -10, -10}), SpectralUnit::Nm));
}

}  // namespace
