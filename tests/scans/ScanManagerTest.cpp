#include <gtest/gtest.h>

#include "ScanFakes.h"
#include "Scanmanager.h"

namespace {

class ScanManagerTest : public ::testing::Test {
protected:
    FakeForm form;
    RecordingChart chart;
    PlainSources sources;
    ScanManager manager{&form, &chart, &sources};

    ScanTrace& addTrace(const std::string& name)
    {
        ScanTrace& trace = manager.NewTrace(&sources);
        trace.setName(name);
        trace.AddCurve(name, false);
        return trace;
    }
};

TEST_F(ScanManagerTest, CallersAlwaysGetATrace)
{
    EXPECT_EQ(manager.CurrentIndex(), -1);
    ScanTrace& empty = manager.Current();
    EXPECT_EQ(empty.CurveCount(), 0);
    addTrace("a");
    for (const int index : {-1, 1, 7, -5}) EXPECT_EQ(&manager.Get(index), &empty) << index;
    EXPECT_NE(&manager.Get(0), &empty);
}

TEST_F(ScanManagerTest, NewTraceIsAppendedAndSelected)
{
    ScanTrace& a = addTrace("a");
    EXPECT_EQ(manager.CurrentIndex(), 0);
    EXPECT_TRUE(a.selected());
    ScanTrace& b = addTrace("b");
    EXPECT_EQ(manager.Count(), 2);
    EXPECT_EQ(manager.CurrentIndex(), 1);
    EXPECT_EQ(&manager.Current(), &b);
    EXPECT_FALSE(a.selected());
    EXPECT_TRUE(b.selected());
    EXPECT_EQ(a.CurveAt(0)->colour(), curveColourBlack);
}

TEST_F(ScanManagerTest, SelectIgnoresTheCurrentIndexAndIndexesOutsideTheList)
{
    ScanTrace& a = addTrace("a");
    addTrace("b");
    chart.redrawn.clear();
    EXPECT_EQ(&manager.Select(1), &manager.Get(1));  // already selected: nothing redrawn
    EXPECT_TRUE(chart.redrawn.empty());
    EXPECT_EQ(&manager.Select(2), &manager.Get(1));
    EXPECT_EQ(&manager.Select(-2), &manager.Get(1));
    EXPECT_EQ(&manager.Select(0), &a);
    EXPECT_EQ(chart.redrawn, (std::vector<std::string>{"b", "a"}));
    manager.Select(-1);
    EXPECT_EQ(manager.CurrentIndex(), -1);
    EXPECT_FALSE(a.selected());
}

TEST_F(ScanManagerTest, DeleteCurrentSelectsTheFirstRemainingTrace)
{
    addTrace("a");
    addTrace("b");
    addTrace("c");
    manager.Select(1);
    manager.DeleteCurrent();
    EXPECT_EQ(chart.removed, (std::vector<std::string>{"b"}));
    EXPECT_EQ(manager.Count(), 2);
    EXPECT_EQ(manager.CurrentIndex(), 0);
    EXPECT_EQ(manager.Current().name(), "a");
    EXPECT_TRUE(manager.Current().selected());
    manager.DeleteCurrent();
    manager.DeleteCurrent();
    EXPECT_EQ(manager.Count(), 0);
    EXPECT_EQ(manager.CurrentIndex(), -1);
    manager.DeleteCurrent();  // nothing selected: nothing happens
    EXPECT_EQ(manager.Count(), 0);
}

TEST_F(ScanManagerTest, RedrawAllRedrawsEveryCurveOfEveryTrace)
{
    addTrace("a").AddCurve("x", false);
    addTrace("b");
    chart.redrawn.clear();
    manager.RedrawAll();
    EXPECT_EQ(chart.redrawn, (std::vector<std::string>{"a", "x", "b"}));
}

}  // namespace
