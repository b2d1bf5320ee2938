// The firmware upgrade never leaves the unit worse than it was: a damaged
// file is refused before the unit is touched, and an upgrade that does not
// complete says that the unit has no usable firmware.

#include <cstdio>
#include <filesystem>
#include <random>

#include "DspFirmware.h"
#include "FileUtil.h"
#include "FlashZones.h"
#include "SimUnitFixture.h"
#include "TempDir.h"
#include "UserMessages.h"

namespace {

class FirmwareUpgradeSimTest : public SimUnitTest {
protected:
    void SetUp() override
    {
        SimUnitTest::SetUp();
        UserMessages::setPresenter([this](UserMessages::Severity, const std::string& caption, const std::string& text) {
            messages.push_back(caption + "|" + text);
        });
        ASSERT_EQ(vemarsim_unit_set_release(111), 0);
        ASSERT_EQ(vemarsim_unit_write_firmware_file(good.c_str(), 112), 0);
        const std::string bytes = readWholeFile(good);
        goodBytes.assign(bytes.begin(), bytes.end());
        codeBefore = userCode();
        vemarsim_unit_clear_record();
    }
    void TearDown() override
    {
        UserMessages::setPresenter({});
        SimUnitTest::TearDown();
    }

    static std::vector<std::uint8_t> userCode()
    {
        std::vector<std::uint8_t> out(FlashZones::userCode.sizeBytes);
        vemarsim_unit_read_flash(FlashZones::userCode.firstWord, out.data(), static_cast<std::uint32_t>(out.size()));
        return out;
    }
    static DspFirmware::ReleaseCheckUi agreeing()
    {
        DspFirmware::ReleaseCheckUi ui;
        ui.askYesNo = [](const std::string&, const std::string&) { return true; };
        return ui;
    }
    static std::pair<int, int> unitStatus()
    {
        int flash = -1, release = -1;
        vemarsim_unit_status(&flash, &release);
        return {flash, release};
    }
    void write(const std::string& path, const std::vector<std::uint8_t>& bytes) const
    {
        writeWholeFile(path, std::string(bytes.begin(), bytes.end()));
    }

    TempDir dir;
    const std::string good = dir.file("VEMAR_DSP V112.out");
    std::vector<std::uint8_t> goodBytes;
    std::vector<std::uint8_t> codeBefore;
    std::vector<std::string> messages;
};

TEST_F(FirmwareUpgradeSimTest, ADamagedFileIsRefusedAndTheUnitIsNotTouched)
{
    ASSERT_EQ(goodBytes.size(), 40070u);
    std::vector<std::uint8_t> random(40070);
    std::mt19937 generator(5);
    for (auto& b : random) b = static_cast<std::uint8_t>(generator());
    std::vector<std::uint8_t> erased(goodBytes.begin(), goodBytes.begin() + 70);
    erased.resize(goodBytes.size(), 0xFF);
    std::vector<std::uint8_t> flipped = goodBytes;
    flipped[20000] ^= 0x04;
    std::vector<std::uint8_t> padded = goodBytes;
    padded.push_back(0);
    const std::string v113 = dir.file("v113.out");
    ASSERT_EQ(vemarsim_unit_write_firmware_file(v113.c_str(), 113), 0);
    std::filesystem::create_directories(dir.file("folder.out"));

    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;  // written to the file unless path is given
        std::string path;
        const char* problem;
    };
    const Case cases[] = {
        {"half an image", {goodBytes.begin(), goodBytes.begin() + 20035}, "", "announces an image of 40000 bytes"},
        {"71 bytes", {goodBytes.begin(), goodBytes.begin() + 71}, "", "announces an image of 40000 bytes"},
        {"the header alone", {goodBytes.begin(), goodBytes.begin() + 70}, "", "announces an image of 40000 bytes"},
        {"random bytes", random, "", "does not name a DSP firmware"},
        {"an erased image", erased, "", "does not begin with an image header"},
        {"a damaged code byte", flipped, "", "check does not match"},
        {"one byte too many", padded, "", "announces an image of 40000 bytes, the file holds 40001"},
        {"empty", {}, "", "the file is empty"},
        {"release 1.13", {}, v113, "it holds DSP release v 1.13, this program needs v 1.12"},
        {"/dev/null", {}, "/dev/null", "not a regular file (a character device)"},
        {"a directory", {}, dir.file("folder.out"), "not a regular file (a directory)"},
    };
    for (const Case& c : cases) {
        const std::string path = c.path.empty() ? dir.file("damaged.out") : c.path;
        if (c.path.empty()) write(path, c.bytes);
        messages.clear();
        vemarsim_unit_clear_record();
        EXPECT_FALSE(DspFirmware::releaseCheck(path, agreeing())) << c.what;
        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_EQ(messages[0].rfind("DSP update|" + path + " can't be used as DSP firmware: ", 0), 0u)
            << c.what << ": " << messages[0];
        EXPECT_NE(messages[0].find(c.problem), std::string::npos) << c.what << ": " << messages[0];
        EXPECT_NE(messages[0].find("Nothing was programmed: the unit keeps its firmware."), std::string::npos)
            << c.what;
        // The release check read the status; nothing else reached the unit.
        for (const auto& command : commands()) EXPECT_EQ(command.code, DSP_GET_STATUS) << c.what;
        EXPECT_EQ(unitStatus(), (std::pair{0, 111})) << c.what;
        EXPECT_EQ(userCode(), codeBefore) << c.what;
    }
}

TEST_F(FirmwareUpgradeSimTest, TheFactoryButtonUsesTheSameProcedure)
{
    write(dir.file("half.out"), {goodBytes.begin(), goodBytes.begin() + 20035});
    DspFirmware::Status shown;
    EXPECT_FALSE(DspFirmware::factoryUpgrade(dir.file("half.out"), shown));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("DSP Error : |" + dir.file("half.out") + " can't be used as DSP firmware: ", 0), 0u)
        << messages[0];
    EXPECT_EQ(shown.release, 111);
    EXPECT_FALSE(shown.flashMode);
    for (const auto& command : commands()) EXPECT_EQ(command.code, DSP_GET_STATUS);
    EXPECT_EQ(unitStatus(), (std::pair{0, 111}));

    // A good file: programmed, rebooted and checked, as the release check does.
    messages.clear();
    EXPECT_TRUE(DspFirmware::factoryUpgrade(good, shown));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(shown.flashMode);
    EXPECT_EQ(shown.release, 112);
    EXPECT_EQ(unitStatus(), (std::pair{0, 112}));

    // Unlike the release check, the factory takes a firmware of another release.
    const std::string v113 = dir.file("v113.out");
    ASSERT_EQ(vemarsim_unit_write_firmware_file(v113.c_str(), 113), 0);
    EXPECT_TRUE(DspFirmware::factoryUpgrade(v113, shown));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(shown.release, 113);
    EXPECT_EQ(unitStatus(), (std::pair{0, 113}));
}

// Cells that do not take their value: every acknowledgement says done, but
// the boot code would find no complete image after the reboot.
TEST_F(FirmwareUpgradeSimTest, AnImageThatDidNotTakeIsNoSuccess)
{
    // Once: the image read back differs, the second pass programs it.
    ASSERT_EQ(vemarsim_unit_inject_fault(VEMARSIM_FAULT_PROGRAM_BIT, 5), 0);
    EXPECT_TRUE(DspFirmware::releaseCheck(good, agreeing()));
    EXPECT_EQ(messages, (std::vector<std::string>{"DSP update|Update completed.\nNew DSP release: V1.12"}));
    EXPECT_EQ(unitStatus(), (std::pair{0, 112}));

    // A worn cell: both passes fail, and the release check says what that leaves.
    ASSERT_EQ(vemarsim_unit_set_release(111), 0);
    ASSERT_EQ(vemarsim_unit_inject_fault(VEMARSIM_FAULT_STUCK_BYTE, FlashZones::userCode.firstWord + 100), 0);
    messages.clear();
    EXPECT_FALSE(DspFirmware::releaseCheck(good, agreeing()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "DSP update|The unit has no usable firmware: programming " + good +
                               " did not complete and only the DSP's boot code runs. The unit cannot measure until "
                               "the firmware is programmed again: " + DspFirmware::windowRetryHint + ".");
    EXPECT_EQ(unitStatus(), (std::pair{1, 0}));

    // The operator does what the text says: the upgrade is offered again and works.
    vemarsim_unit_clear_faults();
    messages.clear();
    EXPECT_TRUE(DspFirmware::releaseCheck(good, agreeing()));
    EXPECT_EQ(messages, (std::vector<std::string>{"DSP update|Update completed.\nNew DSP release: V1.12"}));
    EXPECT_EQ(unitStatus(), (std::pair{0, 112}));
}

TEST_F(FirmwareUpgradeSimTest, ALostAnswerWhileProgrammingIsRetriedOnce)
{
    // An answer of the programming is lost (the first few belong to the statuses, the preparation and the erase).
    ASSERT_EQ(vemarsim_unit_inject_fault(VEMARSIM_FAULT_NO_ANSWER, 20), 0);
    const DspFirmware::UpgradeResult r = DspFirmware::upgrade(good);
    EXPECT_EQ(vemarsim_unit_faults_pending(), 0);
    EXPECT_TRUE(r.done()) << r.text << " / " << r.details;
    // The link's own text stays in the details.
    EXPECT_NE(r.details.find("Error C_DspFlashAccess::"), std::string::npos) << r.details;
    EXPECT_EQ(unitStatus(), (std::pair{0, 112}));
}

// A link fault at each moment of an upgrade: afterwards the unit runs the
// new release and the upgrade says so, or it runs the old one untouched
// and the upgrade says that, or the upgrade said plainly that the unit has
// no usable firmware. Never a success that is not one, never silence.
class FirmwareUpgradeFaultMoments : public FirmwareUpgradeSimTest {
protected:
    void SetUp() override
    {
        FirmwareUpgradeSimTest::SetUp();
        vemarsim_set_time_scale(0.002);
        LinkTiming::setScale(0.002);
    }
};

TEST_F(FirmwareUpgradeFaultMoments, EveryMomentEndsInAStateTheOperatorIsTold)
{
    for (const int fault : {VEMARSIM_FAULT_NO_ANSWER, VEMARSIM_FAULT_UNPLUG, VEMARSIM_FAULT_PROGRAM_BIT}) {
        int moments = 0;
        for (int moment = 0; moment < 400; ++moment) {
            vemarsim_unit_reset();
            ASSERT_EQ(vemarsim_unit_set_release(111), 0);
            ASSERT_EQ(vemarsim_unit_inject_fault(fault, fault == VEMARSIM_FAULT_UNPLUG ? moment + 1 : moment), 0);
            const DspFirmware::UpgradeResult r = DspFirmware::upgrade(good);
            const bool acted = vemarsim_unit_faults_pending() == 0;
            vemarsim_unit_clear_faults();
            vemarsim_unit_set_plugged(1);  // what the operator does after an unplug
            const auto [flash, release] = unitStatus();
            const std::string where = "fault " + std::to_string(fault) + " at " + std::to_string(moment) + ": " +
                                      r.text + " / " + r.details;
            switch (r.outcome) {
            case DspFirmware::UpgradeOutcome::Done:
                EXPECT_EQ(flash, 0) << where;
                EXPECT_EQ(release, 112) << where;
                EXPECT_TRUE(r.text.empty()) << where;
                break;
            case DspFirmware::UpgradeOutcome::NothingProgrammed:
                EXPECT_EQ(userCode(), codeBefore) << where;
                EXPECT_EQ(release, 111) << where;
                EXPECT_FALSE(r.text.empty()) << where;
                break;
            case DspFirmware::UpgradeOutcome::NoFirmware:
                EXPECT_NE(r.text.find("no usable firmware"), std::string::npos) << where;
                break;
            case DspFirmware::UpgradeOutcome::Refused: ADD_FAILURE() << where; break;
            }
            EXPECT_EQ(r.text.find("C_Dsp"), std::string::npos) << where;
            if (!acted) break;  // past the last moment of the upgrade
            ++moments;
        }
        EXPECT_GE(moments, 20) << fault;
        std::printf("fault %d: %d moments\n", fault, moments);
    }
}

}  // namespace
