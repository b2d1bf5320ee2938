// The rules of the source rows: the enable chain, the fibre band limits,
// the 5 nm rule of a source's range and which controls of a row work.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "SourceEditorRules.h"
#include "SourceTypes.h"

namespace {

using namespace SourceEditorRules;
using Boxes = std::array<bool, rowCount>;

std::string text(const Boxes& boxes)
{
    std::string out;
    for (bool on : boxes) out += on ? '1' : '0';
    return out;
}

TEST(SourceEditorRulesTest, EnableChainKeepsAnUnbrokenRunFromTheFirstSource)
{
    struct Case {
        const char* what;
        Boxes before;
        int row;
        bool checked;
        Boxes after;
    };
    const Case cases[] = {
        {"unchecking TLS2 unchecks TLS3 and TLS4", {true, true, true, true}, 1, false, {true, false, false, false}},
        {"checking TLS4 checks TLS2 and TLS3", {true, false, false, false}, 3, true, {true, true, true, true}},
        {"unchecking TLS1 leaves it checked", {true, true, false, false}, 0, false, {true, true, false, false}},
        {"TLS1 comes back even from nothing", {false, false, false, false}, 0, false, {true, false, false, false}},
        {"unchecking TLS3 keeps TLS1 and TLS2", {true, true, true, true}, 2, false, {true, true, false, false}},
        {"checking TLS2 leaves TLS3 and TLS4", {true, false, false, false}, 1, true, {true, true, false, false}},
        {"a broken run read from a file closes when checked", {true, false, false, true}, 2, true,
         {true, true, true, true}},
        {"checking the first source of nothing", {false, false, false, false}, 0, true, {true, false, false, false}},
        {"unchecking TLS4 alone", {true, true, true, true}, 3, false, {true, true, true, false}},
        {"a row outside the panel changes nothing", {true, false, true, false}, 4, true, {true, false, true, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(text(enableChain(c.before, c.row, c.checked)), text(c.after)) << c.what;
}

TEST(SourceEditorRulesTest, WavelengthLimitsFollowTheFibreBand)
{
    struct Case {
        int band;
        WavelengthLimits limits;
    };
    const Case cases[] = {
        {0, {1240.0, 1680.0}}, {1, {1260.0, 1360.0}}, {2, {1440.0, 1640.0}},
        {3, {1240.0, 1680.0}}, {-1, {1240.0, 1680.0}}, {65535, {1240.0, 1680.0}},
    };
    for (const Case& c : cases) {
        const WavelengthLimits limits = wavelengthLimits(c.band);
        EXPECT_DOUBLE_EQ(limits.min, c.limits.min) << "band " << c.band;
        EXPECT_DOUBLE_EQ(limits.max, c.limits.max) << "band " << c.band;
    }
}

constexpr WavelengthLimits standard{1240.0, 1680.0};
constexpr WavelengthLimits pm15{1440.0, 1640.0};

struct RuleCase {
    const char* what;
    bool lowChanged;
    double low;
    double high;
    WavelengthLimits limits;
    double expectedLow;
    double expectedHigh;
    RangeHint hint;
};

TEST(SourceEditorRulesTest, FiveNanometreRule)
{
    const RuleCase cases[] = {
        // The low wavelength was entered.
        {"far enough apart", true, 1500.0, 1600.0, standard, 1500.0, 1600.0, RangeHint::None},
        {"3 nm under high: high follows", true, 1597.0, 1600.0, standard, 1597.0, 1602.0, RangeHint::HighUpdated},
        {"2 nm under high, as the scan range", true, 1508.0, 1510.0, standard, 1508.0, 1513.0,
         RangeHint::HighUpdated},
        {"2 nm above high: high still follows", true, 1602.0, 1600.0, standard, 1602.0, 1607.0,
         RangeHint::HighUpdated},
        {"10 nm above high is accepted", true, 1610.0, 1600.0, standard, 1610.0, 1600.0, RangeHint::None},
        {"exactly 5 nm", true, 1495.0, 1500.0, standard, 1495.0, 1500.0, RangeHint::None},
        {"exactly 5 nm in tenths", true, 1500.1, 1505.1, standard, 1500.1, 1505.1, RangeHint::None},
        {"high already at its limit: low moves back", true, 1677.0, 1680.0, standard, 1675.0, 1680.0,
         RangeHint::None},
        {"high stops at its limit, low below it", true, 1678.0, 1679.0, standard, 1675.0, 1680.0, RangeHint::None},
        {"the narrower band's limit", true, 1638.0, 1640.0, pm15, 1635.0, 1640.0, RangeHint::None},
        {"the narrower band, room left", true, 1600.0, 1602.0, pm15, 1600.0, 1605.0, RangeHint::HighUpdated},
        // The high wavelength was entered.
        {"high far enough", false, 1500.0, 1600.0, standard, 1500.0, 1600.0, RangeHint::None},
        {"high 2 nm above low: low follows", false, 1500.0, 1502.0, standard, 1497.0, 1502.0,
         RangeHint::LowUpdated},
        {"high 2 nm under low: low still follows", false, 1500.0, 1498.0, standard, 1493.0, 1498.0,
         RangeHint::LowUpdated},
        {"high 10 nm under low is accepted", false, 1500.0, 1490.0, standard, 1500.0, 1490.0, RangeHint::None},
        {"low at its limit: high moves up", false, 1240.0, 1242.0, standard, 1240.0, 1245.0, RangeHint::None},
        {"low stops at its limit, high above it", false, 1241.0, 1243.0, standard, 1240.0, 1245.0,
         RangeHint::None},
        {"high exactly 5 nm in tenths", false, 1500.1, 1505.1, standard, 1500.1, 1505.1, RangeHint::None},
    };
    for (const RuleCase& c : cases) {
        const SourceRange range =
            c.lowChanged ? lowWavelengthChanged(c.low, c.high, c.limits) : highWavelengthChanged(c.low, c.high, c.limits);
        EXPECT_NEAR(range.low, c.expectedLow, 1e-9) << c.what;
        EXPECT_NEAR(range.high, c.expectedHigh, 1e-9) << c.what;
        EXPECT_EQ(range.hint, c.hint) << c.what;
    }
}

TEST(SourceEditorRulesTest, RangeShownWithinTheLimitsNeverCollapses)
{
    struct Case {
        const char* what;
        double low;
        double high;
        WavelengthLimits limits;
        double shownLow;
        double shownHigh;
    };
    const Case cases[] = {
        {"inside the limits", 1500.0, 1600.0, pm15, 1500.0, 1600.0},
        {"the whole standard band on a PM15 unit", 1240.0, 1680.0, pm15, 1440.0, 1640.0},
        {"below the band: both ends at its floor", 1240.0, 1300.0, pm15, 1440.0, 1445.0},
        {"above the band: both ends at its ceiling", 1650.0, 1680.0, pm15, 1635.0, 1640.0},
        {"one end cut to within 5 nm", 1300.0, 1443.0, pm15, 1440.0, 1445.0},
        // A file may hold a narrower range; it is shown as it is.
        {"a narrow range read from a file", 1500.0, 1502.0, pm15, 1500.0, 1502.0},
    };
    for (const Case& c : cases) {
        const SourceRange range = rangeWithinLimits(c.low, c.high, c.limits);
        EXPECT_NEAR(range.low, c.shownLow, 1e-9) << c.what;
        EXPECT_NEAR(range.high, c.shownHigh, 1e-9) << c.what;
        EXPECT_EQ(range.hint, RangeHint::None) << c.what;
    }
}

TEST(SourceEditorRulesTest, RowControlsFollowTheRowTheSourceAndTheType)
{
    struct Case {
        bool available;
        bool sourceEnabled;
        int type;
        RowControls controls;
    };
    const Case cases[] = {
        {true, true, SourceTypes::Manual, {true, true, true}},
        {true, true, SourceTypes::Agilent, {true, true, false}},
        {true, true, SourceTypes::Santec, {true, true, false}},
        {true, false, SourceTypes::Manual, {true, false, false}},
        {true, false, SourceTypes::VarnelPlus, {true, false, false}},
        {false, true, SourceTypes::Manual, {false, false, false}},
        {false, false, SourceTypes::Manual, {false, false, false}},
    };
    for (const Case& c : cases) {
        const RowControls controls = rowControls(c.available, c.sourceEnabled, c.type);
        EXPECT_EQ(controls.checkBox, c.controls.checkBox) << c.available << c.sourceEnabled << c.type;
        EXPECT_EQ(controls.fields, c.controls.fields) << c.available << c.sourceEnabled << c.type;
        EXPECT_EQ(controls.edit, c.controls.edit) << c.available << c.sourceEnabled << c.type;
    }
}

}  // namespace
