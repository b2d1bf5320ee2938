// When the program opens GPIB devices, and what a device that cannot be
// opened does, against the stand-in library failing the way linux-gpib does.

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <memory>
#include <string>
#include <vector>

#include "C_device.h"
#include "C_mg9541a.h"
#include "C_varnelpurity.h"
#include "FakeGpibLibrary.h"
#include "GpibBinding.h"
#include "LogCapture.h"
#include "PauseRecorder.h"
#include "Sourceconfig.h"

namespace {

// The entries that take a device descriptor.
const std::vector<const char*> descriptorEntries = {"ibonl", "ibln", "ibwrt", "ibrd", "ibrsp", "ibloc"};

class GpibDeviceOpeningTest : public ::testing::Test {
protected:
    int descriptorCalls()
    {
        int n = 0;
        for (const char* entry : descriptorEntries) n += fake.calls(entry);
        return n;
    }
    static void load(ConfLaser& conf, const std::string& xml)
    {
        TiXmlDocument doc;
        doc.Parse(xml.c_str());
        ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
        conf.Load(doc.RootElement());
    }

    FakeGpibLibrary fake;
    PauseRecorder pauses{0.001};
};

TEST_F(GpibDeviceOpeningTest, WithoutABoardNoSourceIsPresentAndNothingButIbdevIsCalled)
{
    fake.setBoard(false);
    for (int type = 0; type <= 10; ++type) {
        SCOPED_TRACE(type);
        const int ibdevBefore = fake.calls("ibdev");
        {
            SourceConfig source;
            source.enable = true;
            source.SetType(type);
            source.SetAddress(3);
            source.SetScanRange(1500.0, 1600.0);
            EXPECT_EQ(source.ApplyPower(1.0f), SourceConfig::NotPresent);
            EXPECT_EQ(source.MoveToStart(), SourceConfig::NotPresent);
            EXPECT_EQ(source.StartMoveToStart(), SourceConfig::NotPresent);
            EXPECT_EQ(source.ApplySpeed(20), SourceConfig::NotPresent);
            EXPECT_EQ(source.SwitchOutput(false), SourceConfig::NotPresent);
            ASSERT_NE(source.laser, nullptr);
            source.laser->Write("Enable");
            EXPECT_STREQ(source.laser->Read(10), "");
            EXPECT_EQ(source.laser->SerialPoll(), 0);
            EXPECT_EQ(source.laser->GoToLocal(), 0);
        }
        // One attempt per device, and none of the calls that would take its -1.
        EXPECT_EQ(fake.calls("ibdev") - ibdevBefore, 1);
        EXPECT_EQ(descriptorCalls(), 0);
    }
}

TEST_F(GpibDeviceOpeningTest, TheErrorTextOfADeviceThatCannotBeOpenedNamesTheSystemError)
{
    fake.setBoard(false);
    C_Device laser;
    laser.SetAddress(3);
    EXPECT_FALSE(laser.IsPresent());
    const std::string cause = "<GetDevice> : iberr = EDVR (System error). ibcntl = 2 (No such file or directory).";
    EXPECT_EQ(laser.GpibErrorText(false), cause);
    laser.Write("P=1.000");
    EXPECT_EQ(laser.QueryEventStatus(), -1);
    // Still the cause, not the "invalid descriptor" of a later call.
    EXPECT_EQ(laser.GpibErrorText(false), cause);
    EXPECT_EQ(descriptorCalls(), 0);
}

TEST_F(GpibDeviceOpeningTest, APuritySourceIsPresentOnlyWhenItsDeviceOpens)
{
    C_VarnelPurity onBoard;
    onBoard.SetAddress(3);
    EXPECT_TRUE(onBoard.IsPresent());

    fake.setBoard(false);
    ConfLaser conf;
    conf.sources[0].enable = true;
    conf.sources[0].SetType(1);
    conf.sources[0].SetAddress(3);
    conf.SetScanStart(1500.0);
    conf.SetScanStop(1600.0);
    EXPECT_STREQ(conf.Init(), "Can't connect to TLS1 (GPIB Address=3). Please check the GPIB connection");
    EXPECT_EQ(fake.polls(), 0);
}

TEST_F(GpibDeviceOpeningTest, ASerialPollErrorEndsTheWaitAtOnceWithTheConnectionError)
{
    // The device opens, but the instrument does not answer its serial poll.
    fake.setPollStatus(Gpib::ERR, Gpib::EABO);
    fake.setStatusByte(0x00);
    struct Case {
        int type;
        const char* name;
    };
    for (const Case c : {Case{1, "VarnelPurity"}, Case{0, "VarnelPlus"}, Case{6, "JDSU SWS"}, Case{7, "Ecl"}}) {
        SCOPED_TRACE(c.name);
        const int pollsBefore = fake.polls();
        ConfLaser conf;
        conf.sources[0].enable = true;
        conf.sources[0].SetType(c.type);
        conf.sources[0].SetAddress(4);
        conf.SetScanStart(1500.0);
        conf.SetScanStop(1600.0);
        LogCapture log;
        EXPECT_STREQ(conf.Init(), "Can't connect to TLS1 (GPIB Address=4). Please check the GPIB connection");
        EXPECT_EQ(fake.polls() - pollsBefore, 1);
        // The log names what the bus said.
        EXPECT_EQ(log.countStartingWith(3, "Sources: TLS1: "), 1);
        EXPECT_EQ(log.count(3, "Sources: TLS1: MW : iberr = EABO (I/O operation aborted (Timout)).\n") +
                      log.count(3, "Sources: TLS1: CH1:P=1.00 : iberr = EABO (I/O operation aborted (Timout)).\n"),
                  1);
    }
}

TEST_F(GpibDeviceOpeningTest, AnAddressOutsideTheBusNeverReachesTheLibrary)
{
    for (const int address : {31, -1, 255, 100000}) {
        SCOPED_TRACE(address);
        C_Device laser;
        laser.SetAddress(address);
        EXPECT_FALSE(laser.IsPresent());
        laser.Write("Enable");
        EXPECT_STREQ(laser.GpibErrorText(false),
                     ("<GetDevice> : iberr = EARG (Invalid argument to function call). Primary address " +
                      std::to_string(address) + " is outside 0 to 30.")
                         .c_str());
    }
    EXPECT_EQ(fake.badAddresses(), 0);
    EXPECT_EQ(fake.totalCalls(), 0);
}

TEST_F(GpibDeviceOpeningTest, AnAddressOutsideTheBusIsRefusedWhereTheFileIsRead)
{
    struct Case {
        const char* text;
        int address;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"31", 5, true}, {"-1", 5, true}, {"255", 5, true}, {"2147483647", 5, true},
        {"30", 30, false}, {"0", 0, false}, {"17", 17, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ConfLaser conf;
        conf.sources[1].address = 5;
        LogCapture log;
        load(conf, std::string("<Sources><Source Name=\"TLS_1\" Enable=\"True\" Type=\"VarnelPlus\" Address=\"") +
                       c.text + "\"/></Sources>");
        EXPECT_EQ(conf.sources[1].address, c.address);
        EXPECT_EQ(log.count(3, std::string("Sources: TLS_1 Address \"") + c.text +
                                   "\" is outside 0 to 30; the address 5 is kept\n"),
                  c.refused ? 1 : 0);
        conf.sources[1].SetType(conf.sources[1].type);
        conf.SetScanStart(1500.0);
        conf.SetScanStop(1600.0);
        conf.Init();
    }
    EXPECT_EQ(fake.badAddresses(), 0);
}

TEST_F(GpibDeviceOpeningTest, DevicesOpenOnceAndOnlyForTheSourcesThatTakePart)
{
    ConfLaser conf;
    load(conf,
         "<Sources><Common Power=\"1.0\" Lambda_Min=\"1500.0\" Lambda_Max=\"1600.0\"/>"
         "<Source Name=\"TLS_0\" Enable=\"True\" Address=\"3\" Type=\"VarnelPlus\" Lambda_Min=\"1240\" Lambda_Max=\"1680\"/>"
         "<Source Name=\"TLS_1\" Enable=\"True\" Address=\"4\" Type=\"Manual\" Lambda_Min=\"1240\" Lambda_Max=\"1680\"/>"
         "<Source Name=\"TLS_2\" Enable=\"False\" Address=\"5\" Type=\"Agilent\"/>"
         "<Source Name=\"TLS_3\" Enable=\"True\" Address=\"6\" Type=\"VarnelPlus\" Lambda_Min=\"1240\" "
         "Lambda_Max=\"1300\"/>"
         "</Sources>");
    // As the programs do after reading the file: every record gets its driver.
    for (SourceConfig& source : conf.sources) source.SetType(source.type);
    conf.SetScanStart(1500.0);
    conf.SetScanStop(1600.0);
    EXPECT_EQ(fake.totalCalls(), 0);

    // Each scan trace keeps a copy; copying and dropping copies is no bus traffic.
    for (int trace = 0; trace < 3; ++trace) {
        const ConfLaser copy(conf);
        ConfLaser assigned;
        assigned = copy;
    }
    EXPECT_EQ(fake.totalCalls(), 0);

    // Only TLS1 and TLS2 take part (TLS3 is disabled, TLS4 out of range).
    fake.setStatusByte(0x01);
    EXPECT_EQ(conf.Init(), nullptr);
    EXPECT_EQ(fake.calls("ibdev"), 2);
    EXPECT_EQ(conf.Init(), nullptr);
    EXPECT_EQ(fake.calls("ibdev"), 2);
    EXPECT_EQ(fake.openDevices(), 2);

    // A new address is a new device; the old one goes offline.
    conf.sources[1].SetAddress(9);
    EXPECT_EQ(conf.Init(), nullptr);
    EXPECT_EQ(fake.calls("ibdev"), 3);
    EXPECT_EQ(fake.lastPad(), 9);
    EXPECT_EQ(fake.openDevices(), 2);

    // Without a board each record still tries once only, however many scans start.
    fake.setBoard(false);
    ConfLaser unopenable(conf);
    EXPECT_EQ(fake.calls("ibdev"), 3);
    for (int scan = 0; scan < 5; ++scan) EXPECT_NE(unopenable.Init(), nullptr);
    EXPECT_EQ(fake.calls("ibdev"), 5);
}

TEST_F(GpibDeviceOpeningTest, TheMovePollingOfTheMG9541AEndsAfterOneMinute)
{
    // Every answer is 1: "*OPC?" is satisfied, "MOVE?" never reports the end.
    fake.setAnswer("1\n");
    C_MG9541A laser;
    laser.SetAddress(5);
    double wavelength = 1550.0;
    const char* text = laser.SetWavelength(&wavelength);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "WCNT 1550.000000nm : no answer 0 to MOVE? after 60 s.");
    // 250 ms after each "MOVE?" and 500 ms before the next: 80 queries in a minute.
    EXPECT_EQ(fake.calls("ibwrt"), 2 + 80);

    // A move that ends is no error.
    fake.setAnswer("0\n");
    EXPECT_EQ(laser.SetWavelength(&wavelength), nullptr);
}

}  // namespace
