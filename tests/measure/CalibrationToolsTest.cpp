// The calibration tools of the "Control/Calibration" page: the curve a TF
// calibration takes, the EXT correction resampled from the "Ext" curve, the
// wavelength check, the detector item the list keeps.

#include <gtest/gtest.h>

#include <filesystem>

#include "CalibrationTools.h"
#include "ScanTrace.h"
#include "TempDir.h"

namespace {

using namespace CalibrationTools;

void addCurve(ScanTrace& trace, const char* name, const std::vector<double>& x, const std::vector<double>& y)
{
    ScanData& data = trace.AddCurve(name, false)->data();
    data.SetCount(static_cast<int>(x.size()));
    for (std::size_t i = 0; i < x.size(); ++i) data.SetPoint(static_cast<int>(i), x[i], y[i]);
}

TEST(CalibrationCurve, TheItemsCurveWithAtLeastTwoPoints)
{
    ScanTrace trace(nullptr, nullptr, nullptr);
    addCurve(trace, "1", {1500.0, 1500.5, 1501.0}, {-1.0, -1.5, -2.0});
    addCurve(trace, "3", {1500.0}, {-1.0});
    addCurve(trace, "Ext", {1500.0, 1501.0}, {0.5, 0.25});
    struct Case {
        int item;
        bool found;
        std::size_t points;
    };
    const Case cases[] = {
        {0, true, 3},
        {1, false, 0},  // detector 2 without a curve "2"
        {2, false, 0},  // one point only
        {3, false, 0},
        {bncItem, true, 2},
    };
    for (const Case& k : cases) {
        const std::optional<CurvePoints> curve = calibrationCurve(trace, k.item);
        ASSERT_EQ(curve.has_value(), k.found) << k.item;
        if (!curve) continue;
        EXPECT_EQ(curve->wavelengths.size(), k.points);
        EXPECT_EQ(curve->values.size(), k.points);
    }
    const std::optional<CurvePoints> ext = calibrationCurve(trace, bncItem);
    EXPECT_EQ(ext->wavelengths, (std::vector<double>{1500.0, 1501.0}));
    EXPECT_EQ(ext->values, (std::vector<double>{0.5, 0.25}));
    EXPECT_EQ(curveName(0), "1");
    EXPECT_EQ(curveName(3), "4");
    EXPECT_EQ(curveName(bncItem), "Ext");
}

TEST(BncCorrection, TwoHundredPointsInterpolatedBetweenTheSamples)
{
    struct Probe {
        int j;
        double value;
    };
    struct Case {
        const char* what;
        std::vector<double> x, y;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        // step 10 / 199; the search stops at index n - 2 = 3, so beyond
        // 1504 nm the segment 1502-1504 goes on.
        {"plain",
         {1500.0, 1502.0, 1502.0, 1504.0, 1510.0},
         {1.0, 3.0, 7.0, 9.0, 21.0},
         {{0, 1.0}, {20, 1.0 + 200.0 / 199.0}, {60, 7.0 + (600.0 / 199.0 - 2.0)}, {199, 15.0}}},
        // Equal abscissas around the point: the mean of the two samples.
        {"equal abscissas at the start", {1500.0, 1500.0, 1504.0, 1508.0}, {2.0, 4.0, 6.0, 10.0}, {{0, 3.0}, {199, 8.0}}},
        {"equal abscissas at the end", {1500.0, 1504.0, 1504.0, 1508.0}, {2.0, 6.0, 8.0, 10.0}, {{199, 7.0}}},
        {"three points", {1550.0, 1551.0, 1552.0}, {0.0, 1.0, 5.0}, {{0, 0.0}, {199, 2.0}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const std::optional<LocalAutoCalibBNC> table = bncCorrection(k.x, k.y);
        ASSERT_TRUE(table);
        ASSERT_EQ(table->values.size(), 200u);
        EXPECT_EQ(table->start, k.x.front());
        EXPECT_DOUBLE_EQ(table->step, (k.x.back() - k.x.front()) / 199.0);
        for (const Probe& p : k.probes) EXPECT_NEAR(table->values[static_cast<std::size_t>(p.j)], p.value, 1e-9) << p.j;
    }
}

TEST(BncCorrection, NoTableFromTooFewPointsOrNoRange)
{
    EXPECT_FALSE(bncCorrection(std::vector<double>{1500.0, 1501.0}, std::vector<double>{0.0, 1.0}));
    EXPECT_FALSE(bncCorrection(std::vector<double>{1500.0, 1500.0, 1500.0}, std::vector<double>{0.0, 1.0, 2.0}));
}

TEST(BncCorrection, WrittenOnlyFromThreePointsOrMore)
{
    TempDir folder;
    const std::string calib = folder.file("Calib/");
    const std::string path = bncCorrectionPath(calib);
    // A curve of 2 points writes nothing.
    EXPECT_EQ(writeBncCorrection(calib, {{1500.0, 1501.0}, {0.0, 1.0}}), BncWrite::NoTable);
    EXPECT_FALSE(std::filesystem::exists(path));

    ASSERT_EQ(writeBncCorrection(calib, {{1500.0, 1501.0, 1502.0}, {0.0, 1.0, 2.0}}), BncWrite::Written);
    const std::optional<LocalAutoCalibBNC> read = readLocalAutoCalibBNC(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->values.size(), 200u);
    EXPECT_EQ(read->start, 1500.0);
    EXPECT_NEAR(read->values[199], 2.0, 1e-9);

    // A later curve of 2 points leaves that file as it is.
    EXPECT_EQ(writeBncCorrection(calib, {{1500.0, 1501.0}, {5.0, 5.0}}), BncWrite::NoTable);
    EXPECT_NEAR(readLocalAutoCalibBNC(path)->values[199], 2.0, 1e-9);
}

TEST(WavelengthReferencing, MeasuredAgainstExpected)
{
    struct Case {
        double measured, expected;
        const char* warning;
        double factor;
    };
    const Case cases[] = {
        {1200.0, 1550.0, noWavelengthDataText, 1.0},  // no scan found a line yet
        {1575.0, 1550.0, detuningText, 1.0},
        {1570.0, 1550.0, detuningText, 1.0},          // 20 nm is already too much
        {1530.0, 1550.0, detuningText, 1.0},
        {1550.0, 1549.0, nullptr, 1550.0 / 1549.0},
        {1569.999, 1550.0, nullptr, 1569.999 / 1550.0},
    };
    for (const Case& k : cases) {
        const WavelengthCheck check = checkWavelengths(k.measured, k.expected);
        if (k.warning == nullptr)
            EXPECT_EQ(check.warning, nullptr) << k.measured;
        else
            EXPECT_STREQ(check.warning, k.warning) << k.measured;
        EXPECT_DOUBLE_EQ(check.factor, k.factor) << k.measured;
    }
    EXPECT_STREQ(noWavelengthDataText, "No data available");
    EXPECT_STREQ(detuningText, "Wavelength detuning too high, check set up");
}

TEST(DetectorList, KeepsTheItemOnlyWhenItsInputIsMeasured)
{
    ScanParameterBlock block;
    block.enable3 = 1;
    block.enableExt = 1;
    const int expected[] = {0, 0, 2, 0, bncItem};
    for (int item = 0; item <= bncItem; ++item) EXPECT_EQ(keptDetectorItem(item, block), expected[item]) << item;
    block.enableExt = 0;
    EXPECT_EQ(keptDetectorItem(bncItem, block), 0);
}

TEST(DetectorList, DoneMarkOnAOneCharacterCaption)
{
    EXPECT_EQ(doneCaption("2"), "2 (Done)");
    EXPECT_EQ(doneCaption("2 (Done)"), "2 (Done)");
    EXPECT_EQ(doneCaption("BNC"), "BNC");
}

TEST(CalibrationEditing, AFileThatCannotBeReadGivesNoTables)
{
    TempDir folder;
    IdentityRecord identity;
    identity.setSerialText("S/N0412");
    const CalibrationEdit edit = loadForEditing(folder.file("Calib/"), identity);
    EXPECT_EQ(edit.tables, nullptr);
    EXPECT_NE(edit.problem.find("File0412.dat"), std::string::npos) << edit.problem;
}

}  // namespace
