#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Log.h"
#include "ScanFakes.h"
#include "ScanTrace.h"

namespace {

using Doubles = std::vector<double>;

Doubles pointsX(const ScanCurve& curve)
{
    const ScanData& d = curve.data();
    return Doubles(d.x().begin(), d.x().begin() + d.count());
}

Doubles pointsY(const ScanCurve& curve)
{
    const ScanData& d = curve.data();
    return Doubles(d.y().begin(), d.y().begin() + d.count());
}

// Five samples from 1500 to 1520 nm; output -1 dBm, detector 1 -5 dBm,
// Ext 2 (volts or dBm).
void fillResult(ScanRes& result)
{
    result.wavelength = {1500, 1505, 1510, 1515, 1520};
    result.values[ScanChannel::Output] = {-1, -1, -1, -1, -1};
    result.values[ScanChannel::Detector1] = {-5, -6, -7, -8, -9};
    result.values[ScanChannel::Ext] = {2, 2, 2, 2, 2};
    result.present[ScanChannel::Output] = true;
    result.present[ScanChannel::Detector1] = true;
    result.present[ScanChannel::Ext] = true;
}

class ScanTraceTest : public ::testing::Test {
protected:
    FakeForm form;
    RecordingChart chart;
    PlainSources sources;
};

TEST_F(ScanTraceTest, BuildTraceGivesInsertionLossAndTheExtReferenceRule)
{
    ScanTrace trace(&form, &chart, &sources);
    fillResult(trace.result());
    trace.AddCurve("1", false);
    trace.AddCurve("Ext", false);
    trace.AddCurve("Orl", false);
    for (const bool extReferenced : {false, true}) {
        trace.BuildTrace(true, extReferenced, false);
        EXPECT_EQ(pointsX(*trace.FindCurve("1")), (Doubles{1500, 1505, 1510, 1515, 1520}));
        EXPECT_EQ(pointsY(*trace.FindCurve("1")), (Doubles{-4, -5, -6, -7, -8}));
        const Doubles ext = extReferenced ? Doubles{3, 3, 3, 3, 3} : Doubles{2, 2, 2, 2, 2};
        EXPECT_EQ(pointsY(*trace.FindCurve("Ext")), ext);
        // The Orl curve is the output minus itself.
        EXPECT_EQ(pointsY(*trace.FindCurve("Orl")), (Doubles{0, 0, 0, 0, 0}));
    }
}

TEST_F(ScanTraceTest, BuildTraceLeavesOutSamplesNoSourceCovered)
{
    // Scan range 1500 to 1520 nm; a gap between source 0 (up to 1507 nm) and
    // source 1 (from 1512 nm). Samples on a boundary are left out too.
    sources.start = 1500;
    sources.stop = 1520;
    sources.sources[0] = {true, 1400, 1507};
    sources.sources[1] = {true, 1512, 1600};
    for (const bool frequency : {false, true}) {
        form.frequency = frequency;
        ScanTrace trace(&form, &chart, &sources);
        fillResult(trace.result());
        trace.AddCurve("1", false);
        trace.UpdateCoverage();
        trace.BuildTrace(true, false, false);
        EXPECT_EQ(pointsX(*trace.CurveAt(0)), (Doubles{1505, 1515})) << "frequency display " << frequency;
        EXPECT_EQ(pointsY(*trace.CurveAt(0)), (Doubles{-5, -7}));
    }
}

TEST_F(ScanTraceTest, UpdateCoverageInBothDisplayUnits)
{
    sources.start = 1500;
    sources.stop = 1600;
    sources.sources[0] = {true, 1400, 1520};
    sources.sources[1] = {true, 1530, 1550};
    sources.sources[2] = {false, 1560, 1570};  // disabled: its gaps do not count
    sources.sources[3] = {true, 1580, 1700};
    ScanTrace trace(&form, &chart, &sources);
    const int changesBefore = chart.coverageChanges;
    trace.UpdateCoverage();
    EXPECT_EQ(chart.coverageChanges, changesBefore + 1);
    auto edges = [&] {
        std::vector<std::pair<double, double>> result;
        for (const CoverageShape& s : trace.coverage().shapes()) result.emplace_back(s.x0, s.x1);
        return result;
    };
    EXPECT_EQ(edges(), (std::vector<std::pair<double, double>>{{1520, 1530}, {0, 1500}, {1600, 2000}}));

    form.frequency = true;
    trace.UpdateCoverage();
    const double c = 299792.458;
    EXPECT_EQ(edges(), (std::vector<std::pair<double, double>>{
                           {c / 1530, c / 1520}, {0, c / 1600}, {c / 1500, 2000}}));

    // Overlapping neighbours leave no gap.
    sources.sources[1].lambdaMin = 1510;
    form.frequency = false;
    trace.UpdateCoverage();
    EXPECT_EQ(trace.coverage().shapes().size(), 2u);
}

TEST_F(ScanTraceTest, BuildTraceReservesForLongerLaterScansAndKeepsEnvelopes)
{
    ScanTrace trace(&form, &chart, &sources);
    fillResult(trace.result());
    ScanCurve* curve = trace.AddCurve("1", true);
    ScanCurve* other = trace.AddCurve("2", true);
    trace.result().values[ScanChannel::Detector2] = trace.result().values[ScanChannel::Detector1];
    trace.result().present[ScanChannel::Detector2] = true;
    trace.BuildTrace(true, false, true);
    EXPECT_EQ(curve->data().capacity(), 205);
    EXPECT_EQ(curve->data().nbScan(), 1);
    // The curves share their wavelengths.
    const double* wavelengths = curve->data().x().data();
    EXPECT_EQ(other->data().x().data(), wavelengths);

    // A second scan, 2 dB better at every point and with one sample more.
    trace.result().wavelength.push_back(1525);
    trace.result().values[ScanChannel::Output].push_back(-1);
    trace.result().values[ScanChannel::Detector1] = {-3, -4, -5, -6, -7, -8};
    trace.result().values[ScanChannel::Detector2] = trace.result().values[ScanChannel::Detector1];
    trace.BuildTrace(false, false, true);
    EXPECT_EQ(curve->data().capacity(), 205);
    // Written where they were: nothing the chart may be drawing from is freed.
    EXPECT_EQ(curve->data().x().data(), wavelengths);
    EXPECT_EQ(other->data().x().data(), wavelengths);
    EXPECT_EQ(other->data().X(5), 1525);
    EXPECT_EQ(curve->data().count(), 6);
    EXPECT_EQ(curve->data().nbScan(), 2);
    EXPECT_EQ(curve->data().YMin(0), -4);
    EXPECT_EQ(curve->data().YMax(0), -2);

    // Neither reset nor accumulate: the envelopes stay as they were.
    trace.result().values[ScanChannel::Detector1] = {10, 10, 10, 10, 10, 10};
    trace.BuildTrace(false, false, false);
    EXPECT_EQ(curve->data().nbScan(), 2);
    EXPECT_EQ(curve->data().YMax(0), -2);
    EXPECT_EQ(curve->data().Y(0), 11);
}

TEST_F(ScanTraceTest, BuildTraceOfAnUnmeasuredChannelGivesNoPoints)
{
    ScanTrace trace(&form, &chart, &sources);
    fillResult(trace.result());
    trace.AddCurve("3", false);  // detector 3 was never measured
    trace.result().values[ScanChannel::Ext].resize(2);
    trace.AddCurve("Ext", false);
    trace.BuildTrace(true, true, false);
    EXPECT_EQ(trace.FindCurve("3")->data().count(), 0);
    EXPECT_EQ(trace.FindCurve("Ext")->data().count(), 0);
}

TEST_F(ScanTraceTest, BuildTraceWritesItsTimeToTheLog)
{
    std::vector<std::string> lines;
    Log::setOutput([&](int, std::string_view line) { lines.emplace_back(line); });
    Log::openLog(5);
    lines.clear();
    ScanTrace trace(&form, &chart, &sources);
    fillResult(trace.result());
    trace.BuildTrace(true, false, false);
    Log::closeLog();
    Log::resetOutputAndTicks();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("ScanTrace::BuildTrace Time = "), std::string::npos);
    EXPECT_EQ(lines[0].back(), '\n');
}

TEST_F(ScanTraceTest, CurvesTakeThePaletteColourOfTheirPosition)
{
    ScanTrace trace(&form, &chart, &sources);
    const char* names[] = {"1", "2", "3", "4", "Ext", "Orl"};
    const std::uint32_t expected[] = {0x0000FF, 0xFF0000, 0x008000, 0x0F7FFF, 0x00FF00, 0x800080};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(trace.AddCurve(names[i], false)->colour(), expected[i]) << names[i];

    trace.SetSelected(false);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(trace.CurveAt(i)->colour(), curveColourBlack);
    EXPECT_FALSE(trace.coverage().visible());
    trace.SetSelected(true);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(trace.CurveAt(i)->colour(), expected[i]);
    EXPECT_TRUE(trace.coverage().visible());
    EXPECT_EQ(chart.redrawn.size(), 12u);
}

TEST_F(ScanTraceTest, AddCurveReturnsTheExistingCurveWithItsEnvelopesAsAsked)
{
    ScanTrace trace(&form, &chart, &sources);
    ScanCurve* one = trace.AddCurve("1", false);
    EXPECT_FALSE(one->hasEnvelopes());
    EXPECT_EQ(trace.AddCurve("1", true), one);
    EXPECT_TRUE(one->hasEnvelopes());
    EXPECT_EQ(trace.AddCurve("1", false), one);
    EXPECT_FALSE(one->hasEnvelopes());
    EXPECT_EQ(trace.CurveCount(), 1);

    trace.AddCurve("2", false);
    trace.RemoveCurve("1");
    EXPECT_EQ(chart.removed, (std::vector<std::string>{"1"}));
    EXPECT_EQ(trace.CurveCount(), 1);
    EXPECT_EQ(trace.CurveAt(0)->name(), "2");
    EXPECT_EQ(trace.CurveAt(1), nullptr);
    EXPECT_EQ(trace.CurveAt(-1), nullptr);
    EXPECT_EQ(trace.FindCurve("1"), nullptr);
    trace.RemoveCurve("9");  // unknown: nothing happens
    EXPECT_EQ(trace.CurveCount(), 1);
}

TEST_F(ScanTraceTest, SettersChangeAndRedrawOnlyKnownCurves)
{
    ScanTrace trace(&form, &chart, &sources);
    trace.AddCurve("1", true);
    trace.SetCurveVisible("1", false);
    trace.SetShowMinMax(0, false);
    trace.SetXShift(0, 0.5);
    trace.SetYShift(0, -2.0);
    trace.SetXShift(3, 1.0);
    trace.SetCurveVisible("Ext", false);
    const ScanCurve& curve = *trace.CurveAt(0);
    EXPECT_FALSE(curve.visible());
    EXPECT_FALSE(curve.showMinMax());
    EXPECT_EQ(curve.xShift(), 0.5);
    EXPECT_EQ(curve.yShift(), -2.0);
    EXPECT_EQ(chart.redrawn.size(), 4u);
}

TEST_F(ScanTraceTest, NearestCurvePicksByPixelDistance)
{
    // 10 pixels per nm, 2 pixels per dB, y pointing down.
    chart.mapping = {-15000.0, 10.0, 100.0, -2.0};
    ScanTrace trace(&form, &chart, &sources);
    fillResult(trace.result());
    trace.result().values[ScanChannel::Detector2] = {-1, -1, -1, -1, -1};  // flat 0 dB
    trace.result().present[ScanChannel::Detector2] = true;
    trace.AddCurve("1", false);  // -4 .. -8 dB
    trace.AddCurve("2", false);  // 0 dB
    trace.BuildTrace(true, false, false);

    // Pixel of (1510 nm, -6 dB) is (100, 112): curve "1" passes through it.
    EXPECT_EQ(trace.NearestCurve(100, 112), 0);
    // (1510 nm, 0 dB) is (100, 100): curve "2".
    EXPECT_EQ(trace.NearestCurve(100, 100), 1);
    // At 1500 nm curve 1 is drawn at 108 px (-4 dB) and curve 2 at 100 px
    // (0 dB): 104 px is as near to both, and the lower index wins.
    EXPECT_EQ(trace.NearestCurve(0, 104), 0);
    // A shift moves the drawn curve: curve 2 drawn 6 dB lower passes through (100, 112).
    trace.SetYShift(1, -6.0);
    trace.SetYShift(0, 10.0);
    EXPECT_EQ(trace.NearestCurve(100, 112), 1);
    // Hidden curves are not picked; with none visible there is no curve.
    trace.SetCurveVisible("2", false);
    EXPECT_EQ(trace.NearestCurve(100, 112), 0);
    trace.SetCurveVisible("1", false);
    EXPECT_EQ(trace.NearestCurve(100, 112), -1);
}

TEST_F(ScanTraceTest, KeepsACopyOfTheConfigurationExceptInTriggerMode)
{
    sources.start = 1510;
    ScanTrace trace(&form, &chart, &sources);
    ASSERT_NE(trace.configuration(), nullptr);
    sources.start = 1530;
    EXPECT_EQ(trace.configuration()->scanStart(), 1510);
    trace.CopyConfiguration();
    EXPECT_EQ(trace.configuration()->scanStart(), 1530);

    form.trigger = true;
    ScanTrace triggered(&form, &chart, &sources);
    EXPECT_EQ(triggered.configuration(), nullptr);
}

TEST(ScanTraceHeadless, WorksWithoutWindowOrConfiguration)
{
    ScanTrace trace(nullptr, nullptr, nullptr);
    fillResult(trace.result());
    trace.AddCurve("1", false);
    trace.UpdateCoverage();
    trace.BuildTrace(true, false, false);
    trace.SetSelected(true);
    EXPECT_EQ(trace.CurveAt(0)->data().count(), 5);
    EXPECT_TRUE(trace.coverage().shapes().empty());
    EXPECT_EQ(trace.NearestCurve(1500, -4), 0);
}

TEST(ScanArea, HatchIsTheInverseOfTheBackground)
{
    EXPECT_EQ(ScanArea::hatchColour(0xFFFFFF), 0x000000u);
    EXPECT_EQ(ScanArea::hatchColour(0x102030), 0xEFDFCFu);
}

}  // namespace
