// The engine's building blocks on tiny hand-made segments: segment search,
// channel detection, level crossings, passband windows.

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "Bandwidth.h"
#include "CentralWavelength.h"
#include "ChannelIsolation.h"
#include "CurveSegment.h"
#include "LevelCrossings.h"
#include "LogCapture.h"
#include "Passband_Grid.h"
#include "Units.h"

namespace {

CurveSegment segmentOf(const std::vector<double>& w, const std::vector<double>& l)
{
    return {w.size(), w.data(), l.data()};
}

TEST(CurveSegment, searchKeepsThePointsInsideTheGridButNeverTheLastOne)
{
    struct Case {
        const char* what;
        std::vector<double> w;
        float first, last;
        std::size_t start, count;  // count 0: exception expected
        const char* error;
    };
    const char* noFirst = "CurveSegment::search The first wavelength of grid not found";
    const char* noLast = "CurveSegment::search The last wavelength of grid not found";
    const Case table[] = {
        {"inner part", {1, 2, 3, 4, 5, 6}, 2.5f, 4.5f, 2, 2, ""},
        {"bounds are inclusive", {1, 2, 3, 4, 5, 6}, 2.0f, 5.0f, 1, 4, ""},
        {"grid wider than the curve: all but the last point", {1, 2, 3, 4}, 0.0f, 10.0f, 0, 3, ""},
        {"grid above the curve", {1, 2, 3, 4}, 5.0f, 10.0f, 0, 0, noFirst},
        {"grid below the curve", {5, 6, 7, 8}, 1.0f, 4.0f, 0, 0, noLast},
        {"one point inside", {1, 3, 9}, 2.0f, 4.0f, 0, 0, noLast},
        {"only the last point reaches the grid", {1, 2, 3}, 2.5f, 10.0f, 0, 0, noLast},
        {"single point", {3}, 0.0f, 10.0f, 0, 0, noLast},
        {"empty curve", {}, 0.0f, 10.0f, 0, 0, noFirst},
    };
    for (const Case& c : table) {
        const std::vector<double> l(c.w.size(), -1.0);
        if (c.count == 0) {
            try {
                CurveSegment::search(c.w.data(), l.data(), c.w.size(), c.first, c.last);
                ADD_FAILURE() << c.what << ": no exception";
            } catch (const std::out_of_range& e) {
                EXPECT_STREQ(e.what(), c.error) << c.what;
            }
            continue;
        }
        const CurveSegment s = CurveSegment::search(c.w.data(), l.data(), c.w.size(), c.first, c.last);
        EXPECT_EQ(s.wavelengthNm - c.w.data(), static_cast<std::ptrdiff_t>(c.start)) << c.what;
        EXPECT_EQ(s.count, c.count) << c.what;
    }
}

TEST(Bandwidth, findChannelsWithHysteresis)
{
    struct Case {
        const char* what;
        float threshold;
        std::vector<double> levels;
        std::vector<std::size_t> peaks;
    };
    // Threshold -30 dB: a run starts at -30 and lasts down to -33 dB.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case table[] = {
        {"ripple above -33 does not split; first of equal maxima", -30.0f, {-40, -29, -31, -32.9, -29, -40}, {1}},
        {"a dip below -33 splits", -30.0f, {-40, -29, -33.5, -28, -40}, {1, 3}},
        {"-33 itself stays in the run", -30.0f, {-40, -29, -33, -28, -40}, {3}},
        {"exactly at the threshold starts a run", -30.0f, {-40, -30, -40}, {1}},
        {"below the threshold never starts", -30.0f, {-40, -30.01, -31, -40}, {}},
        {"run open at the segment's end", -30.0f, {-40, -10, -20, -25}, {}},
        {"second run open at the end", -30.0f, {-40, -10, -40, -5, -31}, {1}},
        {"starts at the first point", -30.0f, {-1, -2, -40}, {0}},
        {"positive threshold: 10 % below is 18", 20.0f, {0, 21, 18.5, 25, 17.9, 0}, {3}},
        // Levels that are not finite numbers count as below any threshold.
        {"a NaN ends a run", -30.0f, {-40, -10, nan, -40}, {1}},
        {"a NaN between two runs", -30.0f, {-40, -10, nan, -5, -40}, {1, 3}},
        {"NaNs never start a run", -30.0f, {nan, nan, nan}, {}},
        {"a NaN at the start", -30.0f, {nan, -10, -40}, {1}},
        {"+inf is no level either", -30.0f, {-40, inf, -40}, {}},
        {"-inf ends a run", -30.0f, {-40, -10, -inf, -40}, {1}},
        {"a NaN threshold finds nothing", nan, {-40, -10, -40}, {}},
    };
    const Bandwidth bandwidth;
    for (const Case& c : table) {
        const std::vector<double> w(c.levels.size(), 1550.0);
        EXPECT_EQ(bandwidth.findChannels(c.threshold, segmentOf(w, c.levels)), c.peaks) << c.what;
    }
}

TEST(LevelCrossings, interpolatesOnBothSidesOrGivesNone)
{
    // w:      0    1    2   3   4    5
    // level: -10 -10   -2   0  -4  -10
    const std::vector<double> w = {0, 1, 2, 3, 4, 5};
    const std::vector<double> l = {-10, -10, -2, 0, -4, -10};
    const CurveSegment s = segmentOf(w, l);
    // -3 dB: left between points 1 and 2: 1 + (-3 + 10) / (-2 + 10) x 1 = 1.875;
    // right between points 4 and 3: 4 + (-3 + 4) / (0 + 4) x (3 - 4) = 3.75.
    const Crossings c = levelCrossings(-3.0f, s, 3, Unit::Nm);
    EXPECT_EQ(c.left, 1.875f);
    EXPECT_EQ(c.right, 3.75f);
    EXPECT_EQ(CentralWavelength().compute(s, 3), 2.8125f);
    EXPECT_EQ(Bandwidth().compute(s, 3, -3.0f, Unit::Nm), 1.875f);
    // A level met exactly by a point: -4 is point 4 itself and, on the left,
    // (-4 + 10) / 8 = 0.75 past point 1.
    EXPECT_EQ(Bandwidth().compute(s, 3, -4.0f, Unit::Nm), 4.0f - 1.75f);

    const std::pair<const char*, float> none[] = {
        {"0 dB", 0.0f}, {"positive level", 1.0f}, {"deeper than the right end", -10.5f}};
    for (const auto& [what, level] : none) {
        const Crossings n = levelCrossings(level, s, 3, Unit::Nm);
        EXPECT_EQ(n.left, noneMarker) << what;
        EXPECT_EQ(n.right, noneMarker) << what;
        EXPECT_EQ(Bandwidth().compute(s, 3, level, Unit::Nm), noneMarker) << what;
    }
}

TEST(LevelCrossings, aLevelThatIsNotANumberGivesNone)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> w = {0, 1, 2, 3, 4, 5};
    const std::vector<double> leftNan = {-10, nan, -2, 0, -4, -10};
    const std::vector<double> rightNan = {-10, -10, -2, 0, nan, -10};
    for (const auto* l : {&leftNan, &rightNan}) {
        const CurveSegment s = segmentOf(w, *l);
        EXPECT_EQ(CentralWavelength().compute(s, 3), noneMarker);
        EXPECT_EQ(Bandwidth().compute(s, 3, -3.0f, Unit::Nm), noneMarker);
    }
    // A NaN wavelength cannot be a crossing either.
    const std::vector<double> wNan = {0, nan, 2, 3, 4, 5};
    const std::vector<double> l = {-10, -10, -2, 0, -4, -10};
    EXPECT_EQ(CentralWavelength().compute(segmentOf(wNan, l), 3), noneMarker);
}

TEST(LevelCrossings, aCrossingAtTheFirstPointGivesNone)
{
    // The walk to the left stops at point 0 even though its level is below a.
    const std::vector<double> w = {0, 1, 2, 3};
    const std::vector<double> l = {-10, -1, 0, -10};
    const CurveSegment s = segmentOf(w, l);
    EXPECT_EQ(levelCrossings(-3.0f, s, 2, Unit::Nm).left, noneMarker);
    EXPECT_EQ(CentralWavelength().compute(s, 2), noneMarker);
}

TEST(LevelCrossings, flatStepTakesThePointItself)
{
    // Levels equal on both sides of the crossing interval: the walk stops on
    // a point at level a, and the interpolation gives that point.
    const std::vector<double> w = {0, 1, 2, 3, 4};
    const std::vector<double> l = {-9, -3, 0, -3, -9};
    const Crossings c = levelCrossings(-3.0f, segmentOf(w, l), 2, Unit::Nm);
    EXPECT_EQ(c.left, 1.0f);
    EXPECT_EQ(c.right, 3.0f);
}

TEST(ChannelIsolation, windowOfChannel26With10GHz)
{
    // 193400 GHz +/- 10 GHz: c / 193410 = 1550.0360 nm, c / 193390 = 1550.1963 nm.
    Passband_Grid grids;
    const Grid& g = *grids.get(GridType::Itu100GHz);
    const std::vector<double> w = {1549.9, 1550.3};
    const std::vector<double> l = {-5.0, -5.0};
    const auto windows = ChannelIsolation::bounds(segmentOf(w, l), g, 10.0f);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows.begin()->first, 26);
    EXPECT_EQ(windows.at(26).low, 1550.0360107421875f);
    EXPECT_EQ(windows.at(26).high, 1550.1962890625f);
}

TEST(ChannelIsolation, windowsTouchWhenOwrIsHalfTheSpacingAndVanishAbove)
{
    Passband_Grid grids;
    const Grid& g = *grids.get(GridType::Itu100GHz);
    const std::vector<double> w = {1549.0, 1551.5};
    const std::vector<double> l = {-5.0, -5.0};
    const auto touching = ChannelIsolation::bounds(segmentOf(w, l), g, 50.0f);
    ASSERT_EQ(touching.size(), 4u);  // channels 24 ... 27
    EXPECT_EQ(touching.at(26).high, touching.at(27).low);
    EXPECT_EQ(touching.at(25).high, touching.at(26).low);

    LogCapture log;
    EXPECT_TRUE(ChannelIsolation::bounds(segmentOf(w, l), g, 50.5f).empty());
    EXPECT_EQ(log.count(1, "ChannelIsolation::bounds owr * 2(101.000) > channel spacing(100.000)\n"), 1);
}

TEST(ChannelIsolation, levelsAndIsolationsFromTheWindows)
{
    // CWDM, owr 5 nm: windows 1546 ... 1556 (channel 15), 1566 ... 1576 (16),
    // 1526 ... 1536 (14), 1586 ... 1596 (17). Points every 10 nm.
    Passband_Grid grids;
    const Grid& g = *grids.get(GridType::Cwdm);
    const std::vector<double> w = {1521, 1531, 1541, 1551, 1561, 1571, 1581, 1591, 1601};
    const std::vector<double> l = {-40, -30, -20, -2, -20, -30, -10, -40, -50};
    // The last point of a segment stays in it; only the curve's last is cut.
    const CurveSegment s = segmentOf(w, l);
    const ChannelIsolation iso(s, g, 5.0f);
    // 14: at 1526 (-35), 1531 (-30), at 1536 (-25): min -35, max -25.
    // 15: at 1546 (-11), 1551 (-2), at 1556 (-11).
    // 16: at 1566 (-25), 1571 (-30), at 1576 (-20).
    // 17: at 1586 (-25), 1591 (-40), at 1596 (-45).
    // 18: 1606 ... 1616 lies past the last point: no entry.
    const std::map<int, std::pair<float, float>> expected = {
        {14, {-35.0f, -25.0f}}, {15, {-11.0f, -2.0f}}, {16, {-30.0f, -20.0f}}, {17, {-45.0f, -25.0f}}};
    ASSERT_EQ(iso.entries().size(), expected.size());
    for (const auto& [ch, mm] : expected) {
        EXPECT_EQ(iso.window(ch).min, mm.first) << ch;
        EXPECT_EQ(iso.window(ch).max, mm.second) << ch;
    }
    EXPECT_EQ(iso.window(18).min, -noneMarker);
    EXPECT_EQ(iso.window(18).max, noneMarker);
    // 15: -11 - max(-25, -20) = 9; non-adjacent: -11 - (-25) = 14.
    EXPECT_EQ(iso.adjacentIsolation(15), 9.0f);
    EXPECT_EQ(iso.nonAdjacentIsolation(15), 14.0f);
    // 17: only 16 is adjacent (18 has no entry); 14 and 15 are not.
    EXPECT_EQ(iso.adjacentIsolation(17), -45.0f - -20.0f);
    EXPECT_EQ(iso.nonAdjacentIsolation(17), -45.0f - -2.0f);
    EXPECT_EQ(iso.adjacentIsolation(18), noneMarker);
    EXPECT_EQ(iso.nonAdjacentIsolation(18), noneMarker);
}

TEST(ChannelIsolation, singleWindowHasNoIsolation)
{
    Passband_Grid grids;
    const std::vector<double> w = {1545, 1551, 1557};
    const std::vector<double> l = {-20, -2, -20};
    const ChannelIsolation iso(segmentOf(w, l), *grids.get(GridType::Cwdm), 5.0f);
    ASSERT_EQ(iso.entries().size(), 1u);
    EXPECT_EQ(iso.adjacentIsolation(15), noneMarker);
    EXPECT_EQ(iso.nonAdjacentIsolation(15), noneMarker);
}

}  // namespace
