// The calibration page's operations on the simulated unit and bench: the
// power control's input selection and live levels, the TF calibration of a
// detector from a patch-cord scan, and the scaling of the line tables.

#include <algorithm>
#include <cmath>

#include "C_Laser.h"
#include "CalibrationTools.h"
#include "CurveChecks.h"
#include "DspProtocol.h"
#include "MeasurementFixture.h"
#include "PowerControl.h"
#include "TabCalib.h"

namespace {

using namespace curvecheck;

class CalibrationPageSimTest : public MeasurementTest {
protected:
    // Peak-to-peak of a curve, dB.
    static double spread(const Points& p)
    {
        if (p.y.empty()) return 0.0;
        const auto [low, high] = std::minmax_element(p.y.begin(), p.y.end());
        return *high - *low;
    }
};

TEST_F(CalibrationPageSimTest, PowerControlSelectsTheInputOfTheChosenSource)
{
    vemarsim_unit_clear_record();
    PowerControl::Run run(settings->calibFolder, identity, 0);
    // Inputs 0 and 2 share the first laser input, 1 and 3 the second; the
    // word goes only when the choice changes.
    for (int input : {0, 2, 1, 1, 3, 0}) run.tick(input);
    EXPECT_EQ(parametersOf(DSP_SET_CONFIG), (std::vector<std::uint32_t>{4549, 4549, 20949, 20949, 4549}));
    EXPECT_EQ(parametersOf(DSP_SAMPLE_LEVELS).size(), 6u * PowerControl::readingsPerTick);
}

TEST_F(CalibrationPageSimTest, PowerControlBarsShowTheLightOfTheSelectedInput)
{
    // Source 2 (the second laser input) never reaches the unit.
    usePreset("faultypower");
    addSource(0, 1500.0, 1600.0);
    addSource(1, 1500.0, 1600.0);
    ASSERT_EQ(sources.sources[0].ApplyPower(1.0f), 0);
    ASSERT_EQ(sources.sources[1].ApplyPower(1.0f), 0);

    PowerControl::Run run(settings->calibFolder, identity, 0);
    const PowerControl::Reading lit = run.tick(0);
    const PowerControl::Reading dark = run.tick(1);
    EXPECT_NEAR(lit.bars[0].value, 0.0, 1.5);  // 1 mW
    EXPECT_EQ(lit.bars[0].colour, PowerControl::Colour::Green);
    EXPECT_LT(dark.bars[0].value, PowerControl::lowestOutputDbm);
    EXPECT_EQ(dark.bars[0].colour, PowerControl::Colour::Red);
    for (std::size_t d = 1; d <= 4; ++d) EXPECT_GT(lit.bars[d].value, dark.bars[d].value + 20.0) << d;
    EXPECT_EQ(lit.bars[5].colour, PowerControl::Colour::Blue);

    // Back on the first input, and that source darkened.
    ASSERT_EQ(sources.sources[0].laser->PowerOff(), nullptr);
    EXPECT_LT(run.tick(0).bars[0].value, PowerControl::lowestOutputDbm);
}

TEST_F(CalibrationPageSimTest, TfCalibrationFlattensTheNextScanOfAPatchCord)
{
    usePreset("patchcord");
    addSource(0, 1240.0, 1680.0);
    setScanRange(1530.0, 1570.0);
    settings->scanParameters.samplingStep = 5;
    addCurves();
    // Detector 1's response in the file is off by a slope of 1 dB over the range.
    {
        CalibrationTools::CalibrationEdit edit = CalibrationTools::loadForEditing(settings->calibFolder, identity);
        ASSERT_TRUE(edit.tables) << edit.problem;
        const std::vector<double> wavelengths{1500.0, 1600.0};
        const std::vector<double> slope{-0.5, 1.5};
        edit.tables->AddResponse(0, wavelengths, slope);
        ASSERT_EQ(edit.tables->Save(edit.identity), 0);
    }
    RecordingListener before;
    measure(before);
    const double tilted = spread(pointsOf(trace, "1"));
    ASSERT_GT(tilted, 0.3);

    const std::optional<CalibrationTools::CurvePoints> curve = CalibrationTools::calibrationCurve(trace, 0);
    ASSERT_TRUE(curve);
    CalibrationTools::CalibrationEdit edit = CalibrationTools::loadForEditing(settings->calibFolder, identity);
    ASSERT_TRUE(edit.tables) << edit.problem;
    edit.tables->AddResponse(0, curve->wavelengths, curve->values);
    ASSERT_EQ(edit.tables->Save(edit.identity), 0);

    RecordingListener after;
    measure(after);
    const Points flat = pointsOf(trace, "1");
    ASSERT_GT(flat.y.size(), 100u);
    EXPECT_LT(spread(flat), tilted / 4) << "before " << tilted;
    // The other detectors were left alone.
    EXPECT_LT(spread(pointsOf(trace, "2")), 0.3);
}

TEST_F(CalibrationPageSimTest, WavelengthReferencingScalesEveryLineTable)
{
    // Measured 1549 nm for an expected 1550 nm: the lines' frequencies go
    // down by about 125 GHz, which the file keeps.
    const CalibrationTools::WavelengthCheck check = CalibrationTools::checkWavelengths(1549.0, 1550.0);
    ASSERT_EQ(check.warning, nullptr);
    CalibrationTools::CalibrationEdit edit = CalibrationTools::loadForEditing(settings->calibFolder, identity);
    ASSERT_TRUE(edit.tables) << edit.problem;
    ASSERT_TRUE(CalibrationTools::lineTablesFitTheFile(*edit.tables));
    std::vector<double> before;
    edit.tables->LineTable(3, before);
    edit.tables->ScaleLineTables(check.factor);
    ASSERT_TRUE(CalibrationTools::lineTablesFitTheFile(*edit.tables));
    ASSERT_EQ(edit.tables->Save(edit.identity), 0);

    CalibrationTools::CalibrationEdit reread = CalibrationTools::loadForEditing(settings->calibFolder, identity);
    ASSERT_TRUE(reread.tables) << reread.problem;
    std::vector<double> after;
    reread.tables->LineTable(3, after);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); i += 97)
        EXPECT_NEAR(after[i], before[i] * 1549.0 / 1550.0, 0.006) << i;
}

TEST_F(CalibrationPageSimTest, AScaleTheFileCannotKeepIsRefused)
{
    // The frequencies would go above their columns' reference frequencies,
    // where the file's 16-bit counts below the reference cannot follow.
    for (double measured : {1560.0, 1540.0}) {
        CalibrationTools::CalibrationEdit edit = CalibrationTools::loadForEditing(settings->calibFolder, identity);
        ASSERT_TRUE(edit.tables) << edit.problem;
        edit.tables->ScaleLineTables(CalibrationTools::checkWavelengths(measured, 1550.0).factor);
        EXPECT_FALSE(CalibrationTools::lineTablesFitTheFile(*edit.tables)) << measured;
    }
}

}  // namespace
