#include <gtest/gtest.h>

#include <vector>

#include "ScanData.h"

namespace {

using Doubles = std::vector<double>;

void setPoints(ScanData& data, const Doubles& x, const Doubles& y)
{
    data.SetCount(static_cast<int>(x.size()));
    for (std::size_t i = 0; i < x.size(); ++i) data.SetPoint(static_cast<int>(i), x[i], y[i]);
}

Doubles firstOf(std::span<const double> values, int count)
{
    return Doubles(values.begin(), values.begin() + count);
}

TEST(ScanData, ReserveGrowsAndKeepsTheEnvelopes)
{
    ScanData data;
    setPoints(data, {1, 2}, {5, 6});
    data.StartEnvelopes(true);
    data.Reserve(1);  // smaller: nothing changes
    EXPECT_EQ(data.capacity(), 2);
    data.Reserve(10);
    EXPECT_EQ(data.capacity(), 10);
    EXPECT_EQ(data.count(), 2);
    EXPECT_EQ(firstOf(data.xRef(), 2), (Doubles{1, 2}));
    EXPECT_EQ(firstOf(data.yMin(), 2), (Doubles{5, 6}));
    EXPECT_EQ(firstOf(data.yMax(), 2), (Doubles{5, 6}));
    EXPECT_EQ(data.nbScan(), 1);
}

TEST(ScanData, ReadersAndWritersStayInsideTheArrays)
{
    ScanData data;
    data.Reserve(4);
    data.SetCount(2);
    data.SetPoint(1, 3.0, 4.0);
    data.SetPoint(3, 7.0, 8.0);   // within capacity, beyond count
    data.SetPoint(4, 9.0, 9.0);   // beyond capacity: ignored
    data.SetPoint(-1, 9.0, 9.0);  // ignored
    EXPECT_EQ(data.X(1), 3.0);
    EXPECT_EQ(data.Y(1), 4.0);
    EXPECT_EQ(data.X(3), 0.0);  // beyond count reads 0
    EXPECT_EQ(data.Y(2), 0.0);
    EXPECT_EQ(data.YMin(-1), 0.0);
    EXPECT_EQ(data.YMax(99), 0.0);
    data.SetCount(4);
    EXPECT_EQ(data.X(3), 7.0);
}

struct EnvelopeCase {
    const char* what;
    Doubles firstX, firstY;  // scan that starts the envelopes
    Doubles nextX, nextY;    // scan accumulated into them
    Doubles yMin, yMax;
};

TEST(ScanData, UpdateEnvelopesInterpolatesTheNewScanOnTheFirstGrid)
{
    const EnvelopeCase cases[] = {
        {"same grid", {1, 2, 3}, {0, 0, 0}, {1, 2, 3}, {1, -1, 2}, {0, -1, 0}, {1, 0, 2}},
        {"shifted grid, linear interpolation", {1, 2, 3}, {0, 0, 0}, {0.5, 1.5, 2.5, 3.5}, {2, 4, 6, 8},
         {0, 0, 0}, {3, 5, 7}},
        // Every new wavelength lies below the grid: the last two samples are
        // extended (slope 4 through (0.5, 1) and (0.75, 2)).
        {"new scan wholly below", {1, 2, 3}, {0, 0, 0}, {0.25, 0.5, 0.75}, {0, 1, 2}, {0, 0, 0}, {3, 7, 11}},
        // Two equal neighbouring wavelengths: the earlier value, no division.
        {"equal neighbours", {1, 2, 3}, {0, 0, 0}, {1, 2, 2}, {0, 5, 7}, {0, 0, 0}, {0, 5, 5}},
        {"single point", {1, 2}, {0, 0}, {1.5}, {-4}, {-4, 0}, {0, 0}},
    };
    for (const EnvelopeCase& c : cases) {
        ScanData data;
        setPoints(data, c.firstX, c.firstY);
        data.StartEnvelopes(true);
        setPoints(data, c.nextX, c.nextY);
        data.UpdateEnvelopes();
        const int n = static_cast<int>(c.yMin.size());
        EXPECT_EQ(firstOf(data.yMin(), n), c.yMin) << c.what;
        EXPECT_EQ(firstOf(data.yMax(), n), c.yMax) << c.what;
        EXPECT_EQ(firstOf(data.xRef(), static_cast<int>(c.firstX.size())), c.firstX) << c.what;
        EXPECT_EQ(data.nbScan(), 2) << c.what;
    }
}

TEST(ScanData, EnvelopePointsBeyondTheFirstScanAreStartedByALongerScan)
{
    ScanData data;
    data.Reserve(10);
    setPoints(data, {1, 2}, {0, 0});
    data.StartEnvelopes(true);
    setPoints(data, {1, 2, 3}, {1, 1, 4});
    data.UpdateEnvelopes();
    // xRef[2] was never set: it takes the sample the walk stands on.
    EXPECT_EQ(data.XRef(2), 2.0);
    EXPECT_EQ(data.YMin(2), 1.0);
    EXPECT_EQ(data.YMax(2), 1.0);
}

TEST(ScanData, StartEnvelopesWithoutFirstKeepsTheScanCount)
{
    ScanData data;
    setPoints(data, {1}, {1});
    data.StartEnvelopes(true);
    data.UpdateEnvelopes();
    data.UpdateEnvelopes();
    EXPECT_EQ(data.nbScan(), 3);
    data.StartEnvelopes(false);
    EXPECT_EQ(data.nbScan(), 3);
    data.StartEnvelopes(true);
    EXPECT_EQ(data.nbScan(), 1);
}

TEST(ScanData, UpdateEnvelopesOfAnEmptyScanOnlyCountsIt)
{
    ScanData data;
    data.UpdateEnvelopes();
    EXPECT_EQ(data.nbScan(), 1);
    EXPECT_EQ(data.count(), 0);
}

}  // namespace
