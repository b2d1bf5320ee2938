#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "C_GPIBDevice.h"
#include "C_Switch.h"
#include "C_varnelplus.h"
#include "SimFixture.h"
#include "SourceTypes.h"

namespace {

using Strings = std::vector<std::string>;

class SimDriversTest : public SimFixture {};

struct OperationCase {
    int type;
    const char* name;
    std::function<const char*(C_Laser&)> operation;
    Strings commands;
    const char* result;  // nullptr: success
    std::vector<int> pacing;
    double wavelength = 0.0;  // checked when not 0
    double power = 0.0;       // checked when not 0
    int output = -1;          // checked when not -1
};

const char* power(C_Laser& l, float p) { return l.SetPower(&p); }
const char* current(C_Laser& l, float c) { return l.SetCurrent(&c); }
const char* wavelength(C_Laser& l, double w) { return l.SetWavelength(&w); }
const char* noWait(C_Laser& l, double w) { return l.SetWavelengthNoWait(&w); }
const char* aux(C_Laser& l, double w) { return l.SetAuxWavelength(&w); }
const char* speed(C_Laser& l, int s) { return l.SetSpeed(&s); }

TEST_F(SimDriversTest, EveryModelSendsItsCommandsAndTheInstrumentUnderstandsThem)
{
    constexpr int plus = 0, purity = 1, reference = 2, mg = 3, santec = 4, agilent = 5, jdsu = 6, ecl = 7,
                  generic = 8, r720s = 9;
    const std::vector<OperationCase> cases = {
        {plus, "SetPower", [](C_Laser& l) { return power(l, 1.5f); }, {"MW", "P=1.500"}, nullptr, {}, 0, 1.5},
        {plus, "SetWavelength", [](C_Laser& l) { return wavelength(l, 1550.12345); }, {"L=1550.123"}, nullptr, {},
         1550.123},
        {plus, "SetWavelengthNoWait", [](C_Laser& l) { return noWait(l, 1550.0); }, {"L=1550.000"}, nullptr, {}},
        {plus, "SetCurrent", [](C_Laser& l) { return current(l, 12.5f); }, {"I=12.500"}, nullptr, {}},
        {plus, "SetCurrent 0", [](C_Laser& l) { return current(l, 0.0f); }, {"I=0.000"}, nullptr, {}},
        {plus, "SetAuxWavelength", [](C_Laser& l) { return aux(l, 1550.0); }, {"LS = 1550.000"}, nullptr, {}},
        {plus, "PowerOn", [](C_Laser& l) { return l.PowerOn(); }, {"Enable"}, nullptr, {}, 0, 0, 1},
        {plus, "PowerOff", [](C_Laser& l) { return l.PowerOff(); }, {"Disable"}, nullptr, {}, 0, 0, 0},
        {plus, "SetSpeed", [](C_Laser& l) { return speed(l, 20); }, {"MOTOR_SPEED=20"}, nullptr, {}},
        {r720s, "SetPower", [](C_Laser& l) { return power(l, 0.5f); }, {"MW", "P=0.500"}, nullptr, {}, 0, 0.5},
        {purity, "SetWavelength", [](C_Laser& l) { return wavelength(l, 1545.5); }, {"L=1545.500"}, nullptr, {},
         1545.5},
        {jdsu, "SetWavelength", [](C_Laser& l) { return wavelength(l, 1550.0); }, {"LS=1550.000"}, nullptr, {},
         1550.0},
        {jdsu, "SetSpeed 100", [](C_Laser& l) { return speed(l, 100); }, {"MOTOR_SPEED=1"}, nullptr, {}},
        {jdsu, "SetSpeed 10", [](C_Laser& l) { return speed(l, 10); }, {"MOTOR_SPEED=19"}, nullptr, {}},
        {ecl, "PowerOn", [](C_Laser& l) { return l.PowerOn(); }, {"CH1:Enable"}, nullptr, {}, 0, 0, 1},
        {ecl, "PowerOff", [](C_Laser& l) { return l.PowerOff(); }, {"CH1:Disable"}, nullptr, {}, 0, 0, 0},
        {ecl, "SetPower", [](C_Laser& l) { return power(l, 2.5f); }, {"CH1:P=2.50"}, nullptr, {}, 0, 2.5},
        {ecl, "SetWavelength", [](C_Laser& l) { return wavelength(l, 1550.0); }, {"CH1:L=1550.000"}, nullptr, {},
         1550.0},
        {ecl, "SetCurrent", [](C_Laser& l) { return current(l, 80.0f); }, {"I=80.000"}, nullptr, {}},
        {ecl, "SetSpeed", [](C_Laser& l) { return speed(l, 20); }, {}, nullptr, {}},
        {ecl, "SetAuxWavelength", [](C_Laser& l) { return aux(l, 1550.0); }, {}, nullptr, {}},
        {generic, "SetPower", [](C_Laser& l) { return power(l, 1.5f); }, {"P=1.500", "*OPC?"}, nullptr, {250, 250},
         0, 1.5},
        {generic, "SetCurrent 0", [](C_Laser& l) { return current(l, 0.0f); }, {"Disable", "*OPC?"}, "NoCurrent",
         {250, 250, 250}, 0, 0, 0},
        {generic, "SetCurrent", [](C_Laser& l) { return current(l, 12.5f); }, {"I=12.500", "*OPC?"}, "NoCurrent",
         {250, 250}},
        {generic, "SetWavelength", [](C_Laser& l) { return wavelength(l, 1550.0); }, {"L=1550.000", "*OPC?"},
         nullptr, {250, 250}, 1550.0},
        {generic, "SetWavelengthNoWait", [](C_Laser& l) { return noWait(l, 1550.0); }, {"L=1550.000"}, nullptr,
         {250}},
        {generic, "SetSpeed", [](C_Laser& l) { return speed(l, 20); }, {"MOTOR_SPEED=20", "*OPC?"}, nullptr,
         {250, 250}},
        {generic, "PowerOn", [](C_Laser& l) { return l.PowerOn(); }, {"Enable", "*OPC?"}, nullptr, {250, 250}, 0, 0,
         1},
        {generic, "SetAuxWavelength", [](C_Laser& l) { return aux(l, 1550.0); }, {}, nullptr, {}},
        {reference, "SetPower", [](C_Laser& l) { return power(l, 1.5f); }, {"P=1.500", "*OPC?"}, nullptr,
         {250, 250}, 0, 1.5},
        {mg, "SetPower", [](C_Laser& l) { return power(l, 1.5f); }, {"POW 1.500000mw", "*OPC?", "MOVE?"}, nullptr,
         {250, 250, 250}, 0, 1.5},
        {mg, "SetWavelength", [](C_Laser& l) { return wavelength(l, 1550.0); },
         {"WCNT 1550.000000nm", "*OPC?", "MOVE?"}, nullptr, {250, 250, 250}, 1550.0},
        {mg, "PowerOn", [](C_Laser& l) { return l.PowerOn(); }, {"OUTP ON", "*OPC?", "MOVE?"}, nullptr,
         {250, 250, 250}, 0, 0, 1},
        {agilent, "SetPower", [](C_Laser& l) { return power(l, 1.5f); },
         {":SOUR:POW:UNIT 1", "*OPC?", "power 1.500000mw", "*OPC?"}, nullptr, {100, 100}, 0, 1.5},
        {agilent, "SetWavelength", [](C_Laser& l) { return wavelength(l, 1550.0); },
         {"wave 1550.000000nm", "*OPC?"}, nullptr, {100}, 1550.0},
        {agilent, "SetWavelengthNoWait", [](C_Laser& l) { return noWait(l, 1550.0); },
         {"wave 1550.000000nm", "*OPC?"}, nullptr, {100}, 1550.0},
        {agilent, "PowerOn", [](C_Laser& l) { return l.PowerOn(); },
         {"outp on", "*OPC?", ":SOUR:SWE:REP ONEW", "*OPC?", ":SOUR:POW:UNIT 1", "*OPC?",
          ":SOUR:WAV:SWE:SPE 20nm/s", "*OPC?", ":SOUR:WAV:SWE:MODE CONT", "*OPC?", ":SOUR:WAV:SWE:CYCL 1", "*OPC?"},
         nullptr, {100, 100, 100, 100, 100, 100}, 0, 0, 1},
        {agilent, "PowerOff", [](C_Laser& l) { return l.PowerOff(); }, {"outp off", "*OPC?"}, nullptr, {100}, 0, 0,
         0},
        {agilent, "SetCurrent 0", [](C_Laser& l) { return current(l, 0.0f); }, {"outp off", "*OPC?"}, "NoCurrent",
         {100, 250}},
        {agilent, "SetCurrent", [](C_Laser& l) { return current(l, 5.0f); }, {}, "NoCurrent", {}},
        {agilent, "SetSpeed", [](C_Laser& l) { return speed(l, 20); }, {}, nullptr, {}},
        {santec, "SetWavelength", [](C_Laser& l) { return wavelength(l, 1550.123); },
         {":SOUR:WAV 1550123", "*OPC?"}, nullptr, {100}, 1550.123},
        {santec, "SetWavelengthNoWait", [](C_Laser& l) { return noWait(l, 1550.0); }, {":SOUR:WAV 1550000"},
         nullptr, {100}},
        {santec, "SetPower", [](C_Laser& l) { return power(l, 1.5f); },
         {":SOUR:POW:UNIT 1", "*OPC?", ":SOUR:POW 1.500", "*OPC?"}, nullptr, {100, 100}, 0, 1.5},
        {santec, "PowerOn", [](C_Laser& l) { return l.PowerOn(); },
         {":SOUR:POW:STAT 1", "*OPC?", ":SOUR:POW:UNIT 1", "*OPC?", ":SOUR:WAV:SWE:SPE 20", "*OPC?",
          ":SOUR:WAV:SWE:MOD 1", "*OPC?", ":SOUR:WAV:SWE:CYCL 1", "*OPC?"},
         nullptr, {100, 100, 100, 100, 100}, 0, 0, 1},
        {santec, "PowerOff", [](C_Laser& l) { return l.PowerOff(); }, {":SOUR:POW:STAT 0", "*OPC?"}, nullptr, {100},
         0, 0, 0},
    };
    for (const OperationCase& c : cases) {
        SCOPED_TRACE(std::string(SourceTypes::configurationName(c.type)) + " " + c.name);
        SimBus::declare({SimBus::laser(5, c.type, 1240.0, 1680.0, 0, 1540.0)});
        auto laser = SourceTypes::createDriver(c.type);
        laser->SetAddress(5);
        ASSERT_TRUE(laser->IsPresent());
        pauses.clear();
        const char* result = c.operation(*laser);
        if (c.result == nullptr)
            EXPECT_EQ(result, nullptr) << result;
        else
            EXPECT_STREQ(result, c.result);
        EXPECT_EQ(SimBus::commands(5), c.commands);
        EXPECT_EQ(pauses.pacing(), c.pacing);
        const VemarSimGpibLaserState state = SimBus::state(5);
        if (c.wavelength != 0.0) {
            EXPECT_DOUBLE_EQ(state.wavelengthNm, c.wavelength);
        }
        if (c.power != 0.0) {
            EXPECT_NEAR(state.powerMw, c.power, 1e-9);
        }
        if (c.output != -1) {
            EXPECT_EQ(state.outputOn, c.output);
        }
        // The instrument found no command or value error in what it was sent.
        EXPECT_EQ(laser->QueryEventStatus(), 0);
    }
}

TEST_F(SimDriversTest, RefusedValuesGiveTheModelsText)
{
    struct Case {
        int type;
        unsigned flags;
        std::function<const char*(C_Laser&)> operation;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {0, VEMARSIM_GPIB_REFUSE_POWER, [](C_Laser& l) { return power(l, 1.0f); },
         "Invalid parameter or value in 'P=1.000' .\t"},
        {0, VEMARSIM_GPIB_REFUSE_WAVELENGTH, [](C_Laser& l) { return wavelength(l, 1550.0); },
         "Invalid parameter or value in 'L=1550.000' .\t"},
        {0, VEMARSIM_GPIB_REFUSE_SPEED, [](C_Laser& l) { return speed(l, 20); },
         "Invalid parameter or value in 'MOTOR_SPEED=20' .\t"},
        {0, 0, [](C_Laser& l) { return wavelength(l, 1700.0); }, "Invalid parameter or value in 'L=1700.000' .\t"},
        {0, 0, [](C_Laser& l) { return l.Send("FOO"), l.WaitReady(false); }, "Unkown command : 'FOO' . \t"},
        {6, VEMARSIM_GPIB_REFUSE_WAVELENGTH, [](C_Laser& l) { return wavelength(l, 1550.0); },
         "Invalid parameter or value in 'LS=1550.000' .\t"},
        {7, VEMARSIM_GPIB_REFUSE_POWER, [](C_Laser& l) { return power(l, 1.0f); },
         "Invalid parameter or value in 'CH1:P=1.00' ."},
        {7, 0, [](C_Laser& l) { return l.Send("CH2:Enable"), l.WaitReady(false); },
         "Invalid parameter or value in 'CH2:Enable' ."},
        {7, 0, [](C_Laser& l) { return l.Send("MOTOR_SPEED=3"), l.WaitReady(false); },
         "Unkown command : 'MOTOR_SPEED=3' . "},
    };
    for (const Case& c : cases) {
        SimBus::declare({SimBus::laser(5, c.type, 1240.0, 1680.0, c.flags, 1540.0)});
        auto laser = SourceTypes::createDriver(c.type);
        laser->SetAddress(5);
        const char* text = c.operation(*laser);
        ASSERT_NE(text, nullptr) << c.expected;
        EXPECT_STREQ(text, c.expected);
    }
}

TEST_F(SimDriversTest, OpcModelsNeverReportAnInstrumentError)
{
    // The instrument flags the refused value in its event status, but the
    // "*OPC?" handshake does not look at it.
    SimBus::declare({SimBus::laser(5, 5, 1240.0, 1680.0, VEMARSIM_GPIB_REFUSE_WAVELENGTH, 1540.0)});
    auto laser = SourceTypes::createDriver(5);
    laser->SetAddress(5);
    EXPECT_EQ(wavelength(*laser, 1550.0), nullptr);
    EXPECT_DOUBLE_EQ(SimBus::state(5).wavelengthNm, 1540.0);
    EXPECT_EQ(laser->QueryEventStatus(), 0x10);
}

TEST_F(SimDriversTest, ScpiModelsGiveUpWhenTheInstrumentStopsAnswering)
{
    for (int type : {4, 5}) {
        SimBus::declare({SimBus::laser(5, type, 1240.0, 1680.0, VEMARSIM_GPIB_SILENT, 1540.0)});
        auto laser = SourceTypes::createDriver(type);
        laser->SetAddress(5);
        const char* text = wavelength(*laser, 1550.0);
        ASSERT_NE(text, nullptr);
        const std::string sent = SimBus::commands(5).front();
        EXPECT_EQ(text, sent + " : no answer 1 to *OPC? after 6 queries.");
        const Strings log = SimBus::commands(5);
        EXPECT_EQ(std::count(log.begin(), log.end(), "*OPC?"), 6);
    }
}

TEST_F(SimDriversTest, Mg9541aPollsMoveUntilTheMoveHasEnded)
{
    SimBus::setTimeScale(1.0);  // a 20 nm move at 100 nm/s takes 200 ms
    SimBus::declare({SimBus::laser(5, 3, 1240.0, 1680.0, 0, 1530.0, 100.0)});
    auto laser = SourceTypes::createDriver(3);
    laser->SetAddress(5);
    pauses.clear();
    EXPECT_EQ(wavelength(*laser, 1550.0), nullptr);
    EXPECT_FALSE(SimBus::state(5).moving);
    EXPECT_DOUBLE_EQ(SimBus::state(5).wavelengthNm, 1550.0);
    const Strings log = SimBus::commands(5);
    EXPECT_GE(std::count(log.begin(), log.end(), "MOVE?"), 2);
    const std::vector<int> pacing = pauses.pacing();
    EXPECT_NE(std::find(pacing.begin(), pacing.end(), 500), pacing.end());

    // A silent instrument: the empty answer counts as arrived.
    SimBus::setTimeScale(0.001);
    SimBus::declare({SimBus::laser(5, 3, 1240.0, 1680.0, VEMARSIM_GPIB_SILENT, 1530.0)});
    EXPECT_EQ(wavelength(*laser, 1550.0), nullptr);
    EXPECT_EQ(SimBus::commands(5), (Strings{"WCNT 1550.000000nm", "*OPC?", "MOVE?"}));
}

TEST_F(SimDriversTest, ReadsTimeOutAndNameTheLastCommand)
{
    SimBus::declare({SimBus::laser(5, 8, 1240.0, 1680.0)});
    C_VarnelPlus absent;
    absent.SetAddress(6);
    EXPECT_FALSE(absent.IsPresent());
    absent.SerialPoll();
    EXPECT_STREQ(absent.GpibErrorText(false), "<GetDevice> : iberr = EABO (I/O operation aborted (Timout)).");
    absent.Write("Enable");
    EXPECT_STREQ(absent.GpibErrorText(false), "Enable : iberr = ENOL (Write function detected no Listeners).");

    auto laser = SourceTypes::createDriver(8);
    laser->SetAddress(5);
    laser->Write("Enable");
    EXPECT_STREQ(laser->Read(10), "");
    EXPECT_STREQ(laser->GpibErrorText(false), "Enable : iberr = EABO (I/O operation aborted (Timout)).");
    laser->Write("BOGUS");
    laser->Write("*ESR?");
    EXPECT_STREQ(laser->Read(10), "32");

    SimBus::declare({SimBus::laser(5, 8, 1240.0, 1680.0, VEMARSIM_GPIB_NO_TERMINATOR)});
    laser->Write("BOGUS");
    laser->Write("*ESR?");
    EXPECT_STREQ(laser->Read(10), "3");
}

TEST_F(SimDriversTest, SetAddressMovesTheFollowingOperationsToTheNewAddress)
{
    SimBus::declare({SimBus::laser(5, 0, 1240.0, 1680.0), SimBus::laser(6, 0, 1240.0, 1680.0)});
    C_VarnelPlus laser;
    laser.SetAddress(5);
    EXPECT_EQ(laser.PowerOn(), nullptr);
    laser.SetAddress(6);
    EXPECT_EQ(laser.PowerOff(), nullptr);
    EXPECT_EQ(SimBus::commands(5), Strings{"Enable"});
    EXPECT_EQ(SimBus::commands(6), Strings{"Disable"});
    // Re-addressing only takes the old handle offline; closing returns the instrument to local.
    EXPECT_EQ(SimBus::state(5).remote, 1);
    EXPECT_EQ(SimBus::state(6).remote, 1);
    laser.Close();
    EXPECT_EQ(SimBus::state(6).remote, 0);
    EXPECT_EQ(laser.GetHandle(), 0);
}

TEST_F(SimDriversTest, SwitchClosesTheChannel)
{
    SimBus::declare({{1, VEMARSIM_GPIB_SWITCH, 0, 0, 0, 0, 0}});
    C_Switch opticalSwitch;
    EXPECT_TRUE(opticalSwitch.IsPresent());
    opticalSwitch.Select(2);
    EXPECT_EQ(SimBus::commands(1), Strings{"CLOSE 9"});
    EXPECT_EQ(SimBus::switchChannel(), 9);
}

TEST_F(SimDriversTest, MovesAreRecordedAsSweeps)
{
    SimBus::declare({SimBus::laser(5, 0, 1240.0, 1680.0, 0, 1500.0)});
    C_VarnelPlus laser;
    laser.SetAddress(5);
    float p = 2.0f;
    int s = 20;
    ASSERT_EQ(laser.SetPower(&p), nullptr);
    ASSERT_EQ(laser.SetSpeed(&s), nullptr);
    ASSERT_EQ(laser.PowerOn(), nullptr);
    ASSERT_EQ(wavelength(laser, 1510.0), nullptr);
    auto sweeps = SimBus::sweeps(5);
    ASSERT_EQ(sweeps.size(), 1u);
    EXPECT_DOUBLE_EQ(sweeps[0].startNm, 1500.0);
    EXPECT_DOUBLE_EQ(sweeps[0].stopNm, 1510.0);
    EXPECT_DOUBLE_EQ(sweeps[0].speedNmPerS, 20.0);
    EXPECT_DOUBLE_EQ(sweeps[0].powerMw, 2.0);
    EXPECT_EQ(sweeps[0].outputOn, 1);
    EXPECT_EQ(sweeps[0].interrupted, 0);
    EXPECT_DOUBLE_EQ(sweeps[0].durationS, 0.5);
    EXPECT_NEAR(sweeps[0].endsS - sweeps[0].beganS, 0.0005, 0.0001);

    // A new move during a move starts where the laser is.
    SimBus::setTimeScale(1.0);
    ASSERT_EQ(noWait(laser, 1600.0), nullptr);  // 90 nm: 4.5 s
    ASSERT_EQ(noWait(laser, 1510.0), nullptr);
    sweeps = SimBus::sweeps(5);
    ASSERT_EQ(sweeps.size(), 3u);
    EXPECT_EQ(sweeps[1].interrupted, 1);
    EXPECT_GT(sweeps[1].stopNm, 1510.0);
    EXPECT_LT(sweeps[1].stopNm, 1520.0);
    EXPECT_DOUBLE_EQ(sweeps[2].startNm, sweeps[1].stopNm);
    EXPECT_DOUBLE_EQ(sweeps[2].stopNm, 1510.0);
    EXPECT_LT(sweeps[1].sequence, sweeps[2].sequence);
}

}  // namespace
