#include <gtest/gtest.h>

#include "IdentityRecord.h"

namespace {

IdentityRecord sampleRecord()
{
    IdentityRecord r;
    r.setSerialText("S/N0042");
    r.setLaserInputs(2);
    r.setDetectors(3);
    r.setCalibrationKind(2);
    r.setFibreBand(1);
    r.setHardwareCode(0x1234);
    r.setUnusedWord(5, 0xBEEF);
    return r;
}

TEST(IdentityRecordTest, FieldsSitAtTheirByteOffsetsLittleEndian)
{
    const IdentityRecord r = sampleRecord();
    const auto& b = r.bytes();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), 7), "S/N0042");
    EXPECT_EQ(b[7], 0);
    EXPECT_EQ(b[50], 2);
    EXPECT_EQ(b[52], 3);
    EXPECT_EQ(b[54], 2);
    EXPECT_EQ(b[56], 1);
    EXPECT_EQ(b[58], 0x34);
    EXPECT_EQ(b[59], 0x12);
    EXPECT_EQ(b[70], 0xEF);
    EXPECT_EQ(b[71], 0xBE);
    const auto words = r.bandWords();
    EXPECT_EQ(words[0], 1);
    EXPECT_EQ(words[1], 0x1234);
    EXPECT_EQ(words[7], 0xBEEF);
}

TEST(IdentityRecordTest, ValidityAndSerialNumber)
{
    IdentityRecord r = sampleRecord();
    EXPECT_TRUE(r.isValid());
    EXPECT_EQ(r.serialText(), "S/N0042");
    EXPECT_EQ(r.serialNumber(), "0042");

    IdentityRecord blank;
    EXPECT_FALSE(blank.isValid());
    EXPECT_EQ(blank.serialText(), "");

    r.setSerialText("SN0042");
    EXPECT_FALSE(r.isValid());
}

TEST(IdentityRecordTest, SerialWithoutNulStopsAtFiftyBytes)
{
    std::array<std::uint8_t, 72> bytes{};
    bytes.fill('7');
    bytes[0] = 'S';
    bytes[1] = '/';
    bytes[2] = 'N';
    const IdentityRecord r = IdentityRecord::fromBytes(bytes);
    EXPECT_EQ(r.serialText().size(), 50u);
    EXPECT_EQ(r.laserInputs(), 0x3737);
}

TEST(IdentityRecordTest, ShortBlockLeavesTheRestZero)
{
    const std::uint8_t bytes[] = {'S', '/', 'N', '1', 0, 0xAA};
    const IdentityRecord r = IdentityRecord::fromBytes(bytes);
    EXPECT_EQ(r.serialText(), "S/N1");
    EXPECT_EQ(r.bytes()[5], 0xAA);
    for (std::size_t i = 6; i < IdentityRecord::size; ++i) ASSERT_EQ(r.bytes()[i], 0) << i;
}

TEST(IdentityRecordTest, LongSerialTextKeepsItsTerminator)
{
    IdentityRecord r;
    r.setSerialText(std::string(80, 'x'));
    EXPECT_EQ(r.serialText().size(), 49u);
    EXPECT_EQ(r.bytes()[49], 0);
}

TEST(IdentityRecordTest, CalibrationFileNames)
{
    struct Case {
        const char* serial;
        const char* name;
    };
    const Case cases[] = {
        {"S/N0042", "File0042.dat"},
        {"S/NAF1234", "FileAF1234.dat"},
        {"", "File.dat"},
        {"S/N../../etc/x", "File.._.._etc_x.dat"},
        {"S/N..\\win", "File.._win.dat"},
    };
    for (const Case& c : cases) {
        IdentityRecord r;
        r.setSerialText(c.serial);
        EXPECT_EQ(calibrationFileName(r), c.name) << c.serial;
    }
}

TEST(IdentityRecordTest, SummaryForTheAboutTexts)
{
    const UnitIdentitySummary s = sampleRecord().summary();
    EXPECT_EQ(s.serialText, "S/N0042");
    EXPECT_EQ(s.laserInputs, 2);
    EXPECT_EQ(s.detectors, 3);
    EXPECT_EQ(s.fibreBand, 1);

    const About about(sampleRecord().summary(), 112);
    EXPECT_EQ(about.serialNumber, "0042");
    EXPECT_EQ(about.tls[1], "Yes");
    EXPECT_EQ(about.tls[2], "No");
    EXPECT_EQ(About(IdentityRecord().summary(), 112).serialNumber, About::unknownText);
}

}  // namespace
