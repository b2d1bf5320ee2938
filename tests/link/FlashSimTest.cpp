#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <utime.h>

#include "ByteOrder.h"
#include "CalibrationFile.h"
#include "DataCalib2.h"
#include "DspError.h"
#include "DspFirmware.h"
#include "FileUtil.h"
#include "FlashControl.h"
#include "FlashZones.h"
#include "SimUnitFixture.h"
#include "TempDir.h"
#include "UserMessages.h"

namespace {

class FlashSimTest : public SimUnitTest {
protected:
    void SetUp() override
    {
        SimUnitTest::SetUp();
        UserMessages::setPresenter([this](UserMessages::Severity, const std::string& caption, const std::string& text) {
            messages.push_back(caption + "|" + text);
        });
    }
    void TearDown() override
    {
        UserMessages::setPresenter({});
        SimUnitTest::TearDown();
    }

    static std::vector<std::uint8_t> unitFlash(std::uint32_t address, std::size_t bytes)
    {
        std::vector<std::uint8_t> out(bytes);
        EXPECT_EQ(vemarsim_unit_read_flash(address, out.data(), static_cast<std::uint32_t>(bytes)), 0);
        return out;
    }
    static std::vector<std::uint8_t> pattern(std::size_t bytes, unsigned seed)
    {
        std::vector<std::uint8_t> out(bytes);
        for (std::size_t i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>((i * 131 + seed) >> 3);
        return out;
    }
    static void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
    {
        writeWholeFile(path, std::string(bytes.begin(), bytes.end()));
    }
    static std::vector<std::uint8_t> fileBytes(const std::string& path)
    {
        const std::string s = readWholeFile(path);
        return {s.begin(), s.end()};
    }
    static void setUnitStamp(const CalibrationStamp& stamp)
    {
        std::uint8_t bytes[8];
        for (int i = 0; i < 4; ++i) byteorder::writeU16le(bytes + 2 * i, stamp.words[i]);
        vemarsim_unit_write_flash(FlashZones::calibration.firstWord + FlashZones::calibrationStampWord, bytes, 8);
    }
    static void setLocalStamp(const std::string& path, const CalibrationStamp& stamp)
    {
        std::vector<std::uint8_t> bytes = fileBytes(path);
        for (int i = 0; i < 4; ++i) byteorder::writeU16le(bytes.data() + 72 + 2 * i, stamp.words[i]);
        writeBytes(path, bytes);
    }

    std::vector<std::string> messages;
};

TEST_F(FlashSimTest, ProgramBytesSendsPacketsOf2046Bytes)
{
    C_DspFlashManager flash;
    ASSERT_TRUE(flash.EnsureFlashMode());
    flash.SendFlashEraseSector(FlashZones::calibration.eraseMask);
    const std::uint32_t a = FlashZones::calibration.firstWord + 100;
    const auto bytes = pattern(5000, 1);
    vemarsim_unit_clear_record();
    flash.ProgramBytes(a, bytes.data(), 5000);

    std::vector<std::pair<std::uint16_t, std::uint32_t>> orders;
    std::vector<std::uint32_t> dataLengths;
    for (const auto& p : packets()) {
        if (p.data_length != 0)
            dataLengths.push_back(p.data_length);
        else
            orders.emplace_back(DspPacket::decode(p.bytes).count, DspPacket::decode(p.bytes).address);
    }
    using Order = std::pair<std::uint16_t, std::uint32_t>;
    EXPECT_EQ(orders, (std::vector<Order>{{1023, a}, {1023, a + 1023}, {454, a + 2046}}));
    EXPECT_EQ(dataLengths, (std::vector<std::uint32_t>{2048, 2048, 910}));
    EXPECT_EQ(unitFlash(a, 5000), bytes);
}

TEST_F(FlashSimTest, AnOddPayloadIsPaddedWithFF)
{
    C_DspFlashManager flash;
    ASSERT_TRUE(flash.EnsureFlashMode());
    flash.SendFlashEraseSector(FlashZones::identity.eraseMask);
    const std::uint8_t seven[7] = {1, 2, 3, 4, 5, 6, 7};
    vemarsim_unit_clear_record();
    flash.ProgramBytes(FlashZones::identity.firstWord, seven, 7);
    const auto p = packets();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(DspPacket::decode(p[0].bytes).count, 4);
    EXPECT_EQ(p[1].data_length, 10u);
    EXPECT_EQ(p[1].bytes[7], 0xFF);
    EXPECT_EQ(unitFlash(FlashZones::identity.firstWord, 8),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 0xFF}));
}

TEST_F(FlashSimTest, PayloadsOver2046BytesAreRefusedBeforeSending)
{
    C_DspFlashManager flash;
    std::vector<std::uint8_t> big(2047);
    vemarsim_unit_clear_record();
    EXPECT_THROW(flash.SendFlashProgOrder(FlashZones::identity.firstWord, 2047), DspError);
    EXPECT_THROW(flash.SendFlashData(big.data(), 2047), DspError);
    EXPECT_TRUE(packets().empty());
}

TEST_F(FlashSimTest, ACalibrationFileGoesIntoZone1AndComesBackInTwoPieces)
{
    TempDir dir;
    const std::string local = dir.file("Calib/FileAF0417.dat");
    std::filesystem::create_directories(dir.file("Calib"));
    const auto bytes = pattern(40000, 7);
    writeBytes(local, bytes);
    // Last written on 5 March 2014.
    const std::time_t march5 = 1394015400;
    const utimbuf times{march5, march5};
    ASSERT_EQ(::utime(local.c_str(), &times), 0);

    {
        C_DspFlashManager flash;
        ASSERT_TRUE(flash.EnsureFlashMode());
        flash.SendCalibFileZone1(local, 2);
        flash.SendRebootDSP();
    }
    const auto header = unitFlash(FlashZones::calibration.firstWord, 28);
    EXPECT_EQ(byteorder::readU16le(header.data()), 2);
    EXPECT_EQ(byteorder::readU16le(header.data() + 2), 0x1C65);
    EXPECT_EQ(byteorder::readU32le(header.data() + 4), 40000u);
    EXPECT_STREQ(reinterpret_cast<const char*>(header.data() + 8), "FileAF0417.dat");
    EXPECT_EQ(unitFlash(FlashZones::calibration.firstWord + 14, 40000), bytes);

    // Read back in user mode: the header, then 32768 and 7232 bytes.
    TempDir out;
    vemarsim_unit_clear_record();
    C_DspFlashManager flash;
    EXPECT_EQ(flash.ReadFlashCalibFile(out.str()), out.file("FileAF0417.dat"));
    EXPECT_EQ(fileBytes(out.file("FileAF0417.dat")), bytes);
    std::vector<std::uint32_t> readBytes;
    for (const auto& c : commands())
        if (c.code == DSP_USER_FLASH_READ && c.parameter <= 0xFFFF && readBytes.empty()) readBytes.push_back(c.parameter);
    std::vector<std::uint32_t> addresses;
    for (const auto& c : commands())
        if (c.code == DSP_USER_FLASH_ADDRESS) addresses.push_back(c.parameter);
    const std::uint32_t first = FlashZones::calibration.firstWord;
    EXPECT_EQ(addresses, (std::vector<std::uint32_t>{first, first + 14, first + 14 + 16384}));
    std::vector<std::uint32_t> pieceSizes;
    std::uint32_t previous = 0;
    for (const auto& c : commands()) {
        if (c.code == DSP_USER_FLASH_READ && c.parameter > previous) pieceSizes.push_back(c.parameter);
        if (c.code == DSP_USER_FLASH_READ) previous = c.parameter;
        if (c.code == DSP_USER_FLASH_ADDRESS) previous = 0;
    }
    EXPECT_EQ(pieceSizes, (std::vector<std::uint32_t>{28, 32768, 7232}));
}

TEST_F(FlashSimTest, AFileTooBigForItsZoneIsRefusedBeforeAnythingIsErased)
{
    TempDir dir;
    writeBytes(dir.file("big.out"), std::vector<std::uint8_t>(98305, 0x11));
    C_DspFlashManager flash;
    ASSERT_TRUE(flash.EnsureFlashMode());
    const auto before = unitFlash(FlashZones::userCode.firstWord, 64);
    vemarsim_unit_clear_record();
    try {
        flash.UploadUserCode(dir.file("big.out"));
        ADD_FAILURE();
    } catch (const DspError& e) {
        EXPECT_STREQ(e.what(), "C_DspFlashManager::SendCalibFileZone1 : Calibration File too big");
    }
    for (const auto& c : commands()) EXPECT_NE(c.code, DSP_FLASH_ERASE_SECTOR);
    EXPECT_EQ(unitFlash(FlashZones::userCode.firstWord, 64), before);

    try {
        flash.ProgramFile(dir.file("missing"), FlashZones::userCode, 0, 70);
        ADD_FAILURE();
    } catch (const DspError& e) {
        EXPECT_STREQ(e.what(), "C_DspFlashManager::SendCalibFileZone1 : file name doesn't exist");
    }
}

TEST_F(FlashSimTest, FirmwareUpgradeFrom111To112)
{
    ASSERT_EQ(vemarsim_unit_set_release(111), 0);
    TempDir dir;
    const std::string firmware = DspFirmware::requiredFirmwarePath(dir.str());
    std::filesystem::create_directories(dir.file("DSP"));
    ASSERT_EQ(vemarsim_unit_write_firmware_file(firmware.c_str(), 112), 0);

    std::vector<std::string> asked;
    std::vector<bool> waitWindow;
    DspFirmware::ReleaseCheckUi ui;
    ui.askYesNo = [&](const std::string& caption, const std::string& text) {
        asked.push_back(caption + "|" + text);
        return true;
    };
    ui.waitWindow = [&](bool visible) { waitWindow.push_back(visible); };
    EXPECT_TRUE(DspFirmware::releaseCheck(firmware, ui));
    EXPECT_EQ(asked, (std::vector<std::string>{std::string("Invalid DSP release|") + DspFirmware::incompatibleQuestion}));
    EXPECT_EQ(waitWindow, (std::vector<bool>{true, false}));
    EXPECT_EQ(messages, (std::vector<std::string>{"DSP update|Update completed.\nNew DSP release: V1.12"}));

    const DspFirmware::Status now = DspFirmware::readStatus();
    EXPECT_FALSE(now.flashMode);
    EXPECT_EQ(now.release, 112);
    asked.clear();
    EXPECT_TRUE(DspFirmware::releaseCheck(firmware, ui));  // nothing to ask any more
    EXPECT_TRUE(asked.empty());
}

TEST_F(FlashSimTest, ReleaseCheckDeclinedOrWithoutFirmware)
{
    ASSERT_EQ(vemarsim_unit_set_release(111), 0);
    DspFirmware::ReleaseCheckUi no;
    no.askYesNo = [](const std::string&, const std::string&) { return false; };
    EXPECT_FALSE(DspFirmware::releaseCheck("/nonexistent/VEMAR_DSP V112.out", no));
    EXPECT_TRUE(messages.empty());

    DspFirmware::ReleaseCheckUi yes;
    yes.askYesNo = [](const std::string&, const std::string&) { return true; };
    EXPECT_FALSE(DspFirmware::releaseCheck("/nonexistent/VEMAR_DSP V112.out", yes));
    EXPECT_EQ(messages, (std::vector<std::string>{"Invalid file name|Can't find /nonexistent/VEMAR_DSP V112.out"}));
    EXPECT_EQ(DspFirmware::readStatus().release, 111);
}

TEST_F(FlashSimTest, FactoryPageRebootAndUpgrade)
{
    DspFirmware::Status s = DspFirmware::factoryReboot();
    EXPECT_TRUE(s.flashMode);
    EXPECT_EQ(DspFirmware::formatRelease(s.release), "1.12");
    s = DspFirmware::factoryReboot();
    EXPECT_FALSE(s.flashMode);

    // "Upgrade DSP" runs the upgrade of the release check: the file must hold
    // the release this program needs, and the DSP is restarted and checked.
    ASSERT_EQ(vemarsim_unit_set_release(111), 0);
    TempDir dir;
    ASSERT_EQ(vemarsim_unit_write_firmware_file(dir.file("v112.out").c_str(), 112), 0);
    // A DSP that does not go into flash mode gets nothing programmed.
    vemarsim_unit_inject_fault(VEMARSIM_FAULT_IGNORE_COMMAND, DSP_REBOOT);
    vemarsim_unit_clear_record();
    DspFirmware::Status shown;
    EXPECT_FALSE(DspFirmware::factoryUpgrade(dir.file("v112.out"), shown));
    EXPECT_EQ(messages, (std::vector<std::string>{"DSP Error : |Dsp can reboot in RWFlash Mode"}));
    for (const auto& c : commands()) EXPECT_NE(c.code, DSP_FLASH_ERASE_SECTOR);
    EXPECT_FALSE(shown.flashMode);
    EXPECT_EQ(shown.release, 111);

    EXPECT_TRUE(DspFirmware::factoryUpgrade(dir.file("v112.out"), shown));
    EXPECT_FALSE(shown.flashMode);
    EXPECT_EQ(shown.release, 112);
    int flash = 1, release = 0;
    vemarsim_unit_status(&flash, &release);
    EXPECT_EQ(flash, 0);
    EXPECT_EQ(release, 112);
}

TEST_F(FlashSimTest, IdentityRewrite)
{
    FlashControl control;
    control.ReadIdentity();
    ASSERT_TRUE(control.IsValid());
    EXPECT_EQ(control.identity().serialText(), "S/NAF0417");
    EXPECT_EQ(control.CalibrationFileName(), "FileAF0417.dat");
    EXPECT_EQ(control.CalibrationKind(), 2);
    EXPECT_EQ(control.ReadZoneCalibrationKind(), 2);

    IdentityRecord changed = control.identity();
    changed.setDetectors(2);
    changed.setUnusedWord(0, 0xABCD);
    control.setIdentity(changed);
    control.WriteIdentity();

    int flash = 1, release = 0;
    vemarsim_unit_status(&flash, &release);
    EXPECT_EQ(flash, 0);  // back in the user code
    FlashControl reread;
    reread.ReadIdentity();
    EXPECT_EQ(reread.identity(), changed);
}

TEST_F(FlashSimTest, AFailedIdentityReadLeavesAZeroRecord)
{
    FlashControl control;
    control.ReadIdentity();
    ASSERT_TRUE(control.IsValid());
    // The answers of a user-mode read: status, address acknowledgement, data block.
    for (auto [fault, arg] : {std::pair{VEMARSIM_FAULT_BLOCK_CHECKSUM, 0}, std::pair{VEMARSIM_FAULT_NO_ANSWER, 2}}) {
        vemarsim_unit_inject_fault(fault, arg);
        EXPECT_THROW(control.ReadIdentity(), DspError);
        EXPECT_EQ(control.identity(), IdentityRecord());
        control.ReadIdentity();
        EXPECT_TRUE(control.IsValid());
    }
    // The same in flash mode (boot-mode reads).
    ASSERT_TRUE(control.EnsureFlashMode());
    vemarsim_unit_inject_fault(VEMARSIM_FAULT_BLOCK_CHECKSUM, 0);
    try {
        control.ReadIdentity();
        ADD_FAILURE();
    } catch (const DspError& e) {
        EXPECT_STREQ(e.what(), "Error C_DspFlashAccess::FlashRead() Error during Flash read");
    }
    EXPECT_EQ(control.identity(), IdentityRecord());
    control.ReadIdentity();
    EXPECT_TRUE(control.IsValid());
}

TEST_F(FlashSimTest, CalibrationFileFollowsTheStampRule)
{
    TempDir dir;
    FlashControl control;
    int questions = 0;
    bool answer = false;
    const FlashControl::Confirm confirm = [&](const std::string& caption, const std::string& text) {
        EXPECT_EQ(caption, "Warning");
        EXPECT_EQ(text, FlashControl::outdatedQuestion);
        ++questions;
        return answer;
    };

    // No local file: copied from the unit, a valid kind-2 calibration.
    const std::string path = control.CheckCalibrationFile(dir.str(), false, confirm);
    EXPECT_EQ(path, dir.file("FileAF0417.dat"));
    EXPECT_EQ(std::filesystem::file_size(path), 22290u);
    DataCalib2 image;
    const auto read = readCalibrationFile(path, image);
    EXPECT_EQ(read.status, CalibrationFileStatus::Complete);
    EXPECT_EQ(read.header.identity.serialText(), "S/NAF0417");
    EXPECT_EQ(questions, 0);

    struct Case {
        CalibrationStamp local, unit;
        bool asked;
    };
    const Case cases[] = {
        {{{114, 2, 5, 10}}, {{114, 2, 5, 10}}, false},
        {{{114, 2, 5, 10}}, {{114, 2, 5, 11}}, true},
        {{{114, 3, 1, 0}}, {{114, 2, 28, 23}}, false},
    };
    for (const Case& c : cases) {
        setLocalStamp(path, c.local);
        setUnitStamp(c.unit);
        questions = 0;
        answer = false;
        control.CheckCalibrationFile(dir.str(), false, confirm);
        EXPECT_EQ(questions, c.asked ? 1 : 0);
        EXPECT_EQ(readCalibrationFileHeader(path).header.stamp, c.local);  // Cancel keeps it
    }

    // The unit's copy is newer and the user agrees: replaced.
    setLocalStamp(path, {{114, 2, 5, 10}});
    setUnitStamp({{118, 5, 14, 9}});
    answer = true;
    messages.clear();
    control.CheckCalibrationFile(dir.str(), false, confirm);
    EXPECT_EQ(readCalibrationFileHeader(path).header.stamp, (CalibrationStamp{{118, 5, 14, 9}}));
    EXPECT_EQ(messages, (std::vector<std::string>{"Success|The calibration file has been successfully replaced.\n"}));

    // Forced: copied again whatever the stamps say.
    setLocalStamp(path, {{200, 0, 0, 0}});
    control.CheckCalibrationFile(dir.str(), true, confirm);
    EXPECT_EQ(readCalibrationFileHeader(path).header.stamp, (CalibrationStamp{{118, 5, 14, 9}}));
}

TEST_F(FlashSimTest, ALocalCalibrationGoesBackIntoTheUnit)
{
    TempDir dir;
    FlashControl control;
    const std::string path = control.CheckCalibrationFile(dir.str(), false);
    DataCalib2 image;
    auto read = readCalibrationFile(path, image);
    image.setScaleValue(0.0777);
    ASSERT_TRUE(writeCalibrationFile(path, read.header.identity, image, CalibrationStamp{{124, 0, 2, 8}}));

    control.ProgramCalibrationFile(dir.str());
    int flash = 1, release = 0;
    vemarsim_unit_status(&flash, &release);
    EXPECT_EQ(flash, 0);
    const auto header = unitFlash(FlashZones::calibration.firstWord, 28);
    EXPECT_EQ(byteorder::readU32le(header.data() + 4), 22290u);
    EXPECT_EQ(unitFlash(FlashZones::calibration.firstWord + 14, 22290), fileBytes(path));
    EXPECT_FALSE(control.IsLocalFileOlder(path));

    // And back again into another folder.
    TempDir other;
    control.CheckCalibrationFile(other.str(), false);
    EXPECT_EQ(fileBytes(other.file("FileAF0417.dat")), fileBytes(path));
}

TEST_F(FlashSimTest, ADamagedLocalFileIsNeverProgrammed)
{
    TempDir dir;
    FlashControl control;
    const std::string path = control.CheckCalibrationFile(dir.str(), false);
    const std::vector<std::uint8_t> good = fileBytes(path);
    const std::size_t zoneBytes = FlashZones::calibrationHeaderBytes + good.size();
    const std::vector<std::uint8_t> before = unitFlash(FlashZones::calibration.firstWord, zoneBytes);

    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    };
    std::vector<std::uint8_t> short1(good.begin(), good.end() - 1);
    std::vector<std::uint8_t> zeroed(good.size(), 0);
    std::vector<std::uint8_t> wrongTables = good;
    wrongTables[82] = 0xFF;  // the base word is fine, table A is not
    wrongTables[82 + 10] = 0xFF;
    wrongTables[82 + 11] = 0xFF;
    const Case cases[] = {
        {"empty", {}},
        {"one byte short", short1},
        {"zeroed", zeroed},
        {"a code above the converter", wrongTables},
    };
    for (const Case& c : cases) {
        writeBytes(path, c.file);
        vemarsim_unit_clear_record();
        try {
            control.ProgramCalibrationFile(dir.str());
            ADD_FAILURE() << c.what;
        } catch (const DspError& e) {
            EXPECT_NE(std::string(e.what()).find("FlashControl::ProgramCalibrationFile : The calibration file " + path +
                                                 " is damaged: "),
                      std::string::npos)
                << e.what();
        }
        for (const auto& command : commands()) EXPECT_NE(command.code, DSP_FLASH_ERASE_SECTOR) << c.what;
        EXPECT_EQ(unitFlash(FlashZones::calibration.firstWord, zoneBytes), before) << c.what;
        // Back in the user code, as after a programming.
        int flash = 1, release = 0;
        vemarsim_unit_status(&flash, &release);
        EXPECT_EQ(flash, 0) << c.what;
    }
}

TEST_F(FlashSimTest, ADamagedCopyInTheUnitNeverReplacesTheLocalFile)
{
    TempDir dir;
    FlashControl control;
    const std::string path = control.CheckCalibrationFile(dir.str(), false);
    const std::vector<std::uint8_t> good = fileBytes(path);
    // Table A of the unit's copy gets codes no converter gives, and the
    // unit's stamp is made newer so that the copy is offered.
    const std::uint8_t wrong[2] = {0xFF, 0xFF};
    ASSERT_EQ(vemarsim_unit_write_flash(FlashZones::calibration.firstWord + 14 + (82 + 10) / 2, wrong, 2), 0);
    setUnitStamp({{130, 1, 1, 1}});

    // "Reset Calibration" (forced) and an agreed replacement of an older file.
    for (const bool force : {true, false}) {
        try {
            control.CheckCalibrationFile(dir.str(), force, [](const std::string&, const std::string&) { return true; });
            ADD_FAILURE() << "force " << force;
        } catch (const DspError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(FlashControl::unitCopyDamagedText, 0), 0u) << e.what();
            EXPECT_NE(std::string(e.what()).find("the local file " + path + " is kept"), std::string::npos);
        }
        EXPECT_EQ(fileBytes(path), good) << "force " << force;
        // Nothing is left beside it.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.str()), {}), 1);
    }
}

TEST_F(FlashSimTest, UnsafeStoredNamesAreRefused)
{
    struct Case {
        const char* name;
        std::size_t length;  // bytes written into the 20-byte field
    };
    const Case cases[] = {
        {"../evil.dat", 12}, {"a/b.dat", 8}, {"a\\b.dat", 8}, {"x..dat", 7}, {"", 1}, {"FileAF0417_TOO_LONG_", 20},
    };
    TempDir dir;
    const std::string folder = dir.file("Calib/");
    for (const Case& c : cases) {
        std::uint8_t field[20] = {};
        std::memcpy(field, c.name, c.length);
        vemarsim_unit_write_flash(FlashZones::calibration.firstWord + 4, field, 20);
        C_DspFlashManager flash;
        try {
            flash.ReadFlashCalibFile(folder);
            ADD_FAILURE() << c.name;
        } catch (const DspError& e) {
            EXPECT_STREQ(e.what(), "C_DspFlashManager::ReadFlashCalibFile : Calibration File name error") << c.name;
        }
        EXPECT_FALSE(std::filesystem::exists(dir.file("evil.dat")));
        EXPECT_TRUE(!std::filesystem::exists(folder) || std::filesystem::is_empty(folder)) << c.name;
    }
}

TEST_F(FlashSimTest, AnEmptyZoneOrAnImpossibleSizeWritesNothing)
{
    TempDir dir;
    const std::uint8_t blank[2] = {0xFF, 0xFF};
    vemarsim_unit_write_flash(FlashZones::calibration.firstWord, blank, 2);
    C_DspFlashManager flash;
    EXPECT_EQ(flash.ReadFlashCalibFile(dir.str()), "");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    std::uint8_t header[8];
    byteorder::writeU16le(header, 2);
    byteorder::writeU16le(header + 2, 0);
    byteorder::writeU32le(header + 4, 98304);
    vemarsim_unit_write_flash(FlashZones::calibration.firstWord, header, 8);
    EXPECT_THROW(flash.ReadFlashCalibFile(dir.str()), DspError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(FlashSimTest, StoredNamesAndDates)
{
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"/home/u/Calib/FileAF1234.dat", "FileAF1234.dat"},
        {"/x/FileQX77/FileAF1.dat", "FileQX77/FileAF1.dat"},  // the earlier of the two last occurrences
        {"/x/FileAF2/FileQX1.dat", "FileAF2/FileQX1.dat"},
        {"File0042.dat", "File0042.dat"},
        {"/a/long/path/File0042.dat", "/a/long/path/File0042.dat"},
    };
    for (const Case& c : cases) EXPECT_EQ(C_DspFlashManager::StoredCalibrationName(c.path), c.name);
    EXPECT_EQ(C_DspFlashManager::CalibrationDateWord(1394015400), 0x1C65);  // 5 March 2014

    TempDir dir;
    const std::string path = dir.file("File0042_long_name.dat");
    writeWholeFile(path, "x");
    C_DspFlashManager flash;
    try {
        flash.SendCalibFileZone1(path, 2);
        ADD_FAILURE();
    } catch (const DspError& e) {
        EXPECT_STREQ(e.what(), "C_DspFlashManager::SendCalibFileZone1 : Calibration File name too long");
    }
}

}  // namespace
