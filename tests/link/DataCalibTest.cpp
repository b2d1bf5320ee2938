#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ByteOrder.h"
#include "DataCalib1.h"
#include "DataCalib2.h"
#include "DataCalibFactory.h"

namespace {

std::uint16_t wordAtByte(const DataCalib& c, std::size_t byte) { return byteorder::readU16le(c.imageBuffer() + byte); }

TEST(DataCalibTest, FactoryPicksTheLayoutOfTheKind)
{
    struct Case {
        int kind;
        int layoutKind;
        std::size_t bytes;
        int points;
    };
    const Case cases[] = {{1, 1, 20672, 590}, {2, 2, 22208, 638}, {0, 2, 22208, 638}, {7, 2, 22208, 638}, {-1, 2, 22208, 638}};
    for (const Case& c : cases) {
        auto calib = DataCalibFactory::create(c.kind);
        ASSERT_NE(calib, nullptr);
        EXPECT_EQ(calib->calibrationKind(), c.layoutKind) << c.kind;
        EXPECT_EQ(calib->imageSize(), c.bytes) << c.kind;
        EXPECT_EQ(calib->frequencyPoints(), c.points) << c.kind;
        EXPECT_EQ(calib->shortTableLength(), 140);
        EXPECT_EQ(calib->frequencyTables(), 10);
        EXPECT_EQ(calib->extTableLength(), 31);
    }
}

TEST(DataCalibTest, LayoutParameters)
{
    DataCalib1 k1;
    DataCalib2 k2;
    EXPECT_EQ(k1.startWavelengthNm(), 1250);
    EXPECT_EQ(k2.startWavelengthNm(), 1240);
    EXPECT_DOUBLE_EQ(k1.startFrequencyGHz(), 299792458.0 / 1248.0);
    EXPECT_DOUBLE_EQ(k2.startFrequencyGHz(), 299792458.0 / 1238.0);
    EXPECT_DOUBLE_EQ(k1.referenceWavelengthNm(), 1246.45);
    EXPECT_DOUBLE_EQ(k2.referenceWavelengthNm(), 1236.45);
    EXPECT_DOUBLE_EQ(k2.frequencyStepGHz(), 100.0);
    EXPECT_DOUBLE_EQ(k2.shortAxisStep(), 0.5);
}

// Every field accessor against the byte offset computed by hand from the
// word offsets of the kind-2 image (N = 638, M = 140).
TEST(DataCalibTest, FieldsOfTheKind2ImageSitAtTheirOffsets)
{
    DataCalib2 c;
    struct Case {
        const char* field;
        std::function<void(DataCalib&)> set;
        std::size_t byte;
    };
    const std::vector<Case> cases = {
        {"base", [](DataCalib& d) { d.setBaseWord(0x0101); }, 0},
        {"detector word 3", [](DataCalib& d) { d.setDetectorWord(3, 0x0102); }, 2 * 4},
        {"table A 0", [](DataCalib& d) { d.setTableA(0, 0x0103); }, 2 * 5},
        {"table A 139", [](DataCalib& d) { d.setTableA(139, 0x0104); }, 2 * 144},
        {"table B 0", [](DataCalib& d) { d.setTableB(0, 0x0105); }, 2 * 145},
        {"detector table 1,2", [](DataCalib& d) { d.setDetectorTable(1, 2, 0x0106); }, 2 * (285 + 140 + 2)},
        {"response 3,637", [](DataCalib& d) { d.setResponseTable(3, 637, 0x0107); }, 2 * (845 + 3 * 638 + 637)},
        {"level 1 0", [](DataCalib& d) { d.setLevelTable1(0, 0x0108); }, 2 * (845 + 4 * 638)},
        {"level 2 5", [](DataCalib& d) { d.setLevelTable2(5, 0x0109); }, 2 * (845 + 5 * 638 + 5)},
        {"reference 9", [](DataCalib& d) { d.setReferenceWord(9, 0x010A); }, 2 * (845 + 6 * 638 + 9)},
        {"frequency 1,2", [](DataCalib& d) { d.setFrequencyTable(1, 2, 0x010B); }, 2 * (855 + 6 * 638 + 638 + 2)},
        {"frequency 9,637", [](DataCalib& d) { d.setFrequencyTable(9, 637, 0x010C); }, 2 * (855 + 16 * 638 - 1)},
        {"unused 3", [](DataCalib& d) { d.setUnusedWord(3, 0x010D); }, 2 * (855 + 16 * 638 + 3)},
        {"EXT 0", [](DataCalib& d) { d.setExtTable(0, 0x010E); }, 2 * (859 + 16 * 638)},
        {"EXT 30", [](DataCalib& d) { d.setExtTable(30, 0x010F); }, 2 * (889 + 16 * 638)},
        {"scale", [](DataCalib& d) { d.setScaleWord(0x0110); }, 22196},
        {"base offset", [](DataCalib& d) { d.setBaseOffsetWord(0x0111); }, 22198},
        {"detector offset 3", [](DataCalib& d) { d.setDetectorOffsetWord(3, 0x0112); }, 22206},
    };
    for (const Case& k : cases) {
        c.clear();
        k.set(c);
        std::size_t nonZero = 0;
        for (std::size_t i = 0; i < c.imageSize(); ++i) nonZero += c.imageBuffer()[i] != 0;
        EXPECT_EQ(nonZero, 2u) << k.field;
        EXPECT_EQ(wordAtByte(c, k.byte) & 0xFF00, 0x0100) << k.field;
    }
}

TEST(DataCalibTest, GettersReadWhatSettersWroteAndIndexesOutOfRangeAreIgnored)
{
    DataCalib1 c;
    c.setResponseTable(2, 589, 77);
    EXPECT_EQ(c.responseTable(2, 589), 77);
    c.setFrequencyTable(9, 0, 88);
    EXPECT_EQ(c.frequencyTable(9, 0), 88);
    EXPECT_EQ(c.word(c.offsets().frequencyTables + 9 * 590), 88);

    const std::vector<std::uint8_t> before(c.imageBuffer(), c.imageBuffer() + c.imageSize());
    c.setTableA(140, 1);
    c.setTableA(-1, 1);
    c.setResponseTable(4, 0, 1);
    c.setResponseTable(0, 590, 1);
    c.setFrequencyTable(10, 0, 1);
    c.setExtTable(31, 1);
    c.setWord(c.imageWords(), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(c.imageBuffer(), c.imageBuffer() + c.imageSize()), before);
    EXPECT_EQ(c.tableA(140), 0);
    EXPECT_EQ(c.frequencyTable(0, -1), 0);
}

TEST(DataCalibTest, DecodedValuesFollowTheEncodingRules)
{
    DataCalib2 c;
    const std::vector<double> response{-3.2, 0.0, 1.5};
    c.setResponseValues(1, response);
    EXPECT_EQ(c.detectorOffsetWord(1), 4);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(c.responseValue(1, i), response[i], 0.001);

    c.setBaseValue(-0.25);
    EXPECT_EQ(c.baseOffsetWord(), 1);
    EXPECT_DOUBLE_EQ(c.baseValue(), -0.25);

    c.setFrequencyValueGHz(0, 0, c.startFrequencyGHz());
    EXPECT_EQ(c.frequencyTable(0, 0), 0);
    c.setFrequencyValueGHz(3, 4, c.startFrequencyGHz() - 300.0 - 12.34);
    EXPECT_EQ(c.frequencyTable(3, 4), 1234);
    EXPECT_NEAR(c.frequencyValueGHz(3, 4), c.startFrequencyGHz() - 312.34, 1e-6);

    c.setTableBValue(7, 0.5);
    EXPECT_EQ(c.tableB(7), 250);
    c.setReferenceValue(2, 41.5);
    EXPECT_EQ(c.referenceWord(2), 42);
    c.setScaleValue(0.0815);
    EXPECT_EQ(c.scaleWord(), 815);
}

}  // namespace
