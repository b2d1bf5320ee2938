#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "C_device.h"
#include "C_ecl.h"
#include "C_jdsusws.h"
#include "C_santec.h"
#include "C_varnelplus.h"
#include "Command.h"
#include "GpibBinding.h"
#include "SourceTypes.h"

namespace {

// Driver objects that never reach a bus (no GPIB library bound).
class CommandTest : public ::testing::Test {
protected:
    void SetUp() override { Gpib::setCandidateLibraries({}); }
};

TEST_F(CommandTest, TemplatesHoldAtMostThirtyCharacters)
{
    C_Device laser;
    const std::string thirty(30, 'x');
    EXPECT_TRUE(laser.SetCommand(CMD_POWER_ON, thirty.c_str()));
    EXPECT_EQ(laser.GetCommand(CMD_POWER_ON)->GetText(), thirty);
    EXPECT_FALSE(laser.SetCommand(CMD_POWER_ON, (thirty + "y").c_str()));
    EXPECT_EQ(laser.GetCommand(CMD_POWER_ON)->GetText(), thirty);

    Command* power = laser.GetCommand(CMD_POWER);
    EXPECT_FALSE(power->SetText("P=%2.3f and then some more text"));
    EXPECT_FALSE(power->SetText("P=%s"));
    EXPECT_STREQ(power->GetText(), "P=%2.3f");
    EXPECT_TRUE(power->SetText("PWR %6.2f"));
    EXPECT_STREQ(power->GetText(), "PWR %6.2f");
    EXPECT_STREQ(power->GetDefaultText(), "P=%2.3f");
}

TEST_F(CommandTest, SetCommandTwiceKeepsOneTemplateWithTheSecondText)
{
    C_Device laser;
    const std::size_t before = laser.Commands().size();
    ASSERT_TRUE(laser.SetCommand(CMD_WAVELENGTH, "WL %4.3f"));
    EXPECT_EQ(laser.Commands().size(), before);
    EXPECT_STREQ(laser.GetCommand(CMD_WAVELENGTH)->GetText(), "WL %4.3f");
    EXPECT_STREQ(laser.GetCommand(CMD_WAVELENGTH)->GetDefaultText(), "WL %4.3f");
    EXPECT_EQ(laser.GetCommand(CMD_SWEEP_RUN), nullptr);
}

TEST_F(CommandTest, CopyCommandsTakesTheOthersCurrentTexts)
{
    C_Device source;
    source.GetCommand(CMD_POWER)->SetText("PW=%.1f");
    C_Device copy;
    copy.CopyCommands(source.Commands());
    EXPECT_EQ(copy.Commands().size(), source.Commands().size());
    EXPECT_STREQ(copy.GetCommand(CMD_POWER)->GetText(), "PW=%.1f");
    EXPECT_STREQ(copy.GetCommand(CMD_POWER)->GetDefaultText(), "PW=%.1f");
    EXPECT_STREQ(source.GetCommand(CMD_POWER)->GetDefaultText(), "P=%2.3f");

    C_Device empty;
    empty.ClearCommands();
    copy.CopyCommands(empty.Commands());
    EXPECT_TRUE(copy.Commands().empty());
}

TEST_F(CommandTest, CopyCommandsKeepsOwnTemplatesThatTheOtherModelFormatsDifferently)
{
    C_Ecl ecl;  // "CH%d:P=%2.2f" takes the channel first
    C_VarnelPlus plus;
    plus.CopyCommands(ecl.Commands());
    EXPECT_STREQ(plus.GetCommand(CMD_POWER)->GetText(), "P=%2.3f");
    EXPECT_STREQ(plus.GetCommand(CMD_POWER_ON)->GetText(), "CH%d:Enable");  // sent as it stands
    EXPECT_EQ(plus.GetCommand(CMD_SPEED), nullptr);                          // the ECL has none
}

TEST_F(CommandTest, AnOperationWithoutItsTemplateFailsWithoutSending)
{
    C_Device laser;
    laser.ClearCommands();
    float power = 1.0f;
    const char* text = laser.SetPower(&power);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::string(text).find("No command template"), std::string::npos);
    EXPECT_STREQ(laser.LastCommand(), "<GetDevice>");
}

TEST_F(CommandTest, ModelsRegisterTheirTemplates)
{
    const std::vector<std::pair<int, std::vector<std::pair<tCommand, const char*>>>> expected = {
        {SourceTypes::VarnelPlus,
         {{CMD_POWER_ON, "Enable"}, {CMD_POWER_OFF, "Disable"}, {CMD_POWER, "P=%2.3f"}, {CMD_WAVELENGTH, "L=%4.3f"},
          {CMD_SPEED, "MOTOR_SPEED=%d"}}},
        {SourceTypes::JdsuSws, {{CMD_WAVELENGTH, "LS=%4.3f"}, {CMD_SPEED, "MOTOR_SPEED=%d"}}},
        {SourceTypes::MG9541A,
         {{CMD_POWER_ON, "OUTP ON"}, {CMD_POWER_OFF, "OUTP OFF"}, {CMD_POWER, "POW %fmw"},
          {CMD_WAVELENGTH, "WCNT %fnm"}, {CMD_SPEED, "MOTOR_SPEED=%d"}}},
        {SourceTypes::Ecl,
         {{CMD_POWER_ON, "CH%d:Enable"}, {CMD_POWER_OFF, "CH%d:Disable"}, {CMD_POWER, "CH%d:P=%2.2f"},
          {CMD_WAVELENGTH, "CH%d:L=%4.3f"}}},
        {SourceTypes::Agilent,
         {{CMD_POWER, "power %fmw"}, {CMD_WAVELENGTH, "----------"}, {CMD_WAVELENGTH_SCPI, "wave %fnm"},
          {CMD_SWEEP_START, ":SOUR:WAV:SWE:STAR %fnm"}, {CMD_SWEEP_STOP, ":SOUR:WAV:SWE:STOP %fnm"},
          {CMD_SWEEP_RUN, ":SOUR:WAV:SWE 1"}, {CMD_SWEEP_QUERY, ":SOUR:WAV:SWE?"}}},
        {SourceTypes::Santec,
         {{CMD_POWER_ON, ":SOUR:POW:STAT 1"}, {CMD_POWER, ":SOUR:POW %2.3f"}, {CMD_WAVELENGTH_SCPI, ":SOUR:WAV %u"},
          {CMD_SWEEP_START, ":SOUR:WAV:SWE:STAR %u"}, {CMD_SWEEP_STOP, ":SOUR:WAV:SWE:STOP %u"}}},
    };
    for (const auto& [type, templates] : expected) {
        const auto laser = SourceTypes::createDriver(type);
        ASSERT_NE(laser, nullptr) << type;
        EXPECT_EQ(laser->PrimaryAddress(), 10);
        for (const auto& [key, text] : templates) {
            ASSERT_NE(laser->GetCommand(key), nullptr) << type << " key " << key;
            EXPECT_STREQ(laser->GetCommand(key)->GetText(), text) << type << " key " << key;
        }
    }
    EXPECT_EQ(SourceTypes::createDriver(11), nullptr);
    EXPECT_EQ(SourceTypes::createDriver(-1), nullptr);
}

TEST_F(CommandTest, JdsuSpeedIndexOfEveryOfferedSpeed)
{
    const std::vector<std::pair<int, int>> table = {{10, 19}, {11, 17}, {12, 16}, {13, 14}, {14, 13}, {15, 12},
                                                    {17, 11}, {18, 10}, {20, 9},  {22, 8},  {25, 7},  {29, 6},
                                                    {33, 5},  {40, 4},  {50, 3},  {67, 2},  {100, 1}};
    ASSERT_EQ(table.size(), SourceTypes::editorSpeeds().size());
    for (const auto& [speed, index] : table) EXPECT_EQ(C_JdsuSws::SpeedIndex(speed), index) << speed;

    C_JdsuSws laser;
    int zero = 0;
    EXPECT_NE(laser.SetSpeed(&zero), nullptr);
}

TEST_F(CommandTest, SantecWavelengthIsRoundedToWholePicometres)
{
    const std::vector<std::pair<double, unsigned>> table = {
        {1550.123, 1550123u}, {1550.12345, 1550123u}, {1550.1236, 1550124u}, {1310.0, 1310000u},
        {0.0004, 0u},         {-5.0, 0u},             {1e12, UINT_MAX}};
    for (const auto& [nm, pm] : table) EXPECT_EQ(C_Santec::WavelengthPm(nm), pm) << nm;
}

TEST_F(CommandTest, SourceTypeNames)
{
    EXPECT_EQ(SourceTypes::codeOfConfigurationName("Santec"), 4);
    EXPECT_EQ(SourceTypes::codeOfConfigurationName("JDSU SWS"), 6);
    EXPECT_EQ(SourceTypes::codeOfConfigurationName("VarnelR720R"), 10);
    EXPECT_EQ(SourceTypes::codeOfConfigurationName("santec"), 8);
    EXPECT_EQ(SourceTypes::codeOfConfigurationName(""), 8);
    EXPECT_STREQ(SourceTypes::configurationName(9), "VarnelR720S");
    EXPECT_STREQ(SourceTypes::configurationName(11), "");
    EXPECT_STREQ(SourceTypes::editorText(8), "Other (IEEE 488.2)");
    EXPECT_EQ(SourceTypes::editorText(4), nullptr);
}

}  // namespace
