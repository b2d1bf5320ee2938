#include <gtest/gtest.h>

#include "ConfLaserView.h"
#include "ScanFakes.h"
#include "ScanTrace.h"

namespace {

// The application's source configuration: two chained sources with a gap.
ConfLaser twoSources()
{
    ConfLaser conf;
    conf.sources[0].enable = true;
    conf.sources[0].SetLambdaMin(1400.0);
    conf.sources[0].SetLambdaMax(1520.0);
    conf.sources[1].enable = true;
    conf.sources[1].SetLambdaMin(1530.0);
    conf.sources[1].SetLambdaMax(1600.0);
    conf.SetScanStart(1500.0);
    conf.SetScanStop(1590.0);
    return conf;
}

TEST(ConfLaserView, ATraceTakesItsCopyOfTheSourceConfiguration)
{
    ConfLaser live = twoSources();
    ConfLaserView liveView(live);
    FakeForm form;
    ScanTrace trace(&form, nullptr, &liveView);

    const ConfLaser* copy = confLaserOf(trace.configuration());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy, &live);
    EXPECT_TRUE(copy->sources[1].enable);
    EXPECT_EQ(copy->sources[1].lambdaMin, 1530.0);
    EXPECT_EQ(copy->lambdaMin, 1500.0);
    EXPECT_EQ(copy->lambdaMax, 1590.0);

    // The copy stays as it was taken; the coverage follows the live configuration.
    live.SetScanStop(1580.0);
    EXPECT_EQ(copy->lambdaMax, 1590.0);
    trace.UpdateCoverage();
    std::vector<std::pair<double, double>> shapes;
    for (const CoverageShape& s : trace.coverage().shapes()) shapes.emplace_back(s.x0, s.x1);
    EXPECT_EQ(shapes, (std::vector<std::pair<double, double>>{{1520, 1530}, {0, 1500}, {1580, 2000}}));

    EXPECT_EQ(confLaserOf(nullptr), nullptr);
    PlainSources plain;
    EXPECT_EQ(confLaserOf(&plain), nullptr);
}

}  // namespace
