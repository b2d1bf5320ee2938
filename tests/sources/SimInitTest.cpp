#include <gtest/gtest.h>

#include <tinyxml.h>

#include <algorithm>
#include <string>
#include <vector>

#include "C_agilent.h"
#include "SimFixture.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"

namespace {

using Strings = std::vector<std::string>;

class SimInitTest : public SimFixture {
protected:
    // Records of the given types at addresses 1, 2 ..., enabled, over the whole range.
    static void setUp(ConfLaser& conf, const std::vector<int>& types, double scanStart = 1520.0)
    {
        for (std::size_t i = 0; i < types.size(); ++i) {
            SourceConfig& source = conf.sources[i];
            source.enable = true;
            source.SetType(types[i]);
            source.SetAddress(static_cast<int>(i) + 1);
        }
        conf.SetScanStart(scanStart);
        conf.SetScanStop(1600.0);
    }
};

TEST_F(SimInitTest, SourcesAreInitialisedInParallel)
{
    SimBus::setTimeScale(1.0);
    // Each laser needs 200 ms to move 20 nm to the scan start.
    std::vector<VemarSimGpibInstrument> bus;
    for (int address = 1; address <= 4; ++address)
        bus.push_back(SimBus::laser(address, 0, 1240.0, 1680.0, 0, 1500.0, 100.0));
    SimBus::declare(bus);
    ConfLaser conf;
    setUp(conf, {0, 0, 0, 0});
    conf.power = 2.0;

    EXPECT_EQ(conf.Init(), nullptr);

    std::vector<VemarSimGpibSweep> sweeps;
    for (int address = 1; address <= 4; ++address) {
        const auto own = SimBus::sweeps(address);
        ASSERT_EQ(own.size(), 1u) << address;
        EXPECT_DOUBLE_EQ(own[0].startNm, 1500.0);
        EXPECT_DOUBLE_EQ(own[0].stopNm, 1520.0);
        EXPECT_DOUBLE_EQ(own[0].durationS, 0.2);
        EXPECT_EQ(own[0].outputOn, 1);
        EXPECT_DOUBLE_EQ(own[0].powerMw, 2.0);
        EXPECT_EQ(SimBus::commands(address), (Strings{"MW", "P=2.000", "Enable", "L=1520.000"}));
        sweeps.push_back(own[0]);
    }
    // Every move began before any had ended: they ran at the same time.
    double lastBegan = 0.0;
    double firstEnd = 1e300;
    for (const auto& sweep : sweeps) {
        lastBegan = std::max(lastBegan, sweep.beganS);
        firstEnd = std::min(firstEnd, sweep.endsS);
    }
    EXPECT_LT(lastBegan, firstEnd);
}

TEST_F(SimInitTest, FailuresBecomeTheMessageOfTheLowestSource)
{
    struct Case {
        const char* name;
        std::vector<VemarSimGpibInstrument> bus;
        const char* message;
    };
    auto plus = [](int address, unsigned flags = 0) { return SimBus::laser(address, 0, 1240.0, 1680.0, flags); };
    const std::vector<Case> cases = {
        {"all ready", {plus(1), plus(2), plus(3)}, nullptr},
        {"absent", {plus(2), plus(3), plus(4)},
         "Can't connect to TLS1 (GPIB Address=1). Please check the GPIB connection"},
        {"power refused", {plus(1), plus(2, VEMARSIM_GPIB_REFUSE_POWER), plus(3)}, "Invalid power (2.5 mW) on TLS2."},
        {"wavelength refused", {plus(1), plus(2), plus(3, VEMARSIM_GPIB_REFUSE_WAVELENGTH)},
         "Invalid Wavelength (1520.000 nm) on TLS3."},
        {"two failures", {plus(2, VEMARSIM_GPIB_REFUSE_POWER), plus(3, VEMARSIM_GPIB_REFUSE_WAVELENGTH)},
         "Can't connect to TLS1 (GPIB Address=1). Please check the GPIB connection"},
    };
    for (const Case& c : cases) {
        SimBus::declare(c.bus);
        ConfLaser conf;
        setUp(conf, {0, 0, 0});
        conf.power = 2.5;
        const char* message = conf.Init();
        if (c.message == nullptr)
            EXPECT_EQ(message, nullptr) << c.name << ": " << message;
        else
            EXPECT_STREQ(message, c.message) << c.name;
    }
}

TEST_F(SimInitTest, AScpiSourceThatStopsAnsweringIsReported)
{
    SimBus::declare({SimBus::laser(1, 5, 1240.0, 1680.0, VEMARSIM_GPIB_SILENT)});
    ConfLaser conf;
    setUp(conf, {5});
    EXPECT_STREQ(conf.Init(), "Invalid power (1.0 mW) on TLS1.");
}

TEST_F(SimInitTest, EverySourceOutsideTheRunIsStillInitialised)
{
    SimBus::declare({SimBus::laser(1, 0, 1240.0, 1680.0), SimBus::laser(2, 0, 1240.0, 1680.0),
                     SimBus::laser(3, 0, 1240.0, 1680.0)});
    ConfLaser conf;
    setUp(conf, {0, 0, 0});
    conf.sources[1].enable = false;
    EXPECT_EQ(conf.Init(), nullptr);
    EXPECT_EQ(conf.firstActive, 0);
    EXPECT_EQ(conf.endActive, 1);
    EXPECT_TRUE(SimBus::commands(2).empty());
    EXPECT_EQ(SimBus::state(3).outputOn, 1);
    EXPECT_DOUBLE_EQ(SimBus::state(3).wavelengthNm, 1520.0);
}

TEST_F(SimInitTest, SourceOperationsGiveTheirResultCodes)
{
    SimBus::declare({SimBus::laser(1, 0, 1240.0, 1680.0, VEMARSIM_GPIB_REFUSE_SPEED)});
    ConfLaser conf;
    setUp(conf, {0});
    SourceConfig& source = conf.sources[0];
    EXPECT_EQ(source.ApplySpeed(20), SourceConfig::SpeedRefused);
    EXPECT_EQ(source.speed, 99);
    EXPECT_EQ(source.ApplySpeed(99), SourceConfig::Ok);  // unchanged: nothing sent
    EXPECT_EQ(source.ApplyCurrent(50.0f), SourceConfig::Ok);
    EXPECT_EQ(SimBus::commands(1), (Strings{"MOTOR_SPEED=20", "I=50.000", "Enable"}));
    EXPECT_EQ(source.SwitchOutput(false), SourceConfig::Ok);
    EXPECT_EQ(SimBus::state(1).outputOn, 0);
    EXPECT_EQ(source.MoveToStop(), SourceConfig::Ok);
    EXPECT_DOUBLE_EQ(SimBus::state(1).wavelengthNm, 1600.0);
    EXPECT_EQ(source.StartMoveToStart(), SourceConfig::Ok);

    SimBus::declare({SimBus::laser(1, 8, 1240.0, 1680.0)});
    ConfLaser generic;
    setUp(generic, {8});
    EXPECT_EQ(generic.sources[0].ApplyCurrent(0.0f), SourceConfig::Ok);
    EXPECT_EQ(SimBus::commands(1), (Strings{"Disable", "*OPC?"}));
    EXPECT_EQ(generic.sources[0].ApplySpeed(20), SourceConfig::Ok);
    EXPECT_EQ(generic.sources[0].speed, 20);
}

// What the program's entry does once the configuration is read: the
// simulated bus is built with a laser of each record's model and range at
// its address.
void buildBench(const ConfLaser& conf)
{
    std::vector<SimulatorPlugin::BenchLaser> lasers;
    for (const SourceConfig& s : conf.sources) lasers.push_back({s.enable, s.address, s.type, s.lambdaMin, s.lambdaMax});
    SimulatorPlugin::placeInstruments(lasers, 1);
}

TEST_F(SimInitTest, TheBusIsBuiltOnceAsTheRecordsSay)
{
    SimBus::follow();
    ConfLaser conf;
    // No configuration file: TLS_0 at address 0 with the generic type.
    conf.Load(nullptr);
    buildBench(conf);
    for (SourceConfig& source : conf.sources) source.SetType(source.type);
    SimBus::clearRecords();
    EXPECT_EQ(conf.Init(), nullptr);
    EXPECT_EQ(SimBus::commands(0),
              (Strings{"P=1.000", "*OPC?", "Enable", "*OPC?", "L=1240.000", "*OPC?"}));
    EXPECT_EQ(SimBus::state(0).type, 8);
    EXPECT_EQ(SimBus::state(0).outputOn, 1);

    // Like a real bus, the simulated one does not follow the records: a
    // laser looked for at another address is not there.
    conf.sources[0].SetAddress(7);
    conf.sources[0].SetType(0);
    conf.sources[0].SetLambdaMin(1500.0);
    EXPECT_FALSE(SimBus::present(7));
    EXPECT_STREQ(conf.Init(), "Can't connect to TLS1 (GPIB Address=7). Please check the GPIB connection");

    // Built again as the records now say: the laser of the new model and
    // range stands at the new address.
    buildBench(conf);
    EXPECT_EQ(SimBus::state(7).type, 0);
    EXPECT_DOUBLE_EQ(SimBus::state(7).lambdaMinNm, 1500.0);
    EXPECT_EQ(conf.Init(), nullptr);
    EXPECT_DOUBLE_EQ(SimBus::state(7).wavelengthNm, 1500.0);

    // A reloaded configuration moves the driver; the bench is built for it.
    TiXmlDocument doc;
    doc.Parse("<Sources><Source Name=\"TLS_0\" Enable=\"True\" Address=\"9\" Type=\"Agilent\"/></Sources>");
    conf.Load(doc.RootElement());
    ASSERT_NE(dynamic_cast<C_Agilent*>(conf.sources[0].laser.get()), nullptr);
    EXPECT_EQ(conf.sources[0].laser->PrimaryAddress(), 9);
    buildBench(conf);
    EXPECT_EQ(SimBus::state(9).type, 5);
    EXPECT_FALSE(SimBus::present(7));
    EXPECT_EQ(conf.Init(), nullptr);
    EXPECT_EQ(SimBus::state(9).outputOn, 1);
}

}  // namespace
