#include <gtest/gtest.h>

#include "ConfLaserView.h"
#include "ScanFileFixture.h"
#include "Scanmanager.h"
#include "SourcesSection.h"
#include "Sourceconfig.h"

namespace {

// The application's source configuration written into a scan file by the
// real Sources section and read back into another one.
TEST(ScanFileSources, RoundTripThroughTheSourcesSection)
{
    ScanFileEnvironment env;
    env.settings.samplingStep = 5;
    ConfLaser live;
    live.sources[0].enable = true;
    live.sources[0].SetLambdaMin(1540.0);
    live.sources[0].SetLambdaMax(1549.5);
    live.sources[1].enable = true;
    live.sources[1].SetLambdaMin(1550.5);
    live.sources[1].SetLambdaMax(1560.0);
    live.sources[1].speed = 20;
    live.SetScanStart(1546.0);
    live.SetScanStop(1554.0);
    ConfLaserView liveView(live);
    SourcesSection section(live);

    ScanTrace saved(nullptr, nullptr, &liveView);
    buildSyntheticTrace(saved, 401, 3);
    const std::string path = env.file("sources.scan.xml");
    std::string error;
    ASSERT_TRUE(saveScanFile(path, saved, {env.about, env.settings, ConfigurationSections::of(&section, nullptr)},
                             &error))
        << error;

    ConfLaser other;
    ConfLaserView otherView(other);
    SourcesSection otherSection(other);
    ScanManager manager(nullptr, nullptr, &otherView);
    ASSERT_EQ(loadFromChartPage(path, manager, env.settings, ConfigurationSections::of(&otherSection, nullptr),
                                &otherView),
              0);
    const ScanTrace& loaded = manager.Current();

    for (const ConfLaser* conf : {static_cast<const ConfLaser*>(&other), confLaserOf(loaded.configuration())}) {
        ASSERT_NE(conf, nullptr);
        EXPECT_EQ(conf->lambdaMin, 1546.0);
        EXPECT_EQ(conf->lambdaMax, 1554.0);
        EXPECT_TRUE(conf->sources[1].enable);
        EXPECT_EQ(conf->sources[0].lambdaMax, 1549.5);
        EXPECT_EQ(conf->sources[1].lambdaMin, 1550.5);
        EXPECT_EQ(conf->sources[1].speed, 20);
    }
    ASSERT_EQ(loaded.CurveCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const ScanData& a = saved.CurveAt(i)->data();
        const ScanData& b = loaded.CurveAt(i)->data();
        ASSERT_EQ(b.count(), a.count());
        EXPECT_EQ(firstN(b.y(), a.count()), firstN(a.y(), a.count()));
        EXPECT_EQ(firstN(b.yMin(), a.count()), firstN(a.yMin(), a.count()));
    }
    // The gap between the two sources is left out of the curves again.
    EXPECT_EQ(loaded.coverage().shapes().size(), 3u);
    EXPECT_EQ(loaded.result().resampledWavelength, saved.result().resampledWavelength);
}

}  // namespace
