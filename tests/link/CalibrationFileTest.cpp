#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "ByteOrder.h"
#include "CalibrationFile.h"
#include "DataCalib1.h"
#include "DataCalib2.h"
#include "FileUtil.h"
#include "TempDir.h"

namespace {

IdentityRecord identityOfKind(int kind)
{
    IdentityRecord r;
    r.setSerialText("S/N0042");
    r.setLaserInputs(2);
    r.setDetectors(4);
    r.setCalibrationKind(static_cast<std::uint16_t>(kind));
    r.setHardwareCode(7);
    return r;
}

void fillPattern(DataCalib& c)
{
    for (std::size_t i = 0; i < c.imageWords(); ++i) c.setWord(i, static_cast<std::uint16_t>(i * 31 + 5));
}

TEST(CalibrationFileTest, WriteThenReadGivesBackEverythingAndTheSizesOfBothKinds)
{
    TempDir dir;
    const CalibrationStamp stamp{{114, 2, 5, 10}};
    struct Case {
        int kind;
        std::size_t fileBytes;
    };
    for (const Case& k : {Case{1, 20754}, Case{2, 22290}}) {
        std::unique_ptr<DataCalib> written, read;
        if (k.kind == 1) {
            written = std::make_unique<DataCalib1>();
            read = std::make_unique<DataCalib1>();
        } else {
            written = std::make_unique<DataCalib2>();
            read = std::make_unique<DataCalib2>();
        }
        fillPattern(*written);
        const std::string path = dir.file("Calib/File0042-" + std::to_string(k.kind) + ".dat");
        ASSERT_TRUE(writeCalibrationFile(path, identityOfKind(k.kind), *written, stamp));  // creates Calib/
        EXPECT_EQ(std::filesystem::file_size(path), k.fileBytes);

        const auto result = readCalibrationFile(path, *read);
        EXPECT_EQ(result.status, CalibrationFileStatus::Complete);
        EXPECT_EQ(result.header.identity, identityOfKind(k.kind));
        EXPECT_EQ(result.header.stamp, stamp);
        EXPECT_EQ(result.header.calibrationKind, k.kind);
        EXPECT_EQ(0, std::memcmp(read->imageBuffer(), written->imageBuffer(), written->imageSize()));

        const std::string bytes = readWholeFile(path);
        const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.data());
        EXPECT_EQ(byteorder::readU16le(raw + 72), 114);
        EXPECT_EQ(byteorder::readU16le(raw + 74), 2);
        EXPECT_EQ(byteorder::readU16le(raw + 78), 10);
        EXPECT_EQ(byteorder::readU16le(raw + 80), k.kind);
    }
}

TEST(CalibrationFileTest, AKind2FileCutBeforeItsScaleWordIsTheShortForm)
{
    TempDir dir;
    DataCalib2 full;
    fillPattern(full);
    full.setScaleWord(1234);
    full.setBaseOffsetWord(9);
    for (int d = 0; d < 4; ++d) full.setDetectorOffsetWord(d, 3);
    const std::string path = dir.file("File0042.dat");
    ASSERT_TRUE(writeCalibrationFile(path, identityOfKind(2), full));
    std::filesystem::resize_file(path, 82 + 22196);

    DataCalib2 read;
    fillPattern(read);  // nothing of an earlier content may survive
    read.setBaseOffsetWord(5);
    const auto result = readCalibrationFile(path, read);
    EXPECT_EQ(result.status, CalibrationFileStatus::ShortForm);
    EXPECT_EQ(result.imageBytesRead, 22196u);
    EXPECT_DOUBLE_EQ(read.scaleValue(), 0.08);
    EXPECT_EQ(read.baseOffsetWord(), 0);
    for (int d = 0; d < 4; ++d) EXPECT_EQ(read.detectorOffsetWord(d), 0);
    EXPECT_EQ(0, std::memcmp(read.imageBuffer(), full.imageBuffer(), 22196));
}

TEST(CalibrationFileTest, BadFilesAreReportedAndLeaveNothingUninitialised)
{
    TempDir dir;
    DataCalib2 image;
    image.setExtTable(0, 99);

    auto missing = readCalibrationFile(dir.file("nothing.dat"), image);
    EXPECT_EQ(missing.status, CalibrationFileStatus::CannotOpen);
    EXPECT_FALSE(missing.usable());
    EXPECT_EQ(image.extTable(0), 99);  // untouched

    writeWholeFile(dir.file("tiny.dat"), std::string("S/N12\0\0\0", 8));
    auto tiny = readCalibrationFile(dir.file("tiny.dat"), image);
    EXPECT_EQ(tiny.status, CalibrationFileStatus::Truncated);
    EXPECT_FALSE(tiny.usable());
    EXPECT_EQ(tiny.header.identity.serialText(), "S/N12");
    EXPECT_EQ(tiny.header.identity.laserInputs(), 0);
    EXPECT_EQ(image.extTable(0), 0);

    // A file of neither size of its layout is no calibration file at all:
    // nothing of it is read into the image.
    image.setExtTable(0, 99);
    writeWholeFile(dir.file("odd.dat"), std::string(82, '\0') + std::string(3, '\x11'));
    auto odd = readCalibrationFile(dir.file("odd.dat"), image);
    EXPECT_EQ(odd.status, CalibrationFileStatus::WrongSize);
    EXPECT_FALSE(odd.usable());
    EXPECT_EQ(odd.imageBytesRead, 0u);
    EXPECT_EQ(image.word(0), 0);
    EXPECT_EQ(image.extTable(0), 0);

    // A directory is never opened.
    auto folder = readCalibrationFile(dir.str(), image);
    EXPECT_EQ(folder.status, CalibrationFileStatus::NotRegular);
    EXPECT_EQ(folder.openProblem, "not a regular file (a directory)");
}

TEST(CalibrationFileTest, StampsCompareWordByWordAsUnsignedNumbers)
{
    using S = CalibrationStamp;
    EXPECT_LT((S{{114, 2, 5, 10}}), (S{{114, 2, 5, 11}}));
    EXPECT_GT((S{{114, 3, 1, 0}}), (S{{114, 2, 28, 23}}));
    EXPECT_EQ((S{{114, 2, 5, 10}}), (S{{114, 2, 5, 10}}));
    EXPECT_LT((S{{114, 2, 5, 10}}), (S{{0x8000, 0, 0, 0}}));  // unsigned, not signed
}

TEST(CalibrationFileTest, StampIsTheLocalTime)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const CalibrationStamp s = CalibrationStamp::fromLocalTime(1394015400);  // 2014-03-05 10:30 UTC
    if (old != nullptr)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(s, (CalibrationStamp{{114, 2, 5, 10}}));
}

}  // namespace
