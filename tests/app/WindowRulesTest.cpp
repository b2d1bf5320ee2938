#include <gtest/gtest.h>

#include "WindowRules.h"

using namespace WindowRules;

namespace {

struct RangeCase {
    const char* what;
    bool startEdited;
    double start, stop, bound;  // bound: the other edit's maximum (start edited) or minimum (stop edited)
    double wantStart, wantStop;
    RangeHint wantHint;
};

}  // namespace

TEST(WindowRules, MinimumScanRangeMovesTheOtherEnd)
{
    const RangeCase cases[] = {
        {"start typed within 5 nm of the stop", true, 1508.0, 1510.0, 1680.0, 1508.0, 1513.0, RangeHint::StopUpdated},
        {"stop typed within 5 nm of the start", false, 1500.0, 1502.0, 1240.0, 1497.0, 1502.0,
         RangeHint::StartUpdated},
        {"stop at its maximum: the start moves back", true, 1678.0, 1680.0, 1680.0, 1675.0, 1680.0, RangeHint::None},
        {"start at its minimum: the stop moves up", false, 1240.0, 1242.0, 1240.0, 1240.0, 1245.0, RangeHint::None},
        {"exactly 5 nm is enough", true, 1505.0, 1510.0, 1680.0, 1505.0, 1510.0, RangeHint::None},
        {"a start above the stop", true, 1600.0, 1550.0, 1680.0, 1600.0, 1605.0, RangeHint::StopUpdated},
        {"one decimal ends 5 nm apart", false, 1500.1, 1505.1, 1240.0, 1500.1, 1505.1, RangeHint::None},
    };
    for (const RangeCase& c : cases) {
        const ScanRange r = c.startEdited ? startChanged(c.start, c.stop, c.bound) : stopChanged(c.start, c.stop, c.bound);
        EXPECT_DOUBLE_EQ(r.startNm, c.wantStart) << c.what;
        EXPECT_DOUBLE_EQ(r.stopNm, c.wantStop) << c.what;
        EXPECT_EQ(r.hint, c.wantHint) << c.what;
    }
}

TEST(WindowRules, HintTextsNameTheEndThatMoved)
{
    EXPECT_STREQ(hintText(RangeHint::StopUpdated),
                 " The minimum scan range is 5nm. \n The Stop Wavelength parameter has been updated ");
    EXPECT_STREQ(hintText(RangeHint::StartUpdated),
                 " The minimum scan range is 5nm. \n The Start Wavelength parameter has been updated ");
    EXPECT_STREQ(hintText(RangeHint::None), "");
}

TEST(WindowRules, StartButtonGoesThroughItsFourStates)
{
    StartClick c = startButtonClicked(StartState::Idle);
    EXPECT_EQ(c.next, StartState::Running);
    EXPECT_TRUE(c.startMeasurement);
    EXPECT_FALSE(c.requestStop);
    EXPECT_TRUE(c.buttonDown);
    EXPECT_STREQ(c.label, " In Progress ");

    c = startButtonClicked(c.next);
    EXPECT_EQ(c.next, StartState::StopRequested);
    EXPECT_FALSE(c.startMeasurement);
    EXPECT_TRUE(c.requestStop);
    EXPECT_TRUE(c.buttonDown);
    EXPECT_TRUE(c.buttonEnabled);
    EXPECT_STREQ(c.label, " Stopping ");

    c = startButtonClicked(c.next);
    EXPECT_EQ(c.next, StartState::StopPressedAgain);
    EXPECT_TRUE(c.requestStop);
    EXPECT_TRUE(c.buttonEnabled);
    EXPECT_EQ(c.label, nullptr);

    // The third press: idle again, but the button waits for the thread's end.
    c = startButtonClicked(c.next);
    EXPECT_EQ(c.next, StartState::Idle);
    EXPECT_TRUE(c.requestStop);
    EXPECT_FALSE(c.startMeasurement);
    EXPECT_FALSE(c.buttonEnabled);

    c = measurementEnded();
    EXPECT_EQ(c.next, StartState::Idle);
    EXPECT_FALSE(c.buttonDown);
    EXPECT_TRUE(c.buttonEnabled);
}

TEST(WindowRules, EnableTableHasOneRulePerControlInOrder)
{
    const auto& table = enableTable();
    for (int i = 0; i < controlCount; ++i) EXPECT_EQ(static_cast<int>(table[i].control), i);
}

TEST(WindowRules, EnablingFollowsTheUnitAndTheMeasurement)
{
    EnableState oneDetector{.idle = true, .unitPresent = true, .laserInputs = 1, .detectors = 1};
    EnableState four{.idle = true, .unitPresent = true, .laserInputs = 4, .detectors = 4};
    for (Control c : {Control::Detector2, Control::Detector3, Control::Detector4, Control::SourceRow2,
                      Control::SourceRow3, Control::SourceRow4}) {
        EXPECT_FALSE(enabled(c, oneDetector)) << static_cast<int>(c);
        EXPECT_TRUE(enabled(c, four)) << static_cast<int>(c);
    }
    EnableState two = four;
    two.detectors = 2;
    EXPECT_TRUE(enabled(Control::Detector2, two));
    EXPECT_FALSE(enabled(Control::Detector3, two));

    EnableState busy = four;
    busy.idle = false;
    for (int i = 0; i < controlCount; ++i) {
        const auto c = static_cast<Control>(i);
        // Only the scan list is governed by the unit's presence as well.
        if (c == Control::ScanList) continue;
        EXPECT_FALSE(enabled(c, busy)) << i;
    }
    EXPECT_FALSE(enabled(Control::ScanList, busy));
    busy.unitPresent = false;
    EXPECT_TRUE(enabled(Control::ScanList, busy));
}

TEST(WindowRules, DependentControlsFollowTheirBoxes)
{
    EnableState s;
    EXPECT_FALSE(enabled(Control::AutoSaveChoices, s));
    s.autoSave = true;
    EXPECT_TRUE(enabled(Control::AutoSaveChoices, s));
    EXPECT_FALSE(enabled(Control::ResetModulo, s));
    s.minMaxReset = true;
    EXPECT_TRUE(enabled(Control::ResetModulo, s));

    EXPECT_TRUE(enabled(Control::PowerControl, s));
    EXPECT_FALSE(enabled(Control::CalibrationControls, s));
    s.opticalChecked = true;
    EXPECT_FALSE(enabled(Control::BncControls, s)) << "\"Optical\" is disabled outside calibration mode";
    s.calibrationMode = true;
    EXPECT_TRUE(enabled(Control::CalibrationControls, s));
    EXPECT_TRUE(enabled(Control::BncControls, s));
    EXPECT_FALSE(enabled(Control::PowerControl, s));
    s.opticalChecked = false;
    EXPECT_FALSE(enabled(Control::BncControls, s));
}

TEST(WindowRules, FibreBands)
{
    const struct {
        int code;
        double lo, hi;
    } cases[] = {{0, 1240, 1680}, {1, 1260, 1360}, {2, 1440, 1640}, {3, 1240, 1680}, {-1, 1240, 1680}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(fibreBandLimits(c.code).lowestStartNm, c.lo) << c.code;
        EXPECT_DOUBLE_EQ(fibreBandLimits(c.code).highestStopNm, c.hi) << c.code;
    }
}

TEST(WindowRules, LineDetectionLine)
{
    EXPECT_EQ(lineDetectionText(0, 1550.0), " 0 :        1550.000        193414.5");
    EXPECT_EQ(lineDetectionText(12, 1528.7734), " 12 :        1528.773        196100.0");
}

TEST(WindowRules, RememberedLineAveragesOnlyAContinuousRun)
{
    EXPECT_DOUBLE_EQ(rememberedLineWavelength(1550.0, 1551.0, false, false, 3), 1551.0);
    EXPECT_DOUBLE_EQ(rememberedLineWavelength(1550.0, 1551.0, true, true, 3), 1551.0);
    EXPECT_DOUBLE_EQ(rememberedLineWavelength(1550.0, 1551.0, true, false, 1), 1551.0);
    EXPECT_DOUBLE_EQ(rememberedLineWavelength(1550.0, 1553.0, true, false, 3), (2 * 1550.0 + 1553.0) / 3);
}

TEST(WindowRules, AnalysisCaptions)
{
    EXPECT_EQ(spectralWidthCaption(-3.0), "Spectral Width (3.00 dB) :");
    EXPECT_EQ(leftSlopeCaption(-3.0, -40.0), "Left Slope [-3.00, -40.00 dB] :");
    EXPECT_EQ(rightSlopeCaption(-3.0, -40.0), "Right Slope [-3.00, -40.00 dB] :");
}
