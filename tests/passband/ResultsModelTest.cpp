// The results table model: titles, row texts, alarm flags and what the
// table's listeners hear.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeTrace.h"
#include "FigureFormat.h"
#include "Passband.h"
#include "TestRecords.h"
#include "Passband_model.h"
#include "Tablelistener.h"

namespace {

// A typical channel: nothing in alarm with the initial limits.
const Passband_Value good =
    record({193.39944f, -0.55937f, 26.0f, 28.609375f, 50.734375f, 1.6f, 0.25f, 45.125f, 55.0f, -1.0f});

class RecordingListener : public TableListener {
public:
    void rowsChanged(int first, int last) override { calls.emplace_back(first, last); }
    void structureChanged() override {}
    std::vector<std::pair<int, int>> calls;
};

struct ModelFixture : ::testing::Test {
    void publish()
    {
        passband.results().setChanged();
        passband.results().notifyAll();
    }
    std::vector<std::string> texts(int row, int which) const
    {
        std::vector<std::string> out;
        const Line* line = model.values().line(row);
        for (int c = 0; c < Line::columnCount; ++c) out.push_back(line->cell(c).texts[which]);
        return out;
    }
    std::vector<bool> alarms(int row, int which) const
    {
        std::vector<bool> out;
        const Line* line = model.values().line(row);
        for (int c = 0; c < Line::columnCount; ++c) out.push_back(line->cell(c).alarms[which]);
        return out;
    }

    FakeTrace trace;
    Passband passband{trace};
    Passband_Model model{passband};
};

TEST(FigureFormat, fixedDecimalsRoundHalfAwayFromZero)
{
    const struct {
        double value;
        int decimals;
        const char* text;
    } table[] = {
        {193.39944458007812, 3, "193.399"}, {-0.5593743324279785, 1, "-0.6"}, {26.0, 1, "26.0"},
        {0.125, 2, "0.13"},                 {-0.125, 2, "-0.13"},             {0.0625, 3, "0.063"},
        {-0.04, 1, "0.0"},                  {0.0, 2, "0.00"},                 {1550.0059814453125, 3, "1550.006"},
        {0.6000000238418579, 2, "0.60"},    {1234567.0, 1, "1234567.0"},      {0.001, 2, "0.00"},
    };
    for (const auto& c : table) EXPECT_EQ(formatFixed(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(formatFigure(noneMarker, 3), "--");
    EXPECT_EQ(formatFigure(-noneMarker, 3).substr(0, 4), "-340");
}

TEST_F(ModelFixture, titlesFollowTheGridAndTheBandwidthLevels)
{
    ASSERT_EQ(model.columnCount(), 10);
    const std::vector<std::string> ghz = {"Channel (Trace)",
                                          "Central frequency (THz)",
                                          "Channel center accuracy (GHz)",
                                          "-1.0dB Bandwidth (GHz)",
                                          "-3.0dB Bandwidth (GHz)",
                                          "-20.0dB Bandwidth (GHz)",
                                          "Max insertion loss (dB)",
                                          "Ripple (dB)",
                                          "Adjacent channel isolation (dB)",
                                          "Non adjacent channel isolation (dB)"};
    for (int c = 0; c < 10; ++c) EXPECT_EQ(model.title(c).text(), ghz[static_cast<std::size_t>(c)]) << c;

    passband.grid.gridType.setValue(GridType::Cwdm);
    passband.bandwidth1.setValue(-0.25f);
    EXPECT_EQ(model.title(1).text(), "Central wavelength (nm)");
    EXPECT_EQ(model.title(2).text(), "Channel center accuracy (nm)");
    EXPECT_EQ(model.title(3).text(), "-0.3dB Bandwidth (nm)");
    EXPECT_EQ(model.title(10).text(), "");
}

TEST_F(ModelFixture, rowsTextsAndLabelsOfOneChannel)
{
    RecordingListener listener;
    model.addListener(listener);
    auto& results = passband.results();
    results.add("Detector 1", 26, good);
    Passband_Value low = good;
    low.values[Passband_Value::Ripple] = 0.125f;
    low.values[Passband_Value::Bandwidth3] = noneMarker;
    results.fold();
    results.beginAnalysis();
    results.add("Detector 1", 26, low);
    results.fold();
    publish();

    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(listener.calls, (std::vector<std::pair<int, int>>{{0, 1}}));
    EXPECT_EQ(texts(0, CellValues::Min), (std::vector<std::string>{"26 (min)", "193.399", "-0.6", "26.0", "28.6",
                                                                   "50.7", "1.60", "0.13", "45.13", "55.00"}));
    EXPECT_EQ(texts(0, CellValues::Current),
              (std::vector<std::string>{"26 (Detector 1)", "193.399", "-0.6", "26.0", "28.6", "--", "1.60", "0.13",
                                        "45.13", "55.00"}));
    EXPECT_EQ(texts(0, CellValues::Max)[0], "26 (max)");
    EXPECT_EQ(texts(0, CellValues::Max)[5], "--");  // none stays the maximum
    EXPECT_EQ(model.cell(0, 0).text(), "26 (Detector 1)");
    EXPECT_EQ(model.cell(10, 0).text(), "");
    EXPECT_EQ(model.cell(0, 1).text(), "");
    model.removeListener(listener);
}

TEST_F(ModelFixture, cwdmFiguresUseThreeDecimals)
{
    passband.grid.gridType.setValue(GridType::Cwdm);
    passband.results().add("1", 15, record({1551.0f, 0.0125f, 4.61865234375f, 5.0f, 9.0f, 1.0f, 0.5f, 30.f, 60.f}));
    passband.results().fold();
    publish();
    EXPECT_EQ(texts(0, CellValues::Current),
              (std::vector<std::string>{"15 (1)", "1551.000", "0.013", "4.619", "5.000", "9.000", "1.00", "0.50",
                                        "30.00", "60.00"}));
}

TEST_F(ModelFixture, duplicateFlagMarksTheLatestLabel)
{
    passband.results().add("Detector 1", 26, good);
    passband.results().add("Detector 1", 26, good);  // a second detection in channel 26
    passband.results().fold();
    publish();
    EXPECT_EQ(model.cell(0, 0).text(), "26 (Detector 1) *");
    EXPECT_EQ(texts(0, CellValues::Min)[0], "26 (min)");
}

TEST_F(ModelFixture, rowsPerChannelThenTraceName)
{
    auto& results = passband.results();
    results.add("Detector 2", 27, good);
    results.add("Detector 1", 27, good);
    results.add("Detector 2", 25, good);
    results.fold();
    publish();
    ASSERT_EQ(model.rowCount(), 3);
    const std::vector<std::string> labels = {model.cell(0, 0).text(), model.cell(0, 1).text(),
                                             model.cell(0, 2).text()};
    EXPECT_EQ(labels, (std::vector<std::string>{"25 (Detector 2)", "27 (Detector 1)", "27 (Detector 2)"}));
}

TEST_F(ModelFixture, channelMissingFromTheLatestScanKeepsItsRowWithoutAlarms)
{
    passband.results().add("Detector 1", 26, good);
    passband.results().fold();
    passband.results().beginAnalysis();  // the next scan no longer sees channel 26
    publish();
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(texts(0, CellValues::Current),
              (std::vector<std::string>{"26 (Detector 1)", "--", "--", "--", "--", "--", "--", "--", "--", "--"}));
    EXPECT_EQ(alarms(0, CellValues::Current), std::vector<bool>(10, false));
    EXPECT_EQ(texts(0, CellValues::Min)[1], "193.399");
}

TEST_F(ModelFixture, alarmFlagsFollowTheLimitsWithoutRebuildingTheRows)
{
    RecordingListener listener;
    model.addListener(listener);
    Passband_Value bad = good;
    bad.values[Passband_Value::Ripple] = 0.5f;                // equal to the limit
    bad.values[Passband_Value::Bandwidth1] = noneMarker;      // none is a failure
    bad.values[Passband_Value::Central] = noneMarker;         // but never in the first columns
    passband.results().add("1", 26, bad);
    passband.results().fold();
    publish();
    const Line* line = model.values().line(0);
    const std::vector<bool> expected = {false, false, false, true, false, false, false, true, false, false};
    EXPECT_EQ(alarms(0, CellValues::Current), expected);

    passband.alarms.ripple.setValue(0.6f);
    passband.alarms.adjacent.setValue(45.125f);  // equal: now in alarm
    EXPECT_EQ(model.values().line(0), line);
    EXPECT_EQ(listener.calls.size(), 1u);
    const std::vector<bool> after = {false, false, false, true, false, false, false, false, true, false};
    EXPECT_EQ(alarms(0, CellValues::Current), after);
    model.removeListener(listener);
}

TEST(Passband_Alarms, rulesIncludeEqualityAndNone)
{
    Passband_Alarms a(100.0f);
    const struct {
        std::size_t figure;
        float value;
        bool alarm;
    } table[] = {
        {0, noneMarker, false}, {0, 1.0f, false},      {9, noneMarker, false},
        {1, 19.9f, false},      {1, 20.0f, true},      {1, -25.0f, false},  {1, noneMarker, true},
        {2, 1.0f, true},        {2, 1.1f, false},      {2, 199.9f, false},  {2, 200.0f, true},
        {3, 0.5f, true},        {4, 250.0f, true},     {4, 100.0f, false},
        {5, 0.0f, true},        {5, -0.1f, true},      {5, 0.1f, false},    {5, 5.0f, true},
        {6, 0.5f, true},        {6, 0.49f, false},     {7, 40.0f, true},    {7, 40.1f, false},
        {8, 50.0f, true},       {8, 50.5f, false},     {8, noneMarker, true},
    };
    for (const auto& c : table) EXPECT_EQ(a.inAlarm(c.figure, c.value), c.alarm) << c.figure << " " << c.value;
    // The magnitude of the accuracy limit counts.
    a.ChannelCentration.setValue(-20.0f);
    EXPECT_TRUE(a.inAlarm(1, 20.0f));
    EXPECT_FALSE(a.inAlarm(1, -20.0f));
}

TEST(Passband_Alarms, initialValuesScaleWithTheSpacing)
{
    Passband_Alarms a(50.0f);
    EXPECT_EQ(a.ChannelCentration.value(), 10.0f);
    EXPECT_EQ(a.maxBandwidth3.value(), 100.0f);
    EXPECT_EQ(a.maxBandwidth3.defaultValue(), 0.0f);
    EXPECT_EQ(a.minBandwidth2.value(), 1.0f);
    EXPECT_EQ(a.noAdjacent.defaultValue(), 50.0f);
}

TEST(TableModel, listenersOnceEachAndRemovable)
{
    FakeTrace trace;
    Passband passband(trace);
    Passband_Model model(passband);
    RecordingListener a, b;
    EXPECT_TRUE(model.addListener(a));
    EXPECT_FALSE(model.addListener(a));
    EXPECT_TRUE(model.addListener(b));
    model.fireRowsChanged(2, 5);
    EXPECT_TRUE(model.removeListener(a));
    EXPECT_FALSE(model.removeListener(a));
    model.refresh();
    EXPECT_EQ(a.calls, (std::vector<std::pair<int, int>>{{2, 5}}));
    EXPECT_EQ(b.calls, (std::vector<std::pair<int, int>>{{2, 5}, {0, 0}}));
    model.removeListener(b);
}

}  // namespace
