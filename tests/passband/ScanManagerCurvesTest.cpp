// The engine reads the selected trace of the real scan store.

#include <gtest/gtest.h>

#include "Passband.h"
#include "Scanmanager.h"

namespace {

void fill(ScanCurve& curve, const std::vector<std::pair<double, double>>& points)
{
    ScanData& data = curve.data();
    data.SetCount(static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
        data.SetPoint(static_cast<int>(i), points[i].first, points[i].second);
}

TEST(ScanManagerCurves, analysesTheCurvesOfTheSelectedTrace)
{
    ScanManager scans(nullptr, nullptr, nullptr);
    Passband passband(scans);
    passband.grid.gridType.setValue(GridType::Cwdm);

    ScanTrace& first = scans.NewTrace(nullptr);
    fill(*first.AddCurve("1", false),
         {{1530, -50}, {1543, -50}, {1549, -1.5}, {1551, -1.0}, {1553, -1.5}, {1559, -50}, {1570, -50},
          {1571, -50}});
    ScanTrace& second = scans.NewTrace(nullptr);
    fill(*second.AddCurve("2", false),
         {{1550, -50}, {1563, -50}, {1569, -2.5}, {1571, -2.0}, {1573, -2.5}, {1579, -50}, {1590, -50},
          {1591, -50}});
    // The store keeps room for more points than it holds: only count() are read.
    second.CurveAt(0)->data().Reserve(64);

    passband.analyse();  // the second trace is selected
    ASSERT_EQ(passband.results().traces().size(), 1u);
    ASSERT_NE(passband.results().trace("2"), nullptr);
    EXPECT_EQ(passband.results().trace("2")->currentOf(16)->values[Passband_Value::Central], 1571.0f);

    scans.Select(0);
    passband.update();
    ASSERT_NE(passband.results().trace("1"), nullptr);
    EXPECT_EQ(passband.results().trace("2"), nullptr);
    EXPECT_EQ(passband.results().trace("1")->currentOf(15)->values[Passband_Value::PeakLevel], -1.0f);

    scans.Select(-1);  // no trace selected: the store's empty trace
    passband.update();
    EXPECT_TRUE(passband.results().traces().empty());
}

}  // namespace
