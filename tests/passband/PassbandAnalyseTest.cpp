// The analysis engine on synthetic traces with hand-computed answers.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "FakeTrace.h"
#include "FigureFormat.h"
#include "LogCapture.h"
#include "Passband.h"
#include "Units.h"

namespace {

using Points = std::vector<std::pair<double, double>>;

// A flat-top channel sampled at centre -0.30, -0.10, -0.05, 0, +0.05, +0.10,
// +0.30 nm: floor, a top with 0.6 dB ripple shifted by top, floor.
Points flatTop(double centre, double top, double floorLeft, double floorRight)
{
    return {{centre - 0.30, floorLeft},      {centre - 0.10, top - 0.2}, {centre - 0.05, top - 0.6},
            {centre, top},                   {centre + 0.05, top - 0.6}, {centre + 0.10, top - 0.2},
            {centre + 0.30, floorRight}};
}

// Channels 24, 26 and 28 of the 100 GHz grid (every other slot), centred at
// 1548.51, 1550.12 and 1551.72 nm, tops at -1.5, -1.0 and -2.0 dB, with
// floors of -45, -41.2 (between 24 and 26) and -38 dB (between 26 and 28).
FakeCurve comb(const std::string& name)
{
    Points p = {{1547.9, -45}};
    for (const auto& seg : {flatTop(1548.51, -1.5, -45, -41.2), flatTop(1550.12, -1.0, -41.2, -38),
                            flatTop(1551.72, -2.0, -38, -45)})
        p.insert(p.end(), seg.begin(), seg.end());
    p.push_back({1552.5, -45});
    p.push_back({1552.6, -45});
    return curveThrough(name, p);
}

// Counts the notifications of the results.
class Counter : public Observer {
public:
    void update() override { ++calls; }
    int calls = 0;
};

TEST(PassbandAnalyse, combOn100GHzGridGivesHandComputedFigures)
{
    FakeTrace trace;
    trace.add(comb("Comb"));
    Passband passband(trace);
    LogCapture log;
    passband.analyse();

    const Passband_Values* values = passband.results().trace("Comb");
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->channels(), (std::set<int>{24, 26, 28}));
    const Passband_Value* v = values->currentOf(26);
    ASSERT_NE(v, nullptr);
    // -3 dB below the -1 dB peak is -4 dB.
    //   left, between 1549.82 (-41.2) and 1550.02 (-1.2):
    //     1549.82 + (-4 + 41.2) / (-1.2 + 41.2) x 0.2 = 1550.006 (float 1550.0059814)
    //   right, between 1550.42 (-38) and 1550.22 (-1.2):
    //     1550.42 + (-4 + 38) / (-1.2 + 38) x -0.2 = 1550.2352174 (float 1550.2352295)
    //   central = (1550.2352295 + 1550.0059814) x 0.5 = 1550.1206055 nm
    //   -> c / 1550.1206055 / 1000 = 193.39944 THz, channel 26 (193400 GHz)
    EXPECT_EQ(v->values[Passband_Value::Central], 193.39944458007812f);
    // 1550.1206055 x 1000 is the float 1550120.625, c / 1550120.625 =
    // 193399.43819 GHz, minus 193400 GHz
    EXPECT_EQ(v->values[Passband_Value::CentreAccuracy], -0.561811089515686f);
    // -1 dB (level -2): 1549.82 + 39.2 / 40 x 0.2 = 1550.016 -> 193412.5 GHz,
    //                   1550.42 - 36 / 36.8 x 0.2 = 1550.2243 -> 193386.5 GHz
    EXPECT_EQ(v->values[Passband_Value::Bandwidth1], 26.0f);
    // -3 dB: the crossings above, x 1000 as floats 1550006 and 1550235.25,
    // give 193413.734375 - 193385.140625 GHz
    EXPECT_EQ(v->values[Passband_Value::Bandwidth2], 28.59375f);
    // -20 dB (level -21): 1549.82 + 20.2 / 40 x 0.2 = 1549.921 -> 193424.34375 GHz,
    //                     1550.42 - 17 / 36.8 x 0.2 = 1550.3276 -> 193373.609375 GHz
    EXPECT_EQ(v->values[Passband_Value::Bandwidth3], 50.734375f);
    // Window 1550.0360 ... 1550.1963 nm holds -1.6, -1.0, -1.6 and the edge
    // levels -1.3278 and -1.3897: IL = 1.6, ripple = -1.0 - -1.6.
    EXPECT_EQ(v->values[Passband_Value::MaxInsertionLoss], 1.6f);
    EXPECT_EQ(v->values[Passband_Value::Ripple], -1.0f - -1.6f);
    // Adjacent windows (25, 27) sit on the floors -41.2 and -38: -1.6 - -38.
    EXPECT_EQ(v->values[Passband_Value::Adjacent], -1.6f - -38.0f);
    // Non-adjacent: channel 24's top -1.5 is the highest: -1.6 - -1.5.
    EXPECT_EQ(v->values[Passband_Value::NonAdjacent], -1.6f - -1.5f);
    EXPECT_EQ(v->values[Passband_Value::PeakLevel], -1.0f);
    EXPECT_FALSE(values->duplicate(26));
    // The first analysis folds its records into min and max as they are.
    EXPECT_EQ(values->minOf(26)->values, v->values);
    EXPECT_EQ(values->maxOf(26)->values, v->values);

    EXPECT_EQ(log.count(2, "Comb\n"), 1);
    EXPECT_EQ(log.countStartingWith(1, "Total Time "), 1);
    EXPECT_EQ(log.count(4, "Passband_Values::Add -1.000\n"), 1);
}

TEST(PassbandAnalyse, levelsThatAreNotNumbersCountAsBelowEveryThreshold)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    FakeTrace clean;
    clean.add(comb("Comb"));
    Passband reference(clean);
    reference.analyse();

    // The floor right of channel 26 is lost: channel 26 has no right
    // crossing and is dropped, its neighbours keep every figure. Before,
    // the detection never moved past the NaN and grew without end.
    FakeCurve damaged = comb("Comb");
    damaged.levelDb[11] = nan;  // 1550.42 nm
    FakeCurve allNan = comb("AllNan");
    std::fill(allNan.levelDb.begin(), allNan.levelDb.end(), nan);
    FakeCurve infinite = comb("Infinite");
    for (double& level : infinite.levelDb)
        if (level > -30.0) level = inf;
    FakeTrace trace;
    trace.add(damaged);
    trace.add(allNan);
    trace.add(infinite);
    Passband passband(trace);
    LogCapture log;
    passband.analyse();

    const Passband_Values* values = passband.results().trace("Comb");
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->channels(), (std::set<int>{24, 28}));
    for (const int ch : {24, 28}) {
        const Passband_Value* got = values->currentOf(ch);
        const Passband_Value* want = reference.results().trace("Comb")->currentOf(ch);
        ASSERT_NE(got, nullptr);
        ASSERT_NE(want, nullptr);
        for (std::size_t k = 0; k < 7; ++k) EXPECT_EQ(got->values[k], want->values[k]) << ch << " " << k;
    }
    EXPECT_EQ(passband.results().trace("AllNan"), nullptr);
    // Tops at infinity are no level: nothing starts a run above -30 dB there.
    EXPECT_EQ(passband.results().trace("Infinite"), nullptr);
}

TEST(PassbandAnalyse, centralFrequencyAndAccuracyUseTheSinglePrecisionProduct)
{
    // Both -3 dB crossings sit on points, 1538.0 and 1538.3798828125 nm,
    // so the centre is the float 1538.18994140625 nm. By hand: x 1000 as a
    // float is 1538190, c / 1538190 = 194.89949746 THz (printed 194.899)
    // and 194899.49746 - 194900 GHz = -0.50254 GHz (printed -0.503).
    FakeTrace trace;
    trace.add(curveThrough("1", {{1537.5, -40}, {1538.0, -4}, {1538.18994140625, -1}, {1538.3798828125, -4},
                                 {1538.9, -40}, {1539.0, -40}}));
    Passband passband(trace);
    LogCapture log;
    passband.analyse();
    const Passband_Value* v = passband.results().trace("1")->currentOf(11);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(formatFigure(v->values[Passband_Value::Central], 3), "194.899");
    EXPECT_EQ(formatFigure(v->values[Passband_Value::CentreAccuracy], 3), "-0.503");
    EXPECT_EQ(v->values[Passband_Value::Central], 194.89949035644531f);
}

TEST(PassbandAnalyse, cwdmGridGivesWavelengthsInNm)
{
    // One channel at 1551 nm (CWDM channel 15): -3 dB crossings at
    // 1543 + 46 / 48.5 x 6 = 1548.6907 and 1559 - 46 / 48.5 x 6 = 1553.3093 nm,
    // in float 1548.6906738 and 1553.3093262.
    FakeTrace trace;
    trace.add(curveThrough("1", {{1530, -50}, {1543, -50}, {1549, -1.5}, {1551, -1.0}, {1553, -1.5},
                                 {1559, -50}, {1570, -50}, {1571, -50}}));
    Passband passband(trace);
    passband.grid.gridType.setValue(GridType::Cwdm);
    const Passband_Value* v = passband.results().trace("1")->currentOf(15);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->values[Passband_Value::Central], 1551.0f);
    EXPECT_EQ(v->values[Passband_Value::CentreAccuracy], 0.0f);
    EXPECT_EQ(v->values[Passband_Value::Bandwidth2], 1553.309326171875f - 1548.690673828125f);
    // Window 1541 ... 1561 (owr 10): -50 at both edges, peak -1: IL 50, ripple 49.
    EXPECT_EQ(v->values[Passband_Value::MaxInsertionLoss], 50.0f);
    EXPECT_EQ(v->values[Passband_Value::Ripple], 49.0f);
}

TEST(PassbandAnalyse, channelWithoutLeftCrossingIsDroppedSilently)
{
    // The run starts on the segment's first point: the -3 dB walk to the left
    // ends there and the channel has no central wavelength.
    FakeTrace trace;
    trace.add(curveThrough("1", {{1549.9, -2.0}, {1550.0, -1.0}, {1550.2, -1.0}, {1550.4, -40}, {1550.6, -40}}));
    Passband passband(trace);
    LogCapture log;
    passband.analyse();
    EXPECT_EQ(passband.results().trace("1"), nullptr);
    EXPECT_EQ(log.countStartingWith(3, ""), 0);
}

TEST(PassbandAnalyse, owrTooWideLeavesWindowFiguresNone)
{
    FakeTrace trace;
    trace.add(comb("Comb"));
    Passband passband(trace);
    LogCapture log;
    passband.owr.setValue(50.5f);
    EXPECT_EQ(log.count(1, "ChannelIsolation::bounds owr * 2(101.000) > channel spacing(100.000)\n"), 1);
    const Passband_Value* v = passband.results().trace("Comb")->currentOf(26);
    ASSERT_NE(v, nullptr);
    for (std::size_t k : {5u, 6u, 7u, 8u}) EXPECT_EQ(v->values[k], noneMarker) << k;
    EXPECT_EQ(v->values[Passband_Value::Bandwidth2], 28.59375f);

    passband.owr.setValue(50.0f);  // exactly half the spacing: windows again
    v = passband.results().trace("Comb")->currentOf(26);
    ASSERT_NE(v, nullptr);
    EXPECT_NE(v->values[Passband_Value::MaxInsertionLoss], noneMarker);
    EXPECT_NE(v->values[Passband_Value::Adjacent], noneMarker);
}

TEST(PassbandAnalyse, duplicatesInOneGridChannelKeepTheHigherPeak)
{
    // Two narrow peaks inside CWDM channel 15 (1541 ... 1561 nm).
    const auto twoPeaks = [](double first, double second) {
        return curveThrough("1", {{1530, -50}, {1545, -50}, {1547, first}, {1549, -50}, {1551, -50},
                                  {1553, second}, {1555, -50}, {1570, -50}, {1571, -50}});
    };
    struct Case {
        double first, second;
        const char* compared;
    };
    const Case table[] = {{-2.0, -1.0, "current = -2.000  new = -1.000\n"},
                          {-1.0, -2.0, "current = -1.000  new = -2.000\n"}};
    for (const Case& c : table) {
        FakeTrace trace;
        trace.add(twoPeaks(c.first, c.second));
        Passband passband(trace);
        passband.grid.gridType.setValue(GridType::Cwdm);
        LogCapture log;
        passband.analyse();
        const Passband_Values* values = passband.results().trace("1");
        ASSERT_NE(values, nullptr);
        EXPECT_EQ(values->current().size(), 1u);
        EXPECT_EQ(values->currentOf(15)->values[Passband_Value::PeakLevel], -1.0f);
        EXPECT_EQ(values->currentOf(15)->values[Passband_Value::Central], c.first > c.second ? 1547.0f : 1553.0f);
        EXPECT_TRUE(values->duplicate(15));
        EXPECT_EQ(values->minOf(15)->values[Passband_Value::PeakLevel], -1.0f);
        EXPECT_EQ(values->maxOf(15)->values[Passband_Value::PeakLevel], -1.0f);
        EXPECT_EQ(log.count(4, c.compared), 1);
    }
}

TEST(PassbandAnalyse, runningMinimumAndMaximumOverThreeAnalyses)
{
    // The channel's top level and its floor change from scan to scan. With
    // bandwidth3 at -40 dB, a floor of -38 leaves no crossing: that figure is
    // none in the first scan, and none stays the maximum.
    const auto channel = [](double top, double floor) {
        return curveThrough("1", {{1530, floor}, {1541, floor}, {1549, top - 0.5}, {1551, top}, {1553, top - 0.5},
                                  {1561, floor}, {1570, floor}, {1571, floor}});
    };
    FakeTrace trace;
    trace.add(channel(-1.0, -38));
    Passband passband(trace);
    passband.bandwidth3.setValue(-40.0f);
    passband.grid.gridType.setValue(GridType::Cwdm);  // analyses the first scan

    trace.curves[0] = channel(-2.0, -60);
    passband.analyse();
    trace.curves[0] = channel(-0.5, -50);
    passband.analyse();

    const Passband_Values* values = passband.results().trace("1");
    ASSERT_NE(values, nullptr);
    const auto figure = Passband_Value::PeakLevel;
    EXPECT_EQ(values->currentOf(15)->values[figure], -0.5f);
    EXPECT_EQ(values->minOf(15)->values[figure], -2.0f);
    EXPECT_EQ(values->maxOf(15)->values[figure], -0.5f);
    const auto bw3 = Passband_Value::Bandwidth3;
    EXPECT_NE(values->currentOf(15)->values[bw3], noneMarker);
    EXPECT_NE(values->minOf(15)->values[bw3], noneMarker);
    EXPECT_EQ(values->maxOf(15)->values[bw3], noneMarker);
    // -40 dB below the peak: with the -60 floor (level -42) the crossings are
    // 1541 + 18 / 57.5 x 8 = 1543.5043 and 1558.4957 nm, 14.9912 nm apart (in
    // float 14.9912109); with the -50 floor 16.8979 nm. The minimum is the former.
    EXPECT_EQ(values->minOf(15)->values[bw3], 14.9912109375f);
    EXPECT_EQ(values->currentOf(15)->values[bw3], 16.89794921875f);

    // A parameter change starts the accumulation again.
    passband.threshold.setValue(-31.0f);
    EXPECT_EQ(passband.results().trace("1")->minOf(15)->values[figure], -0.5f);
}

TEST(PassbandAnalyse, notificationsFollowCurveIndicesAndHolesAreSkipped)
{
    FakeTrace trace;
    trace.add(comb("A"));
    trace.addHole();
    trace.add(comb("B"));
    Passband passband(trace);
    Counter counter;
    passband.results().addObserver(counter);
    LogCapture log;
    passband.analyse();
    EXPECT_EQ(counter.calls, 3);
    EXPECT_EQ(log.countStartingWith(1, "Total Time "), 3);
    EXPECT_EQ(log.count(2, "A\n") + log.count(2, "B\n"), 2);
    EXPECT_EQ(passband.results().traces().size(), 2u);
    passband.results().removeObserver(counter);
}

TEST(PassbandAnalyse, traceWithoutCurvesDropsCurrentRecordsAndNotifiesNobody)
{
    FakeTrace trace;
    trace.add(comb("Comb"));
    Passband passband(trace);
    passband.analyse();
    trace.curves.clear();
    Counter counter;
    passband.results().addObserver(counter);
    passband.analyse();
    EXPECT_EQ(counter.calls, 0);
    const Passband_Values* values = passband.results().trace("Comb");
    ASSERT_NE(values, nullptr);
    EXPECT_TRUE(values->current().empty());
    EXPECT_NE(values->minOf(26), nullptr);
    passband.results().removeObserver(counter);
}

TEST(PassbandAnalyse, curvesOutsideTheGridAreReportedAndSkipped)
{
    FakeTrace trace;
    trace.add(curveThrough("below", {{1300, -1}, {1310, -50}, {1320, -1}}));
    trace.add(curveThrough("above", {{1630, -1}, {1640, -50}, {1650, -1}}));
    trace.add(curveThrough("never above threshold", {{1540, -40}, {1550, -35}, {1560, -40}}));
    Passband passband(trace);
    LogCapture log;
    passband.analyse();
    const std::string grid = "grid( 1529.944, 1625.332 ) \n";
    EXPECT_EQ(log.count(3, " Passband::analyse Curve Segment not fount trace :below, " + grid), 1);
    EXPECT_EQ(log.count(3, " Passband::analyse Curve Segment not fount trace :above, " + grid), 1);
    EXPECT_TRUE(passband.results().traces().empty());
}

TEST(PassbandAnalyse, curveWhoseLastPointSitsOnTheGridEdgeIsAnalysed)
{
    // The segment's last point is exactly the grid's far edge, 1625.3318 nm
    // (c / 184450 GHz in float). Looked up in float it maps to channel 116,
    // one past the last; the curve must still be analysed.
    const double edge = 1625.331787109375;
    FakeTrace trace;
    trace.add(curveThrough("1", {{1619.0, -45}, {1620.0, -45}, {1620.3, -1.2}, {1620.35, -1.6}, {1620.4, -1.0}, {1620.45, -1.6},
                                 {1620.5, -1.2}, {1620.8, -45}, {edge, -45}, {1626.0, -45}}));
    Passband passband(trace);
    LogCapture log;
    passband.analyse();
    EXPECT_EQ(log.countStartingWith(3, " Passband::analyse Curve Segment not fount"), 0);
    const Passband_Values* values = passband.results().trace("1");
    ASSERT_NE(values, nullptr);
    ASSERT_EQ(values->channels().size(), 1u);
    // 1620.4 nm = 185013 GHz: channel 110 (185000 GHz).
    const Passband_Value* v = values->currentOf(110);
    ASSERT_NE(v, nullptr);
    EXPECT_NE(v->values[Passband_Value::MaxInsertionLoss], noneMarker);
    EXPECT_NE(v->values[Passband_Value::Adjacent], noneMarker);
}

}  // namespace
