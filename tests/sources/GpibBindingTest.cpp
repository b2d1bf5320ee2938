#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "C_Switch.h"
#include "C_device.h"
#include "FakeGpibLibrary.h"
#include "GpibBinding.h"
#include "PauseRecorder.h"
#include "Sourceconfig.h"

namespace {

TEST(GpibWithoutLibraryTest, EverySourceIsNotConnectedAndNoErrorTextIsProduced)
{
    // No library at all, a name that does not exist, and a library that is
    // not a GPIB library (no status variables).
    const std::vector<std::vector<std::string>> environments = {
        {}, {"libvemar-no-such-gpib.so.0"}, {"libm.so.6"}, {"libvemar-no-such-gpib.so.0", "libm.so.6"}};
    PauseRecorder pauses;
    for (const auto& libraries : environments) {
        Gpib::setCandidateLibraries(libraries);
        SCOPED_TRACE(libraries.empty() ? "(none)" : libraries.back());

        C_Device laser;
        laser.SetAddress(4);
        EXPECT_FALSE(laser.IsPresent());
        EXPECT_FALSE(Gpib::libraryLoaded());
        EXPECT_EQ(Gpib::mirroredStatus().ibsta, Gpib::ERR);
        EXPECT_EQ(Gpib::mirroredStatus().iberr, Gpib::EDVR);
        EXPECT_EQ(Gpib::ThreadIbsta(), Gpib::UnboundThreadStatus);
        EXPECT_EQ(Gpib::ThreadIbcntl(), static_cast<long>(Gpib::UnboundThreadStatus));
        EXPECT_STREQ(laser.Read(10), "");
        EXPECT_EQ(laser.SerialPoll(), 0);
        laser.Write("Enable");
        EXPECT_STREQ(laser.GpibErrorText(false), "");
        EXPECT_EQ(Gpib::ibtrg(laser.GetHandle()), Gpib::ERR);

        ConfLaser conf;
        for (int i = 0; i < 4; ++i) {
            conf.sources[i].enable = true;
            conf.sources[i].SetType(i == 0 ? 8 : i);
            conf.sources[i].SetAddress(3 + i);
        }
        const char* message = conf.Init();
        ASSERT_NE(message, nullptr);
        EXPECT_STREQ(message, "Can't connect to TLS1 (GPIB Address=3). Please check the GPIB connection");
        conf.sources[0].enable = false;
        EXPECT_STREQ(conf.Init(), "Can't connect to TLS2 (GPIB Address=4). Please check the GPIB connection");
        EXPECT_EQ(conf.sources[1].ApplySpeed(20), SourceConfig::NotPresent);
        EXPECT_EQ(conf.sources[1].SwitchOutput(true), SourceConfig::NotPresent);
        EXPECT_EQ(conf.sources[1].ApplyCurrent(0.0f), SourceConfig::NotPresent);
    }
    // Nothing was sent, so nothing was paced either.
    EXPECT_TRUE(pauses.pacing().empty());
    Gpib::setCandidateLibraries({});
}

class FakeGpibTest : public ::testing::Test {
protected:
    FakeGpibLibrary fake;
    PauseRecorder pauses;
};

TEST_F(FakeGpibTest, BindsLinuxGpibStatusNamesAndTheMissingEntryFailsAlone)
{
    C_Device laser;
    laser.SetAddress(12);
    EXPECT_TRUE(laser.IsPresent());
    EXPECT_TRUE(Gpib::libraryLoaded());
    EXPECT_EQ(fake.lastPad(), 12);

    fake.setStatus(0x0100, 0);
    laser.Write("P=1.000");
    EXPECT_EQ(fake.lastWrite(), "P=1.000");
    EXPECT_EQ(Gpib::mirroredStatus().ibsta, 0x0100);
    EXPECT_EQ(Gpib::mirroredStatus().ibcntl, 7);

    // ibtrg is not in the library: the failure state, but the library stays.
    EXPECT_EQ(Gpib::ibtrg(laser.GetHandle()), Gpib::ERR);
    EXPECT_EQ(Gpib::mirroredStatus().iberr, Gpib::EDVR);
    EXPECT_TRUE(Gpib::libraryLoaded());
    laser.Write("L=1550.000");
    EXPECT_EQ(fake.lastWrite(), "L=1550.000");
    EXPECT_EQ(Gpib::mirroredStatus().ibsta, 0x0100);
}

TEST_F(FakeGpibTest, ANewAddressOpensAtTheNextOperationAndTheOldHandleGoesOffline)
{
    C_Device laser;
    laser.SetAddress(3);
    EXPECT_EQ(fake.calls("ibdev"), 0);  // no bus traffic until the first operation
    laser.Write("Enable");
    EXPECT_EQ(fake.lastPad(), 3);
    laser.SetPrimaryAddress(8);
    EXPECT_EQ(fake.lastPad(), 3);
    laser.Write("Enable");
    EXPECT_EQ(fake.lastPad(), 8);
    laser.SetAddress(9);
    laser.SetAddress(9);
    EXPECT_EQ(fake.lastPad(), 8);
    laser.Write("Enable");
    EXPECT_EQ(fake.lastPad(), 9);
    // One device at a time: each new one replaced the last.
    EXPECT_EQ(fake.calls("ibdev"), 3);
    EXPECT_EQ(fake.calls("ibonl"), 2);
    EXPECT_EQ(fake.openDevices(), 1);
    // The same address again keeps the device.
    laser.SetAddress(9);
    laser.Write("Enable");
    EXPECT_EQ(fake.calls("ibdev"), 3);
    laser.Close();
    EXPECT_EQ(fake.openDevices(), 0);
    EXPECT_EQ(fake.calls("ibloc"), 1);
}

TEST_F(FakeGpibTest, ReadDropsTheTerminatorAndNeverOverruns)
{
    struct Case {
        std::string answer;
        int maxCount;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"5\n", 10, "5"},       {"42", 10, "4"},  {"", 10, ""},          {"123456789012\n", 10, "123456789"},
        {"1\n", 0, ""},         {"1\n", -5, ""}, {"1\n", 100000, "1"},
    };
    C_Device laser;
    laser.SetAddress(1);
    for (const Case& c : cases) {
        fake.setStatus(0x2100, 0);
        fake.setAnswer(c.answer);
        EXPECT_STREQ(laser.Read(c.maxCount), c.expected) << c.answer << " max " << c.maxCount;
    }
    laser.Configure(1, 13, 4);
    fake.setAnswer("123456789\n");
    EXPECT_STREQ(laser.Read(10), "123");
}

TEST_F(FakeGpibTest, ErrorTextsNameTheLastCommand)
{
    C_Device laser;
    laser.SetAddress(1);
    fake.setStatus(0x8000, 6);
    laser.SerialPoll();
    laser.Read(10);
    EXPECT_STREQ(laser.GpibErrorText(false), "<GetDevice> : iberr = EABO (I/O operation aborted (Timout)).");

    const std::vector<std::pair<int, const char*>> table = {
        {0, "P=9.000 : iberr = EDVR (System error)."},
        {1, "P=9.000 : iberr = ECIC (Function requires GPIB board to be CIC)."},
        {2, "P=9.000 : iberr = ENOL (Write function detected no Listeners)."},
        {3, "P=9.000 : iberr = EADR (Interface board not addressed correctly)."},
        {4, "P=9.000 : iberr = EARG (Invalid argument to function call)."},
        {5, "P=9.000 : iberr = ESAC (Function requires GPIB board to be SAC)."},
        {6, "P=9.000 : iberr = EABO (I/O operation aborted (Timout))."},
        {7, "P=9.000 : iberr = ENEB (Non-existent interface board)."},
        {8, "P=9.000 : iberr = EDMA (Error performing DMA)."},
        {9, ""},
        {10, "P=9.000 : iberr = EOIP  (I/O operation started before previous)."},
        {11, "P=9.000 : iberr = ECAP (No capability for intended operation)."},
        {12, "P=9.000 : iberr = EFSO (File system operation error)."},
        {13, ""},
        {14, "P=9.000 : iberr = EBUS (Command error during device call)."},
        {15, "P=9.000 : iberr = ESTB (Serial poll status byte lost)."},
        {16, "P=9.000 : iberr = ESRQ (SRQ remains asserted)."},
        {17, ""},
        {20, "P=9.000 : iberr = ETAB (The return buffer is full)."},
        {21, "P=9.000 : iberr = ELCK (Address or board is locked)."},
        {22, ""},
    };
    for (const auto& [code, text] : table) {
        fake.setStatus(0x8000, code);
        laser.Write("P=9.000");
        EXPECT_STREQ(laser.GpibErrorText(false), text) << code;
    }
    // An error code without the ERR bit is no error.
    fake.setStatus(0x0100, 6);
    laser.Write("P=9.000");
    EXPECT_STREQ(laser.GpibErrorText(false), "");
}

TEST_F(FakeGpibTest, LastCommandKeepsAtMost499CharactersAndEsrLeavesItAlone)
{
    C_Device laser;
    laser.SetAddress(1);
    const std::string longCommand(600, 'A');
    laser.Write(longCommand.c_str());
    EXPECT_EQ(fake.lastWrite(), longCommand);
    EXPECT_EQ(std::string(laser.LastCommand()), std::string(499, 'A'));

    laser.Write("Enable");
    fake.setAnswer("36\n");
    EXPECT_EQ(laser.QueryEventStatus(), 36);
    EXPECT_EQ(fake.lastWrite(), "*ESR?");
    EXPECT_STREQ(laser.LastCommand(), "Enable");
    fake.setAnswer("x\n");
    EXPECT_EQ(laser.QueryEventStatus(), 0);
}

TEST_F(FakeGpibTest, SwitchClosesChannelPlusOffsetAndSettles)
{
    C_Switch opticalSwitch;
    pauses.clear();
    opticalSwitch.Select(2);
    EXPECT_EQ(fake.lastPad(), 1);
    EXPECT_EQ(fake.lastWrite(), "CLOSE 9");
    EXPECT_EQ(pauses.pacing(), std::vector<int>{500});
    C_Switch other(6, 2);
    other.Select(3);
    EXPECT_EQ(fake.lastPad(), 6);
    EXPECT_EQ(fake.lastWrite(), "CLOSE 5");
    EXPECT_STREQ(other.WaitReady(false), "");
    EXPECT_EQ(other.CheckStatus(false), 1);
}

}  // namespace
