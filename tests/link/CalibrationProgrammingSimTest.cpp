// Programming the calibration into the unit never leaves it worse than the
// operator is told: afterwards the unit holds its old calibration, or the
// new one complete and read back, or the text says that its calibration is
// missing or incomplete, the local copy is intact and how to program it
// again. The local copy is never touched.

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "ByteOrder.h"
#include "CalibrationFile.h"
#include "DataCalib2.h"
#include "DspError.h"
#include "FileUtil.h"
#include "FlashControl.h"
#include "FlashZones.h"
#include "SimUnitFixture.h"
#include "TempDir.h"

namespace {

class CalibrationProgrammingSimTest : public SimUnitTest {
protected:
    void SetUp() override
    {
        SimUnitTest::SetUp();
        FlashControl control;
        local = control.CheckCalibrationFile(dir.str(), false);
        DataCalib2 image;
        const auto read = readCalibrationFile(local, image);
        ASSERT_TRUE(read.usable());
        image.setScaleValue(0.0777);
        ASSERT_TRUE(writeCalibrationFile(local, read.header.identity, image, CalibrationStamp{{124, 0, 2, 8}}));
        localBytes = readWholeFile(local);
        localTime = modified(local);
        oldZone = zone();

        // What the zone holds once the local file is stored: its header, then the file.
        std::uint8_t header[FlashZones::calibrationHeaderBytes] = {};
        byteorder::writeU16le(header, 2);
        struct stat info {};
        ASSERT_EQ(::stat(local.c_str(), &info), 0);
        byteorder::writeU16le(header + 2, C_DspFlashManager::CalibrationDateWord(info.st_mtime));
        byteorder::writeU32le(header + 4, static_cast<std::uint32_t>(localBytes.size()));
        std::snprintf(reinterpret_cast<char*>(header + 8), 20, "FileAF0417.dat");
        newZone.assign(reinterpret_cast<const char*>(header), sizeof header);
        newZone += localBytes;
        ASSERT_NE(newZone, oldZone);
    }

    static std::string zone()
    {
        std::string out(FlashZones::calibrationHeaderBytes + 22290, '\0');
        vemarsim_unit_read_flash(FlashZones::calibration.firstWord, out.data(), static_cast<std::uint32_t>(out.size()));
        return out;
    }
    static std::int64_t modified(const std::string& path)
    {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    }
    static int flashMode()
    {
        int flash = -1, release = 0;
        vemarsim_unit_status(&flash, &release);
        return flash;
    }

    struct Run {
        std::string text;  // empty for a success
        bool faultActed = false;
    };
    // Programs, then checks the state against what the operator was told.
    Run programAndCheck(const std::string& where)
    {
        Run run;
        try {
            FlashControl control;
            control.ProgramCalibrationFile(dir.str());
        } catch (const std::exception& e) {
            run.text = e.what();
        }
        run.faultActed = vemarsim_unit_faults_pending() == 0;
        const int flash = flashMode();
        vemarsim_unit_clear_faults();
        vemarsim_unit_set_plugged(1);  // what the operator does after an unplug
        const std::string now = zone();
        const std::string& text = run.text;
        EXPECT_EQ(readWholeFile(local), localBytes) << where;
        EXPECT_EQ(modified(local), localTime) << where;
        EXPECT_EQ(text.find("C_Dsp"), std::string::npos) << where << ": " << text;
        if (text.empty()) {
            EXPECT_TRUE(now == newZone) << where;
            EXPECT_EQ(flash, 0) << where;
        } else if (text.find("The unit's calibration is missing or incomplete") == 0) {
            EXPECT_NE(text.find("The local copy " + local + " is intact."), std::string::npos) << where << ": " << text;
        } else if (text.find("was stored in the unit and read back") != std::string::npos) {
            EXPECT_TRUE(now == newZone) << where << ": " << text;
        } else {
            EXPECT_NE(text.find("the unit keeps its calibration"), std::string::npos) << where << ": " << text;
            EXPECT_TRUE(now == oldZone) << where << ": " << text;
        }
        // A unit left in its boot code is never left without a word.
        if (flash == 1) {
            EXPECT_NE(text.find("unplug the unit and plug it in again"), std::string::npos) << where << ": " << text;
        }
        return run;
    }

    TempDir dir;
    std::string local;
    std::string localBytes;
    std::int64_t localTime = 0;
    std::string oldZone;
    std::string newZone;
};

TEST_F(CalibrationProgrammingSimTest, AGoodFileIsStoredAndReadBack)
{
    EXPECT_EQ(programAndCheck("no fault").text, "");
}

// A worn cell in the zone: the file never reads back as it was sent.
TEST_F(CalibrationProgrammingSimTest, AZoneThatDoesNotTakeTheFileIsReportedAndTheUnitGoesBackToWork)
{
    ASSERT_EQ(vemarsim_unit_inject_fault(VEMARSIM_FAULT_STUCK_BYTE, FlashZones::calibration.firstWord + 500), 0);
    std::string text;
    try {
        FlashControl control;
        control.ProgramCalibrationFile(dir.str());
        ADD_FAILURE();
    } catch (const DspError& e) {
        text = e.what();
    }
    EXPECT_EQ(text, "The unit's calibration is missing or incomplete: storing " + local +
                        " in the unit did not complete. The local copy " + local +
                        " is intact. To program it again, press \"Prog Calib File\" again.");
    EXPECT_EQ(flashMode(), 0);  // back in its user code
    EXPECT_EQ(readWholeFile(local), localBytes);
    // What is left in the zone holds no file: the next detection neither
    // offers it as newer nor copies it over the local file.
    FlashControl control;
    EXPECT_EQ(control.ReadZoneCalibrationKind(), 0);
    int questions = 0;
    control.CheckCalibrationFile(dir.str(), false, [&questions](const std::string&, const std::string&) {
        ++questions;
        return true;
    });
    EXPECT_EQ(questions, 0);
    control.CheckCalibrationFile(dir.str(), true);
    EXPECT_EQ(readWholeFile(local), localBytes);

    // The operator does what the text says.
    vemarsim_unit_clear_faults();
    EXPECT_EQ(programAndCheck("again").text, "");
}

TEST_F(CalibrationProgrammingSimTest, AnEmptyZoneIsNeverNewerThanTheLocalFile)
{
    // An erased zone reads 0xFFFF everywhere, its "stamp" too.
    const std::string erased(oldZone.size(), '\xFF');
    ASSERT_EQ(vemarsim_unit_write_flash(FlashZones::calibration.firstWord, erased.data(),
                                        static_cast<std::uint32_t>(erased.size())),
              0);
    FlashControl control;
    EXPECT_FALSE(control.IsLocalFileOlder(local));
    int questions = 0;
    control.CheckCalibrationFile(dir.str(), false, [&questions](const std::string&, const std::string&) {
        ++questions;
        return true;
    });
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(readWholeFile(local), localBytes);
}

// A fault at each moment of the programming, one moment after the other,
// until the programming ends before the fault's moment comes.
class CalibrationProgrammingFaultMoments : public CalibrationProgrammingSimTest {
protected:
    void SetUp() override
    {
        CalibrationProgrammingSimTest::SetUp();
        vemarsim_set_time_scale(0.002);
        LinkTiming::setScale(0.002);
    }
};

TEST_F(CalibrationProgrammingFaultMoments, EveryMomentEndsInAStateTheOperatorIsTold)
{
    for (const int fault : {VEMARSIM_FAULT_NO_ANSWER, VEMARSIM_FAULT_UNPLUG, VEMARSIM_FAULT_PROGRAM_BIT}) {
        int moments = 0;
        for (int moment = 0; moment < 400; ++moment) {
            vemarsim_unit_reset();
            ASSERT_EQ(vemarsim_unit_inject_fault(fault, fault == VEMARSIM_FAULT_UNPLUG ? moment + 1 : moment), 0);
            const Run run = programAndCheck("fault " + std::to_string(fault) + " at " + std::to_string(moment));
            if (!run.faultActed) break;
            ++moments;
        }
        EXPECT_GE(moments, fault == VEMARSIM_FAULT_PROGRAM_BIT ? 12 : 40) << fault;
    }
}

TEST_F(CalibrationProgrammingFaultMoments, RandomLinkFaults)
{
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        vemarsim_unit_reset();
        vemarsim_unit_set_random_faults(0.04, seed);
        programAndCheck("seed " + std::to_string(seed));
        vemarsim_unit_set_random_faults(0.0, 0);
    }
}

}  // namespace
