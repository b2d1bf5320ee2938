#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ChartAxes.h"
#include "ChartDialogRules.h"
#include "CurveInformation.h"
#include "CursorPlacement.h"
#include "ScanCurve.h"

namespace {

constexpr double c = 299792.458;

TEST(ChartAxes, ShiftIncrementFromTheAxisResolution)
{
    const struct {
        double resolution;
        double increment;
    } cases[] = {
        {0.023, 0.01}, {3.0, 1.0},     {1.0, 1.0},      {0.1, 0.1},  {0.0999, 0.01},
        {0.00042, 0.0001}, {250.0, 1.0}, {0.0, 1.0}, {-0.5, 1.0},
    };
    for (const auto& k : cases) EXPECT_DOUBLE_EQ(shiftIncrement(k.resolution), k.increment) << k.resolution;
}

TEST(ChartAxes, ScanRangeInBothUnitsAndTheVoltAxis)
{
    EXPECT_EQ(scanRangeAxis(1528, 1568, SpectralUnit::Nm), (AxisRange{1528, 1568}));
    const AxisRange thz = scanRangeAxis(1528, 1568, SpectralUnit::THz);
    EXPECT_DOUBLE_EQ(thz.minimum, c / 1568);
    EXPECT_DOUBLE_EQ(thz.maximum, c / 1528);
    EXPECT_EQ(resetRanges(1500, 1600, SpectralUnit::Nm), (ChartRanges{{1500, 1600}, {-80, 2}}));

    EXPECT_DOUBLE_EQ(voltAxisValue(-80), -0.4);
    EXPECT_DOUBLE_EQ(voltAxisValue(5), 3.0);
    const AxisRange volts = voltAxisRange({-80, 2});
    EXPECT_DOUBLE_EQ(volts.minimum, -0.4);
    EXPECT_DOUBLE_EQ(volts.maximum, 2.88);
    const struct {
        double volts;
        const char* label;
    } labels[] = {{1.2, "1.200"}, {0.0125, "0.0125"}, {-0.4, "-0.400"}, {2.99996, "3.000"}, {-0.00001, "0.000"},
                  {10, "10.000"}};
    for (const auto& k : labels) EXPECT_EQ(voltAxisLabel(k.volts), k.label) << k.volts;

    EXPECT_STREQ(bottomAxisTitle(SpectralUnit::Nm), "Wavelength (nm)");
    EXPECT_STREQ(bottomAxisTitle(SpectralUnit::THz), "Frequency (THz)");
    EXPECT_STREQ(displayUnitCaption(SpectralUnit::Nm), "=>THz");
    EXPECT_STREQ(displayUnitCaption(SpectralUnit::THz), "=>nm");
}

TEST(ChartAxes, ZoomLimit)
{
    const ChartRanges saved{{1540, 1560}, {-40, 0}};
    struct Case {
        const char* what;
        ChartRanges zoomed;
        ZoomDecision expected;
    };
    const Case cases[] = {
        {"both kept", {{1549, 1551}, {-10, -1}},
         {{{1549, 1551}, {-10, -1}}, {{1549, 1551}, {-10, -1}}, false, false, true, true}},
        // All four saved ranges come back; the left one is then the saved one, kept.
        {"bottom too narrow", {{1550, 1550.01}, {-10, -1}}, {saved, saved, true, false, false, true}},
        {"left too narrow", {{1549, 1551}, {-3, -2.995}},
         {{{1549, 1551}, {-40, 0}}, {{1549, 1551}, {-40, 0}}, false, true, true, false}},
        {"both too narrow", {{1550, 1550.005}, {-3, -2.995}}, {saved, saved, true, false, false, true}},
        {"just above the limit", {{1550, 1550.0101}, {-3, -2.9899}},
         {{{1550, 1550.0101}, {-3, -2.9899}}, {{1550, 1550.0101}, {-3, -2.9899}}, false, false, true, true}},
    };
    for (const Case& k : cases) {
        const ZoomDecision d = decideZoom(k.zoomed, saved);
        EXPECT_EQ(d.shown, k.expected.shown) << k.what;
        EXPECT_EQ(d.saved, k.expected.saved) << k.what;
        EXPECT_EQ(d.bottomRefused, k.expected.bottomRefused) << k.what;
        EXPECT_EQ(d.leftRefused, k.expected.leftRefused) << k.what;
        EXPECT_EQ(d.bottomIncrementFollows, k.expected.bottomIncrementFollows) << k.what;
        EXPECT_EQ(d.leftIncrementFollows, k.expected.leftIncrementFollows) << k.what;
    }
    EXPECT_STREQ(zoomRefusedText, "Can't zoom anymore");
    EXPECT_STREQ(zoomRefusedTitle, "Zoom");

    EXPECT_EQ(zoomAround({1540, 1560}, 1545, 0.5), (AxisRange{1542.5, 1552.5}));
    EXPECT_EQ(zoomAround({1540, 1560}, 1550, 2), (AxisRange{1530, 1570}));
    EXPECT_FALSE(zoomAround({1550, 1550.015}, 1550, 0.5));
}

// Seven points 1 nm apart, peak 0 dB at 1550 nm, flanks of 10 dB/nm to
// -10 dB and then 40 dB/nm: 3 dB crossings at 1549.7 and 1550.3 nm, 40 dB
// crossings at 1548.25 and 1551.75 nm.
const std::vector<double> peakX{1547, 1548, 1549, 1550, 1551, 1552, 1553};
const std::vector<double> peakY{-60, -50, -10, 0, -10, -50, -60};

TEST(CursorPlacement, ResetOnTheCrossingsOrAtThirds)
{
    const CurvePoints points(peakX, peakY);
    const std::vector<double> lowY{-60, -50, -40, -36, -40, -50, -60};
    const CurvePoints low(peakX, lowY);
    const CurveLevels levels;
    const ChartRanges wide{{1540, 1560}, {-80, 2}};
    const CursorPositions wideThirds{1540 + 20.0 / 3, 1540 + 40.0 / 3, -80 + 82.0 / 3, -80 + 164.0 / 3};
    struct Case {
        const char* what;
        const CurvePoints* points;
        SpectralUnit unit;
        ChartRanges axes;
        CursorPositions expected;
    };
    const ChartRanges thzAxes{{c / 1560, c / 1540}, {-80, 2}};
    const Case cases[] = {
        {"crossings", &points, SpectralUnit::Nm, wide, {1549.7, 1550.3, 0, -3}},
        {"crossings in THz, swapped", &points, SpectralUnit::THz, thzAxes, {c / 1550.3, c / 1549.7, 0, -3}},
        {"no curve", nullptr, SpectralUnit::Nm, wide, wideThirds},
        {"peak below the threshold", &low, SpectralUnit::Nm, wide, wideThirds},
        {"a crossing off the bottom axis", &points, SpectralUnit::Nm, {{1550, 1560}, {-80, 2}},
         {1550 + 10.0 / 3, 1550 + 20.0 / 3, -80 + 82.0 / 3, -80 + 164.0 / 3}},
        {"the peak above the left axis", &points, SpectralUnit::Nm, {{1540, 1560}, {-80, -1}},
         {1540 + 20.0 / 3, 1540 + 40.0 / 3, -80 + 79.0 / 3, -80 + 158.0 / 3}},
        // In THz the axis is compared in THz: the nm range would hold neither.
        {"nm axes in THz", &points, SpectralUnit::THz, wide, wideThirds},
    };
    for (const Case& k : cases) {
        const CursorPositions p = resetCursorPositions(k.points, levels, k.unit, k.axes);
        EXPECT_NEAR(p.x1, k.expected.x1, 1e-9) << k.what;
        EXPECT_NEAR(p.x2, k.expected.x2, 1e-9) << k.what;
        EXPECT_NEAR(p.y1, k.expected.y1, 1e-9) << k.what;
        EXPECT_NEAR(p.y2, k.expected.y2, 1e-9) << k.what;
    }
    EXPECT_EQ(cursorValueText(1549.70049), "1549.700");
    EXPECT_EQ(verticalCursorsDifferenceText(1550.3, 1549.7), "0.600");
    EXPECT_EQ(horizontalCursorsDifferenceText(0, -3.004), "3.00");
    EXPECT_STREQ(cursorButtonCaption(true), "Hide");
    EXPECT_STREQ(cursorButtonCaption(false), "Show");
}

TEST(ChartDialogRules, ScaleWidthAndSlopeDialogs)
{
    const struct {
        double xMin, xMax, yMin, yMax;
        const char* error;
    } scale[] = {
        {1540, 1560, -40, 0, ""},
        {1550, 1550, -40, 0, "X max value must be higher than X min value"},
        {1560, 1540, 0, -40, "X max value must be higher than X min value"},
        {1540, 1560, -3, -3, "Y max value must be higher than Y min value"},
    };
    for (const auto& k : scale) EXPECT_EQ(scaleDialogError(k.xMin, k.xMax, k.yMin, k.yMax), k.error) << k.xMin;

    EXPECT_EQ(slopeDialogError(-3, -40), "");
    EXPECT_EQ(slopeDialogError(-3, -3), "Top value must be highter than bottom value");
    EXPECT_EQ(slopeDialogError(-40, -3), "Top value must be highter than bottom value");
    const CurveLevels slopes = acceptSlopeDialog({}, -1, -20);
    EXPECT_EQ(slopes.slopeTopLevel, -1);
    EXPECT_EQ(slopes.slopeBottomLevel, -20);

    // The width edit shows the level as a positive number of dB below the maximum.
    const WidthDialogValues shown = widthDialogValues({-35, -3, -3, -40});
    EXPECT_EQ(shown.threshold, -35);
    EXPECT_EQ(shown.belowMaximum, 3);
    const CurveLevels width = acceptWidthDialog({}, {-50, 10.5});
    EXPECT_EQ(width.fwhmThreshold, -50);
    EXPECT_EQ(width.fwhmPower, -10.5);
    EXPECT_STREQ(noErrorText, " ");
}

TEST(CurveInformation, BlockOfTheSelectedCurveInBothUnits)
{
    ScanCurve curve(nullptr, nullptr, "2", 0);
    ScanData& data = curve.data();
    data.Reserve(10);
    data.SetCount(static_cast<int>(peakX.size()));
    for (std::size_t i = 0; i < peakX.size(); ++i) data.SetPoint(static_cast<int>(i), peakX[i], peakY[i]);
    // The figures come from the points, whatever the curve is shifted by.
    curve.setXShift(3);
    const CurveLevels levels;

    CurveInformationTexts t = curveInformation(&curve, levels, SpectralUnit::Nm);
    EXPECT_EQ(t.centreCaption, "Central Wavelength :");
    EXPECT_EQ(t.widthCaption, "Spectral Width (3.00 dB) :");
    EXPECT_EQ(t.leftCaption, "Left Slope [-3.00, -40.00 dB] :");
    EXPECT_EQ(t.rightCaption, "Right Slope [-3.00, -40.00 dB] :");
    EXPECT_EQ(t.centre, "1550.0000 nm");
    EXPECT_EQ(t.width, "0.6000 nm");
    // 37 dB over 1549.7 - 1548.25 = 1.45 nm on either side.
    EXPECT_EQ(t.leftSlope, "25.52 dB/nm");
    EXPECT_EQ(t.rightSlope, "-25.52 dB/nm");

    t = curveInformation(&curve, levels, SpectralUnit::THz);
    // 0.6 nm x c / 1550^2 = 0.07487 THz; c / 1550 = 193.41449 THz.
    EXPECT_EQ(t.centre, "193.4145 Thz");
    EXPECT_EQ(t.width, "0.0749 Thz");
    // Left: 37 dB over c/1550.3 - c/1551.75 = c x 1.45 / (1550.3 x 1551.75)
    // = 0.180697 THz; right: -37 dB over c x 1.45 / (1548.25 x 1549.7) = 0.181176 THz.
    EXPECT_EQ(t.leftSlope, "204.76 dB/Thz");
    EXPECT_EQ(t.rightSlope, "-204.22 dB/Thz");

    t = curveInformation(nullptr, {-35, -10, -1, -20}, SpectralUnit::Nm);
    EXPECT_EQ(t.centre + t.width + t.leftSlope + t.rightSlope, "");
    EXPECT_EQ(t.widthCaption, "Spectral Width (10.00 dB) :");
    EXPECT_EQ(t.leftCaption, "Left Slope [-1.00, -20.00 dB] :");

    EXPECT_EQ(curveCaption("Ext", true), "Ext (S)");
    EXPECT_EQ(curveCaption("1", false), "1");
}

}  // namespace
