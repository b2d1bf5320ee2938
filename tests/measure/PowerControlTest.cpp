// The bars of the power control: colours, values and labels from one
// reading, and where the labels stand over the chart.

#include <gtest/gtest.h>

#include "CommaLocale.h"
#include "PowerControl.h"

namespace {

using PowerControl::Colour;

struct ColourCase {
    const char* what;
    int bar;            // 0 output, 1..4 detectors, 5 Ext
    std::int32_t level;
    double value;       // dBm, or volts for Ext
    Colour colour;
};

TEST(PowerControlBars, ColourFollowsTheRawLevelAndTheOutputPower)
{
    const ColourCase cases[] = {
        {"saturated output, plenty of power", 0, 4051, -3.0, Colour::Red},
        {"saturated output, too little power", 0, 4051, -30.0, Colour::Red},
        {"3000 converting to -20 dBm", 0, 3000, -20.0, Colour::Red},
        {"output just at -16 dBm", 0, 3000, -16.0, Colour::Green},
        {"output at the saturation limit", 0, 4050, -3.0, Colour::Green},
        {"saturated detector", 2, 4051, -10.0, Colour::Red},
        {"detector with little light stays green", 3, 200, -60.0, Colour::Green},
        {"detector at the limit", 4, 4050, -10.0, Colour::Green},
        {"saturated Ext", 5, 4051, 2.6, Colour::Red},
        {"Ext", 5, 1000, 0.7, Colour::Blue},
    };
    for (const ColourCase& k : cases) {
        SCOPED_TRACE(k.what);
        PowerControl::Levels levels{};
        PowerControl::Values values;
        values.outputDbm = -3.0;
        if (k.bar == 0) {
            levels[0] = k.level;
            values.outputDbm = k.value;
        } else if (k.bar == 5) {
            levels[7] = k.level;
            values.extVolts = k.value;
        } else {
            levels[static_cast<std::size_t>(k.bar) + 1] = k.level;
            values.detectorsDbm[static_cast<std::size_t>(k.bar) - 1] = k.value;
        }
        const PowerControl::Reading r = PowerControl::reading(levels, values);
        const PowerControl::Bar& bar = r.bars[static_cast<std::size_t>(k.bar)];
        EXPECT_EQ(bar.colour, k.colour);
        EXPECT_EQ(bar.value, k.value);
    }
}

TEST(PowerControlBars, PositionsAxesAndLabels)
{
    PowerControl::Levels levels{};
    const PowerControl::Values values{-5.126, {-10.0, -3.456, 0.0, 7.5}, 1.234};
    const PowerControl::Reading r = PowerControl::reading(levels, values);
    const char* labels[] = {"-5.13", "-10.00", "-3.46", "+0.00", "+7.50", "+1.23"};
    for (int i = 0; i < PowerControl::barCount; ++i) {
        const PowerControl::Bar& bar = r.bars[static_cast<std::size_t>(i)];
        EXPECT_EQ(bar.x, i + 1.0) << i;
        EXPECT_EQ(bar.voltageAxis, i == 5) << i;
        EXPECT_EQ(bar.label, labels[i]) << i;
    }
}

TEST(PowerControlBars, LabelsUseThePointWhateverTheLocale)
{
    CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma";
    EXPECT_EQ(PowerControl::labelText(-12.345), "-12.35");
    EXPECT_EQ(PowerControl::labelText(2.5), "+2.50");
}

TEST(PowerControlLabels, StandOverTheBarsNearTheBottom)
{
    struct Case {
        PowerControl::PlotArea plot;
        int labelHeight;
        int top;
        std::array<int, 6> centres;
    };
    const Case cases[] = {
        // bottom 310 - 300/30 - 13; a = 100
        {{50, 10, 700, 300}, 13, 287, {150, 250, 350, 450, 550, 650}},
        // 299/30 = 9 and 706/7 = 100 in integer pixels; Ext from the right edge 756
        {{50, 10, 706, 299}, 13, 287, {150, 250, 350, 450, 550, 656}},
        {{0, 0, 6, 20}, 16, 4, {0, 0, 0, 0, 0, 6}},
    };
    for (const Case& k : cases) {
        const PowerControl::LabelPlacement p = PowerControl::placeLabels(k.plot, k.labelHeight);
        EXPECT_EQ(p.top, k.top) << k.plot.width;
        EXPECT_EQ(p.centreX, k.centres) << k.plot.width;
    }
}

}  // namespace
