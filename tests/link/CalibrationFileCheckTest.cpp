// Damaged calibration files: each is refused with a text that names what is
// wrong, a good one in either form is accepted, a missing one is told apart.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "ByteOrder.h"
#include "CalibrationFile.h"
#include "DataCalib1.h"
#include "DataCalib2.h"
#include "FileUtil.h"
#include "TempDir.h"

namespace {

IdentityRecord unit(const char* serial = "S/NAF0417", int detectors = 4)
{
    IdentityRecord r;
    r.setSerialText(serial);
    r.setLaserInputs(2);
    r.setDetectors(static_cast<std::uint16_t>(detectors));
    r.setCalibrationKind(2);
    r.setHardwareCode(3);
    return r;
}

// A plausible calibration of the given layout, shaped like a factory one.
void fillCalibration(DataCalib& c)
{
    const int n = c.frequencyPoints();
    const int m = c.shortTableLength();
    c.setBaseValue(10.0);
    for (int d = 0; d < 4; ++d) c.setDetectorWord(d, 3750);
    for (int i = 0; i < m; ++i) {
        c.setTableBValue(i, 0.5 * i);
        c.setTableA(i, static_cast<std::uint16_t>(4000 - 25 * i));
        for (int d = 0; d < 4; ++d) c.setDetectorTable(d, i, static_cast<std::uint16_t>(3990 - 26 * i + d));
    }
    std::vector<double> response(static_cast<std::size_t>(n));
    for (int d = 0; d < 4; ++d) {
        for (int i = 0; i < n; ++i) response[static_cast<std::size_t>(i)] = 0.05 * d - 0.1 + 0.2 * std::sin(i / 30.0);
        c.setResponseValues(d, response);
    }
    for (int i = 0; i < n; ++i) {
        c.setLevelTable1(i, static_cast<std::uint16_t>(2600 - i));
        c.setLevelTable2(i, static_cast<std::uint16_t>(2400 - i / 2));
    }
    for (int t = 0; t < c.frequencyTables(); ++t) {
        c.setReferenceValue(t, 1000.0 + 100.0 * t);
        for (int i = 0; i < n; ++i)
            c.setFrequencyValueGHz(t, i, c.startFrequencyGHz() - c.frequencyStepGHz() * i - 45.0 + 4.0 * t);
    }
    for (int k = 0; k < c.extTableLength(); ++k) c.setExtTable(k, static_cast<std::uint16_t>(100 + 130 * k));
    c.setScaleValue(0.0823);
}

std::string writtenFile(const IdentityRecord& identity)
{
    TempDir dir;
    DataCalib2 image;
    fillCalibration(image);
    const std::string path = dir.file("File.dat");
    EXPECT_TRUE(writeCalibrationFile(path, identity, image, CalibrationStamp{{118, 5, 14, 9}}));
    return readWholeFile(path);
}

std::string goodFile(const IdentityRecord& identity)
{
    return writtenFile(identity);
}

std::string goodFile()
{
    static const std::string file = writtenFile(unit());
    return file;
}

// Byte offset of an image word in the file.
std::size_t at(std::size_t word) { return CalibrationFileHeader::size + 2 * word; }

void setWord(std::string& file, std::size_t byteOffset, std::uint16_t value)
{
    byteorder::writeU16le(reinterpret_cast<std::uint8_t*>(file.data()) + byteOffset, value);
}

const DataCalib::FieldOffsets& fields()
{
    static const DataCalib2 layout;
    return layout.offsets();
}

TEST(CalibrationFileCheck, DamagedFilesAreRefusedWithWhatIsWrong)
{
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        const char* problem;  // a part of the text that must name the fault
    };
    const DataCalib::FieldOffsets& o = fields();
    const Case cases[] = {
        {"one byte short", [](std::string& f) { f.pop_back(); },
         "22289 bytes long, where a calibration file of kind 2 has 22290 bytes (22278 in the older form)"},
        {"one byte more", [](std::string& f) { f.push_back('\0'); }, "22291 bytes long"},
        {"half a file", [](std::string& f) { f.resize(f.size() / 2); }, "11145 bytes long"},
        {"17 bytes", [](std::string& f) { f.resize(17); }, "17 bytes long"},
        {"empty", [](std::string& f) { f.clear(); }, "the file is empty"},
        {"zeroed", [](std::string& f) { f.assign(f.size(), '\0'); }, "calibration kind 0, not 1 or 2"},
        {"all 0xFF", [](std::string& f) { f.assign(f.size(), '\xFF'); }, "calibration kind 65535, not 1 or 2"},
        {"random image",
         [](std::string& f) {
             std::mt19937 random(5);
             for (std::size_t i = CalibrationFileHeader::size; i < f.size(); ++i) f[i] = static_cast<char>(random());
         },
         "table A (output monitor codes)"},
        {"a kind-1 file",
         [](std::string& f) {
             f.resize(CalibrationFileHeader::size + DataCalib1::imageBytes);
             setWord(f, CalibrationFileHeader::kindOffset, 1);
         },
         "it is a calibration of kind 1, the unit's is of kind 2"},
        {"kind word 1 in a kind-2 file", [](std::string& f) { setWord(f, CalibrationFileHeader::kindOffset, 1); },
         "it is a calibration of kind 1, the unit's is of kind 2"},
        {"no serial number", [](std::string& f) { f[0] = 'X'; }, "holds no serial number"},
        {"another unit's file", [](std::string& f) { f[8] = '9'; }, "it belongs to the unit AF0419, not to AF0417"},
        {"no detector", [](std::string& f) { setWord(f, IdentityRecord::detectorsOffset, 0); },
         "names 2 laser inputs and 0 detectors"},
        {"stamp of zeros",
         [](std::string& f) {
             for (int i = 0; i < 4; ++i) setWord(f, CalibrationFileHeader::stampOffset + 2 * i, 0);
         },
         "its stamp {0, 0, 0, 0} is not a date"},
        {"month 12", [](std::string& f) { setWord(f, CalibrationFileHeader::stampOffset + 2, 12); }, "is not a date"},
        {"output code above the converter", [&o](std::string& f) { setWord(f, at(o.tableA + 3), 4096); },
         "table A (output monitor codes) holds 4096 at point 3, above the converter's largest code 4095"},
        {"output codes rise", [&o](std::string& f) { setWord(f, at(o.tableA + 7), 3990); },
         "table A (output monitor codes) rises at point 7"},
        {"flat output codes",
         [&o](std::string& f) {
             for (int i = 0; i < 140; ++i) setWord(f, at(o.tableA + i), 2000);
         },
         "table A (output monitor codes) is flat at 2000"},
        {"level axis falls", [&o](std::string& f) { setWord(f, at(o.tableB + 9), 0); },
         "the level axis (table B) falls at point 9"},
        {"detector word above the converter", [&o](std::string& f) { setWord(f, at(o.detectorWords + 1), 60000); },
         "detector word 2 is 60000"},
        {"detector 3 code above the converter", [&o](std::string& f) { setWord(f, at(o.detectorTables + 2 * 140), 5000); },
         "the table of detector 3 holds 5000 at point 0"},
        {"detector 1 codes rise", [&o](std::string& f) { setWord(f, at(o.detectorTables + 50), 4000); },
         "the table of detector 1 rises at point 50"},
        {"level table 1 above the converter", [&o](std::string& f) { setWord(f, at(o.levelTable1 + 10), 40000); },
         "level table 1 holds 40000 at point 10"},
        {"level table 2 above the converter", [&o](std::string& f) { setWord(f, at(o.levelTable2), 4096); },
         "level table 2 holds 4096 at point 0"},
        {"EXT table falls", [&o](std::string& f) { setWord(f, at(o.extTable + 20), 0); },
         "the EXT table falls at 2.0 V"},
        {"reference values fall", [&o](std::string& f) { setWord(f, at(o.referenceWords + 4), 10); },
         "the reference values fall at table 4"},
        {"line table rises", [&o](std::string& f) { setWord(f, at(o.frequencyTables + 638 * 3 + 100), 0); },
         "line table 3 rises at point 100"},
        {"base offset", [&o](std::string& f) { setWord(f, at(o.baseOffset), 1000); }, "the base offset word is 1000"},
        {"detector offset", [&o](std::string& f) { setWord(f, at(o.detectorOffsets + 3), 30000); },
         "the offset word of detector 4 is 30000"},
    };
    TempDir dir;
    const IdentityRecord identity = unit();
    for (const Case& c : cases) {
        std::string file = goodFile();
        c.damage(file);
        const std::string path = dir.file("FileAF0417.dat");
        writeWholeFile(path, file);
        const CalibrationFileCheck check = checkCalibrationFile(path, 2, &identity);
        EXPECT_FALSE(check.usable()) << c.what;
        EXPECT_FALSE(check.missing) << c.what;
        EXPECT_NE(check.problem.find(c.problem), std::string::npos) << c.what << ": " << check.problem;
    }
}

TEST(CalibrationFileCheck, GoodFilesInEitherFormAreUsable)
{
    TempDir dir;
    const IdentityRecord identity = unit();
    const std::string path = dir.file("FileAF0417.dat");
    writeWholeFile(path, goodFile());
    CalibrationFileCheck check = checkCalibrationFile(path, 2, &identity);
    EXPECT_TRUE(check.usable()) << check.problem;
    EXPECT_EQ(check.form, CalibrationFileStatus::Complete);

    std::string older = goodFile();
    older.resize(older.size() - 12);
    // The older form has no offset words: what stands there is not checked.
    writeWholeFile(path, older);
    check = checkCalibrationFile(path, 2, &identity);
    EXPECT_TRUE(check.usable()) << check.problem;
    EXPECT_EQ(check.form, CalibrationFileStatus::ShortForm);

    // Tables of detectors the unit does not have are not looked at.
    std::string twoDetectors = goodFile(unit("S/NAF0417", 2));
    setWord(twoDetectors, at(fields().detectorTables + 3 * 140 + 5), 65535);
    writeWholeFile(path, twoDetectors);
    check = checkCalibrationFile(path, 2, &identity);
    EXPECT_TRUE(check.usable()) << check.problem;

    // Without a unit to compare with, any serial will do.
    writeWholeFile(path, goodFile(unit("S/N0001")));
    EXPECT_TRUE(checkCalibrationFile(path, 2).usable());
}

TEST(CalibrationFileCheck, MissingFilesAndSpecialFiles)
{
    TempDir dir;
    CalibrationFileCheck check = checkCalibrationFile(dir.file("FileAF0417.dat"), 2);
    EXPECT_TRUE(check.missing);
    EXPECT_TRUE(check.problem.empty());
    EXPECT_FALSE(check.usable());

    check = checkCalibrationFile(dir.str(), 2);
    EXPECT_FALSE(check.missing);
    EXPECT_EQ(check.problem, "not a regular file (a directory)");

    // A FIFO would block the open until a writer came: it is never opened.
    const std::string fifo = dir.file("fifo.dat");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    check = checkCalibrationFile(fifo, 2);
    EXPECT_EQ(check.problem, "not a regular file (a FIFO)");

    check = checkCalibrationFile(dir.file(std::string(300, 'x')), 2);
    EXPECT_FALSE(check.missing);
    EXPECT_TRUE(check.unreadable);
    EXPECT_EQ(check.problem, "File name too long");
    EXPECT_EQ(calibrationFileStatusText("F.dat", check), "The calibration file F.dat can't be read: File name too long");
}

}  // namespace
