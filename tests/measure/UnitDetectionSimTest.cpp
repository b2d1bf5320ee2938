// The one device detection of both programs against the simulated unit:
// what it finds, what it asks its caller (the upgrade of another DSP
// release with its wait window, the replacement of an outdated local
// calibration file) and what it leaves alone when nobody answers.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DspFirmware.h"
#include "FlashControl.h"
#include "SimUnitFixture.h"
#include "TempDir.h"
#include "UnitDetection.h"
#include "UserMessages.h"
#include "vemar_sim_usb.h"

namespace {

using Strings = std::vector<std::string>;

class UnitDetectionSimTest : public SimUnitTest {
protected:
    void SetUp() override
    {
        SimUnitTest::SetUp();
        UserMessages::setPresenter([this](UserMessages::Severity, const std::string& caption, const std::string& text) {
            messages.push_back(caption + "|" + text);
        });
        questions.upgrade.askYesNo = [this](const std::string& caption, const std::string& text) {
            asked.push_back(caption + "|" + text);
            return answerYes;
        };
        questions.upgrade.waitWindow = [this](bool visible) { waitWindow.push_back(visible); };
        questions.firmwarePath = DspFirmware::requiredFirmwarePath(program.str());
        questions.replaceOutdated = [this](const std::string& caption, const std::string& text) {
            asked.push_back(caption + "|" + text);
            return answerYes;
        };
    }
    void TearDown() override
    {
        UserMessages::setPresenter({});
        vemarsim_unit_set_plugged(1);
        SimUnitTest::TearDown();
    }

    void writeFirmware()
    {
        std::filesystem::create_directories(program.path() / "DSP");
        ASSERT_EQ(vemarsim_unit_write_firmware_file(questions.firmwarePath.c_str(), 112), 0);
    }

    TempDir calib;
    TempDir program;
    UnitQuestions questions;
    bool answerYes = false;
    Strings asked;
    Strings messages;
    std::vector<bool> waitWindow;
};

TEST_F(UnitDetectionSimTest, NoUnitOnUsb)
{
    vemarsim_unit_set_plugged(0);
    const UnitState state = detectUnit(calib.str(), questions);
    EXPECT_EQ(state.presence, UnitState::Presence::Absent);
    EXPECT_FALSE(state.usable());
    EXPECT_FALSE(state.identity.isValid());
    EXPECT_TRUE(asked.empty());
}

TEST_F(UnitDetectionSimTest, UnitOfTheRightReleaseAsksNothing)
{
    const UnitState state = detectUnit(calib.str(), questions);
    EXPECT_TRUE(state.usable());
    EXPECT_EQ(state.status.release, 112);
    EXPECT_FALSE(state.upgraded);
    EXPECT_TRUE(state.identity.isValid());
    // The local calibration file was missing: copied from the unit.
    EXPECT_EQ(state.calibrationFile, calib.file(calibrationFileName(state.identity)));
    EXPECT_TRUE(std::filesystem::exists(state.calibrationFile));
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(waitWindow.empty());
}

TEST_F(UnitDetectionSimTest, AnotherReleaseOffersTheUpgrade)
{
    const std::string question =
        std::string(DspFirmware::incompatibleCaption) + "|" + DspFirmware::incompatibleQuestion;
    struct Case {
        const char* name;
        bool ask;        // the caller has the question
        bool answerYes;
        bool firmware;   // the firmware file lies beside the program
        bool usable;
        int releaseAfter;
        Strings asked;
        Strings messages;
        std::vector<bool> waitWindow;
    };
    const std::vector<Case> cases = {
        {"nobody to ask", false, false, true, false, 111, {}, {}, {}},
        {"declined", true, false, true, false, 111, {question}, {}, {}},
        {"agreed, no file", true, true, false, false, 111, {question},
         {"Invalid file name|Can't find " + questions.firmwarePath}, {}},
        {"agreed", true, true, true, true, 112, {question}, {"DSP update|Update completed.\nNew DSP release: V1.12"},
         {true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vemarsim_unit_reset();
        ASSERT_EQ(vemarsim_unit_set_release(111), 0);
        std::filesystem::remove_all(program.path() / "DSP");
        std::filesystem::remove_all(calib.path());
        std::filesystem::create_directories(calib.path());
        if (c.firmware) writeFirmware();
        asked.clear();
        messages.clear();
        waitWindow.clear();
        answerYes = c.answerYes;
        UnitQuestions q = questions;
        if (!c.ask) q.upgrade = {};

        const UnitState state = detectUnit(calib.str(), q);
        EXPECT_EQ(state.presence, UnitState::Presence::Present);
        EXPECT_EQ(state.usable(), c.usable);
        EXPECT_EQ(state.upgraded, c.usable);
        EXPECT_EQ(state.status.release, c.releaseAfter);
        EXPECT_EQ(DspFirmware::readStatus().release, c.releaseAfter);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(waitWindow, c.waitWindow);
        // The calibration file is checked only on a usable unit.
        EXPECT_EQ(state.calibrationFile.empty(), !c.usable);
        EXPECT_EQ(std::filesystem::is_empty(calib.path()), !c.usable);
    }
}

TEST_F(UnitDetectionSimTest, OutdatedLocalCalibrationFileIsReplacedOnlyWhenTheCallerAgrees)
{
    const UnitState first = detectUnit(calib.str(), questions);
    ASSERT_TRUE(first.usable());
    ASSERT_FALSE(first.calibrationOutdated);
    const std::string path = first.calibrationFile;
    const auto stampOf = [&path] {
        std::ifstream in(path, std::ios::binary);
        in.seekg(72);
        std::string stamp(8, '\0');
        in.read(stamp.data(), 8);
        return stamp;
    };
    const std::string unitStamp = stampOf();
    ASSERT_NE(unitStamp, std::string(8, '\0'));
    const auto ageLocalFile = [&path] {
        std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(72);
        f.write(std::string(8, '\0').data(), 8);
    };
    const std::string outdated = std::string(FlashControl::outdatedCaption) + "|" + FlashControl::outdatedQuestion;

    for (const bool agree : {false, true}) {
        SCOPED_TRACE(agree ? "OK" : "Cancel");
        ageLocalFile();
        asked.clear();
        answerYes = agree;
        const UnitState state = detectUnit(calib.str(), questions);
        EXPECT_TRUE(state.usable());
        EXPECT_TRUE(state.calibrationOutdated);
        EXPECT_EQ(asked, Strings{outdated});
        EXPECT_EQ(stampOf(), agree ? unitStamp : std::string(8, '\0'));
    }

    // Without the question the local file stays as it is, and the state says so.
    ageLocalFile();
    const UnitState quiet = detectUnit(calib.str());
    EXPECT_TRUE(quiet.calibrationOutdated);
    EXPECT_EQ(stampOf(), std::string(8, '\0'));
}

TEST_F(UnitDetectionSimTest, DamagedLocalCalibrationFileIsNamedNotCalledOutdated)
{
    const UnitState first = detectUnit(calib.str(), questions);
    ASSERT_TRUE(first.usable());
    EXPECT_TRUE(first.calibrationProblem.empty()) << first.calibrationProblem;
    const std::string path = first.calibrationFile;
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);

    const UnitState state = detectUnit(calib.str());
    EXPECT_TRUE(state.usable());
    EXPECT_NE(state.calibrationProblem.find("The calibration file " + path + " is damaged"), std::string::npos)
        << state.calibrationProblem;
}

}  // namespace
