#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "C_ecl.h"
#include "C_jdsusws.h"
#include "C_varnelplus.h"
#include "FakeGpibLibrary.h"
#include "PauseRecorder.h"

namespace {

class SerialPollTest : public ::testing::Test {
protected:
    FakeGpibLibrary fake;
    PauseRecorder pauses{1.0};
};

TEST_F(SerialPollTest, StatusBitsGiveTheModelsTexts)
{
    struct Case {
        bool ecl;
        int statusByte;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {false, 0x01, ""},
        {false, 0x05, "Invalid parameter or value in 'P=9.000' .\t"},
        {false, 0x03, "Unkown command : 'P=9.000' . \t"},
        {false, 0x07, "Unkown command : 'P=9.000' . \t"},
        {true, 0x01, ""},
        {true, 0x03, "Invalid parameter or value in 'P=9.000' ."},
        {true, 0x05, "Unkown command : 'P=9.000' . "},
        {true, 0x07, "Unkown command : 'P=9.000' . "},
    };
    for (const Case& c : cases) {
        std::unique_ptr<C_Laser> laser;
        if (c.ecl)
            laser = std::make_unique<C_Ecl>();
        else
            laser = std::make_unique<C_VarnelPlus>();
        laser->SetAddress(3);
        fake.setStatusByte(c.statusByte);
        laser->Send("P=9.000");
        EXPECT_STREQ(laser->WaitReady(false), c.expected) << c.ecl << " " << c.statusByte;
        EXPECT_EQ(laser->CheckStatus(false), c.statusByte);
    }
}

TEST_F(SerialPollTest, AFailingOperationStopsTheSequence)
{
    C_VarnelPlus laser;
    laser.SetAddress(3);
    fake.setStatusByte(0x05);
    float power = 9.0f;
    const char* text = laser.SetPower(&power);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Invalid parameter or value in 'MW' .\t");
    EXPECT_EQ(fake.lastWrite(), "MW");

    fake.setStatusByte(0x01);
    int speed = 100;
    C_JdsuSws jdsu;
    jdsu.SetAddress(3);
    EXPECT_EQ(jdsu.SetSpeed(&speed), nullptr);
    EXPECT_EQ(fake.lastWrite(), "MOTOR_SPEED=1");
}

TEST_F(SerialPollTest, NeverReadyEndsAfterTheTimeOutWithoutText)
{
    C_VarnelPlus laser;
    laser.SetAddress(3);
    laser.readyTimeoutMs = 60;
    fake.setStatusByte(0x00);
    const auto start = std::chrono::steady_clock::now();
    laser.Send("L=1550.000");
    EXPECT_STREQ(laser.WaitReady(false), "");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(60));
    EXPECT_FALSE(laser.isReady);
}

TEST_F(SerialPollTest, WithoutReadyBitOnlyTheStatusCheckPolls)
{
    C_Ecl laser;
    laser.SetAddress(3);
    laser.readyBit = -1;
    fake.setStatusByte(0x00);
    const int before = fake.polls();
    laser.Send("CH1:Enable");
    EXPECT_STREQ(laser.WaitReady(false), "");
    EXPECT_EQ(fake.polls() - before, 1);
    EXPECT_TRUE(laser.isReady);
}

TEST_F(SerialPollTest, AGpibErrorDuringTheHandshakeGivesItsText)
{
    C_VarnelPlus laser;
    laser.SetAddress(3);
    fake.setStatusByte(0x01);
    fake.setPollStatus(0x8000, 6);
    float power = 1.0f;
    const char* text = laser.SetPower(&power);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "MW : iberr = EABO (I/O operation aborted (Timout)).");
    EXPECT_EQ(laser.CheckStatus(false), -1);
    fake.setPollStatus(0x0100, 0);
    EXPECT_EQ(laser.SetPower(&power), nullptr);
    EXPECT_EQ(fake.lastWrite(), "P=1.000");
}

}  // namespace
