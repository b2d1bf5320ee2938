#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "C_agilent.h"
#include "C_varnelplus.h"
#include "GpibBinding.h"
#include "Sourceconfig.h"

namespace {

// Records without a bus (no GPIB library): only the bookkeeping.
class SourceConfigTest : public ::testing::Test {
protected:
    void SetUp() override { Gpib::setCandidateLibraries({}); }
};

TEST_F(SourceConfigTest, NewConfigurationHoldsTheInitialValues)
{
    ConfLaser conf;
    EXPECT_DOUBLE_EQ(conf.power, 1.0);
    EXPECT_DOUBLE_EQ(conf.lambdaMin, 1240.0);
    EXPECT_DOUBLE_EQ(conf.lambdaMax, 1680.0);
    EXPECT_EQ(conf.speed, 0);
    EXPECT_EQ(conf.count, 4);
    for (int i = 0; i < 4; ++i) {
        const SourceConfig& s = conf.sources[i];
        EXPECT_EQ(s.name, "TLS_" + std::to_string(i));
        EXPECT_EQ(s.laser, nullptr);
        EXPECT_FALSE(s.enable);
        EXPECT_EQ(s.address, 0);
        EXPECT_DOUBLE_EQ(s.lambdaMin, 1240.0);
        EXPECT_DOUBLE_EQ(s.lambdaMax, 1680.0);
        EXPECT_DOUBLE_EQ(s.power, 1.0);
        EXPECT_EQ(s.type, 8);
        EXPECT_EQ(s.speed, 99);
        EXPECT_DOUBLE_EQ(s.startShift, 0.0);
    }
    EXPECT_EQ(conf.firstActive, 4);
    EXPECT_EQ(conf.endActive, 4);
}

TEST_F(SourceConfigTest, ScanRangeAndActiveRun)
{
    struct Source {
        bool enable;
        double low;
        double high;
    };
    struct Case {
        double scanStart;
        double scanStop;
        std::vector<Source> sources;
        int firstActive;
        int endActive;
        std::vector<double> starts;  // per source, checked when given
        std::vector<double> stops;
    };
    const std::vector<Case> cases = {
        {1500, 1600, {{true, 1240, 1680}, {true, 1510, 1640}}, 0, 2, {1500, 1510}, {1600, 1600}},
        {1500, 1600, {{false, 1240, 1680}, {true, 1240, 1680}, {true, 1240, 1680}}, 1, 3, {}, {}},
        {1500, 1600, {{true, 1240, 1680}, {false, 1240, 1680}, {true, 1240, 1680}}, 0, 1, {}, {}},
        {1500, 1600, {{true, 1240, 1400}, {true, 1240, 1680}}, 1, 2, {1500, 1500}, {1400, 1600}},
        {1500, 1600, {{true, 1600, 1680}}, 4, 4, {1600}, {1600}},
        {1500, 1600, {}, 4, 4, {}, {}},
        {1240, 1680, {{true, 1240, 1680}, {true, 1240, 1680}, {true, 1240, 1680}, {true, 1240, 1680}}, 0, 4, {}, {}},
    };
    for (const Case& c : cases) {
        ConfLaser conf;
        for (std::size_t i = 0; i < c.sources.size(); ++i) {
            conf.sources[i].enable = c.sources[i].enable;
            conf.sources[i].SetLambdaMin(c.sources[i].low);
            conf.sources[i].SetLambdaMax(c.sources[i].high);
        }
        conf.SetScanStart(c.scanStart);
        conf.SetScanStop(c.scanStop);
        EXPECT_EQ(conf.firstActive, c.firstActive);
        EXPECT_EQ(conf.endActive, c.endActive);
        EXPECT_EQ(conf.UpdateActiveRange(), c.endActive);
        for (std::size_t i = 0; i < c.starts.size(); ++i) {
            EXPECT_DOUBLE_EQ(conf.sources[i].start, c.starts[i]) << i;
            EXPECT_DOUBLE_EQ(conf.sources[i].stop, c.stops[i]) << i;
        }
    }
}

TEST_F(SourceConfigTest, SetStartIsRaisedToTheLowWavelength)
{
    SourceConfig source;
    source.SetLambdaMin(1500.0);
    source.SetStart(1490.0);
    EXPECT_DOUBLE_EQ(source.start, 1500.0);
    source.SetStart(1520.0);
    EXPECT_DOUBLE_EQ(source.start, 1520.0);
}

TEST_F(SourceConfigTest, LowestAndHighestWavelengthOfTheEnabledSources)
{
    ConfLaser conf;
    EXPECT_EQ(conf.LowestLambdaMin(), DBL_MAX);
    EXPECT_EQ(conf.HighestLambdaMax(), DBL_MIN);
    conf.sources[1].enable = true;
    conf.sources[1].SetLambdaMin(1500.0);
    conf.sources[1].SetLambdaMax(1550.0);
    conf.sources[3].enable = true;
    conf.sources[3].SetLambdaMin(1520.0);
    conf.sources[3].SetLambdaMax(1600.0);
    conf.sources[0].SetLambdaMin(1200.0);  // disabled: not counted
    conf.SetScanStart(1610.0);             // in range or not does not matter
    EXPECT_DOUBLE_EQ(conf.LowestLambdaMin(), 1500.0);
    EXPECT_DOUBLE_EQ(conf.HighestLambdaMax(), 1600.0);
}

TEST_F(SourceConfigTest, SetTypeBuildsTheModelsDriverOnce)
{
    SourceConfig source;
    source.SetType(0);
    C_Laser* first = source.laser.get();
    ASSERT_NE(dynamic_cast<C_VarnelPlus*>(first), nullptr);
    source.SetType(0);
    EXPECT_EQ(source.laser.get(), first);
    source.SetType(5);
    EXPECT_NE(dynamic_cast<C_Agilent*>(source.laser.get()), nullptr);
    source.SetType(42);
    EXPECT_EQ(source.laser, nullptr);
    EXPECT_EQ(source.type, 42);
    EXPECT_EQ(source.ApplyPower(1.0f), SourceConfig::NotPresent);
    EXPECT_EQ(source.MoveToStart(), SourceConfig::Ok);  // not in range: nothing to do
    source.SetAddress(6);
    EXPECT_EQ(source.address, 6);
}

TEST_F(SourceConfigTest, AssignmentCopiesTheRecordAndTheTemplates)
{
    SourceConfig other;
    other.name = "TLS_2";
    other.SetType(8);
    other.enable = true;
    other.SetAddress(7);
    other.SetLambdaMin(1500.0);
    other.SetLambdaMax(1600.0);
    other.speed = 40;
    other.start = 1510.0;
    other.stop = 1590.0;
    other.startShift = 3.5;
    other.power = 2.0;
    other.rangeValid = true;
    other.laser->GetCommand(CMD_POWER)->SetText("PWR %.2f");

    SourceConfig copy;
    copy.name = "TLS_0";
    copy = other;
    EXPECT_EQ(copy.name, "TLS_0");
    EXPECT_EQ(copy.type, 8);
    ASSERT_NE(copy.laser, nullptr);
    EXPECT_NE(copy.laser.get(), other.laser.get());
    EXPECT_EQ(copy.laser->PrimaryAddress(), 7);
    EXPECT_TRUE(copy.enable);
    EXPECT_EQ(copy.address, 7);
    EXPECT_DOUBLE_EQ(copy.lambdaMin, 1500.0);
    EXPECT_DOUBLE_EQ(copy.lambdaMax, 1600.0);
    // The instrument is absent, yet the copy records the other's speed.
    EXPECT_EQ(copy.speed, 40);
    EXPECT_DOUBLE_EQ(copy.start, 1510.0);
    EXPECT_DOUBLE_EQ(copy.stop, 1590.0);
    EXPECT_DOUBLE_EQ(copy.startShift, 0.0);
    EXPECT_DOUBLE_EQ(copy.power, 1.0);
    EXPECT_FALSE(copy.rangeValid);
    EXPECT_STREQ(copy.laser->GetCommand(CMD_POWER)->GetText(), "PWR %.2f");
    EXPECT_STREQ(copy.laser->GetCommand(CMD_POWER)->GetDefaultText(), "PWR %.2f");

    const SourceConfig constructed(other);
    EXPECT_EQ(constructed.name, "TLS_2");
    EXPECT_EQ(constructed.address, 7);
}

TEST_F(SourceConfigTest, ConfigurationAssignmentTakesTheCommonValues)
{
    ConfLaser other;
    other.power = 3.0;
    other.speed = 25;
    other.sources[1].enable = true;
    other.sources[1].SetLambdaMin(1300.0);
    other.SetScanStart(1250.0);
    other.SetScanStop(1450.0);
    ConfLaser copy;
    copy = other;
    EXPECT_DOUBLE_EQ(copy.power, 3.0);
    EXPECT_EQ(copy.speed, 25);
    EXPECT_DOUBLE_EQ(copy.lambdaMin, 1250.0);
    EXPECT_DOUBLE_EQ(copy.lambdaMax, 1450.0);
    EXPECT_DOUBLE_EQ(copy.sources[1].start, 1300.0);
    EXPECT_EQ(copy.firstActive, 1);
    EXPECT_EQ(copy.endActive, 2);
    EXPECT_EQ(copy.sources[1].name, "TLS_1");
}

}  // namespace
