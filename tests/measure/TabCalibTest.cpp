#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include <cmath>
#include <cstdint>
#include <vector>

#include "CalibSearch.h"
#include "CommaLocale.h"
#include "FileUtil.h"
#include "TabCalib.h"
#include "TempDir.h"
#include "UnitIdentitySource.h"

namespace {

constexpr double c = 299792458.0;

TEST(CalibSearch, DescendingTableSegments)
{
    const std::vector<int> table{100, 80, 80, 60, 40};
    struct Case {
        int value;
        int cursor;
        int segment;
    };
    const Case cases[] = {
        {90, 0, 0}, {90, 3, 0},    // between 100 and 80, from either side
        {80, 0, 2}, {80, 3, 2},    // equal codes: the last of them (80 > 60 follows)
        {70, 0, 2}, {60, 0, 3},
        {50, 1, 3},
        {150, 2, 0},               // above the table: the first segment
        {10, 0, 3},                // below: the last segment
        {90, -5, 0}, {10, 99, 3},  // cursors outside the table are clamped
    };
    for (const Case& k : cases) {
        int cursor = k.cursor;
        const int segment = CalibSearch::descendingSegment<int, int>(table, k.value, cursor);
        EXPECT_EQ(segment, k.segment) << k.value << " from " << k.cursor;
        EXPECT_EQ(cursor, k.segment);
    }
}

TEST(CalibSearch, AscendingTableSegments)
{
    const std::vector<std::uint16_t> table{10, 20, 20, 40};
    struct Case {
        int value;
        int cursor;
        int segment;
    };
    const Case cases[] = {{15, 2, 0}, {20, 0, 2}, {30, 0, 2}, {40, 0, 2}, {5, 2, 0}, {99, 0, 2}};
    for (const Case& k : cases) {
        int cursor = k.cursor;
        const int segment = CalibSearch::ascendingSegment<std::uint16_t, int>(table, k.value, cursor);
        EXPECT_EQ(segment, k.segment) << k.value;
    }
}

// A kind-2 table (N = 638) with simple, hand-checkable contents: base 10 dB;
// output codes 4000, 3980, ... (20 per 0.5 dB step); detector 1 codes 3000,
// 2990, ... (10 per step) with its origin at output code 3960 (1 dB).
class TabCalibLevels : public ::testing::Test {
protected:
    TabCalib calib{"/nonexistent", 2};

    void SetUp() override
    {
        calib.setBase(10.0);
        auto output = calib.outputCodes();
        for (std::size_t i = 0; i < output.size(); ++i) output[i] = 4000 - 20 * static_cast<int>(i);
        auto detector = calib.detectorCodes(1);
        for (std::size_t i = 0; i < detector.size(); ++i) detector[i] = 3000 - 10 * static_cast<int>(i);
        calib.detectorWords()[1] = 3960;
    }
};

TEST_F(TabCalibLevels, OutputLevel)
{
    struct Case {
        int code;
        double level;
    };
    const Case cases[] = {
        {4000, 10.0},   // on a table code: base - levelAxis[k] exactly
        {3980, 9.5},
        {3990, 9.75},   // half-way
        {3985, 9.625},
        {4040, 11.0},   // above the table: the first segment extended
        {4000 - 20 * 139, 10.0 - 0.5 * 139},
        {4000 - 20 * 141, 10.0 - 0.5 * 141},  // below: the last segment extended
    };
    for (const Case& k : cases) EXPECT_DOUBLE_EQ(calib.OutputLevel(k.code), k.level) << k.code;
}

TEST_F(TabCalibLevels, EqualNeighbouringCodesGiveTheLevelOfTheFirst)
{
    auto output = calib.outputCodes();
    output[1] = 4000;  // the first two codes equal
    EXPECT_EQ(calib.OutputLevel(4100), 10.0);
    output[138] = output[139];  // and the last two
    EXPECT_EQ(calib.OutputLevel(0), 10.0 - 0.5 * 138);
    // A zero table (no calibration file) gives base - 0 everywhere.
    TabCalib zero("/nonexistent", 2);
    EXPECT_EQ(zero.OutputLevel(1234), 0.0);
}

TEST_F(TabCalibLevels, DetectorLevelCountsFromTheDetectorsOrigin)
{
    int cursor = 0;
    // Origin 10 - 1.0 = 9 dB; code 2990 is one step (0.5 dB) down its table.
    EXPECT_DOUBLE_EQ(calib.DetectorLevel(1, 2990, cursor), 8.5);
    EXPECT_EQ(cursor, 1);
    EXPECT_DOUBLE_EQ(calib.DetectorLevel(1, 2975, cursor), 7.75);
    EXPECT_EQ(calib.DetectorLevel(7, 2990, cursor), 0.0);  // no such detector
}

TEST_F(TabCalibLevels, DetectorTraceRemovesTheFrequencyResponse)
{
    // Response 0.1 dB per response-axis point: 0.001 dB per GHz below Fr.
    auto response = calib.response(1);
    for (std::size_t i = 0; i < response.size(); ++i) response[i] = 0.1 * static_cast<double>(i);
    const double fr = c / 1236.45;
    EXPECT_DOUBLE_EQ(calib.responseAxisFrequency(0), fr);

    const std::vector<double> frequencies{fr + 50.0, fr - 250.0, fr - 3333.0, fr - 3333.0, fr - 70000.0};
    std::vector<double> wavelengths;
    for (double f : frequencies) wavelengths.push_back(c / f);
    const std::vector<std::int32_t> codes{3000, 2990, 2980, 2975, 1700};
    std::vector<double> out(codes.size());
    calib.DetectorTrace(1, codes, wavelengths, out);
    for (std::size_t j = 0; j < codes.size(); ++j) {
        int cursor = 0;
        const double level = calib.DetectorLevel(1, codes[j], cursor);
        // Linear in frequency, extended beyond both ends of the axis.
        const double expectedResponse = 0.001 * (fr - frequencies[j]);
        EXPECT_NEAR(out[j], level - expectedResponse, 1e-7) << j;
    }
}

TEST(TabCalib, ExtVoltsOnTheAscendingTable)
{
    TabCalib calib("/nonexistent", 1);
    auto ext = calib.extTable();
    ASSERT_EQ(ext.size(), 31u);
    for (std::size_t i = 0; i < ext.size(); ++i) ext[i] = static_cast<std::uint16_t>(100 + 50 * i);
    struct Case {
        int code;
        double volts;
    };
    const Case cases[] = {
        {100, 0.0}, {125, 0.05}, {150, 0.1}, {1590, 2.98}, {1600, 3.0},
        {1650, 3.1},  // above 3.0 V: the last segment extended
        {50, -0.1},   // below 0.0 V: the first one
    };
    int cursor = 0;
    for (const Case& k : cases) EXPECT_NEAR(calib.ExtVolts(k.code, cursor), k.volts, 1e-12) << k.code;
}

TEST(TabCalib, LevelsAtAFrequency)
{
    TabCalib calib("/nonexistent", 2);
    auto one = calib.levelTable1();
    auto two = calib.levelTable2();
    for (std::size_t i = 0; i < one.size(); ++i) {
        one[i] = static_cast<std::uint16_t>(1000 + 10 * i);
        two[i] = 500;
    }
    const double f0 = c / 1238;
    const int n = calib.PointCount();
    struct Case {
        double frequency;
        int level1;
    };
    const Case cases[] = {
        {f0 + 1.0, 1000},                            // above F0: the first point
        {f0, 1000},
        {f0 - 150.0, 1015},                          // trunc(1015.5)
        {f0 - 130.0, 1013},                          // trunc(-10 * 0.7 + 1020 + 0.5)
        {calib.levelAxisFrequency(n - 1), 1000 + 10 * (n - 1)},
        {calib.levelAxisFrequency(n - 1) - 1.0, 1000 + 10 * (n - 1)},  // below the last point
    };
    for (const Case& k : cases) {
        const TabCalib::Levels levels = calib.LevelsAt(k.frequency);
        EXPECT_EQ(levels.level1, k.level1) << k.frequency - f0;
        EXPECT_EQ(levels.level2, 500);
    }
}

TEST(TabCalib, ReferenceFrequenciesOfTheResponseAxisAndTheLineTables)
{
    TabCalib calib("/nonexistent", 1);
    std::vector<double> out;
    ASSERT_EQ(calib.ReferenceFrequencies(out, 0), 590);
    ASSERT_EQ(out.size(), 590u);
    EXPECT_DOUBLE_EQ(out[0], c / 1246.45);
    EXPECT_DOUBLE_EQ(out[0] - out[1], 100.0);
    EXPECT_DOUBLE_EQ(out[589], c / 1246.45 - 58900.0);

    auto references = calib.referenceValues();
    for (int t = 0; t < calib.TableCount(); ++t) {
        references[static_cast<std::size_t>(t)] = 10.0 * (t + 1);
        auto line = calib.lineTable(t);
        for (std::size_t i = 0; i < line.size(); ++i) line[i] = 190000.0 + t - 100.0 * static_cast<double>(i);
    }
    references[4] = references[3];  // tables 3 and 4 share the reference value 40
    struct Case {
        int selector;
        double first;
    };
    const Case cases[] = {
        {25, 190001.5},   // between tables 1 and 2
        {20, 190001.0},
        {5, 189999.5},    // below the range: tables 0 and 1 extended
        {200, 190019.0},  // above: tables 8 and 9 extended (w = 11)
        {40, 190004.0},   // 40 <= 40 < 60: table 4 and the next one, w = 0
        {50, 190004.5},
    };
    for (const Case& k : cases) {
        ASSERT_EQ(calib.ReferenceFrequencies(out, k.selector), 590);
        EXPECT_DOUBLE_EQ(out[0], k.first) << k.selector;
        EXPECT_DOUBLE_EQ(out[7], k.first - 700.0) << k.selector;
    }
    EXPECT_EQ(calib.LowestReference(), 10.0);
    EXPECT_EQ(calib.HighestReference(), 100.0);
    // Equal values around the selector: the lower table, not a division by 0.
    references[8] = references[9];
    calib.ReferenceFrequencies(out, 200);
    EXPECT_EQ(out[0], 190008.0);
}

TEST(TabCalib, ReferenceFrequenciesFromTheEtalonFile)
{
    TempDir folder;
    TabCalib calib(folder.str(), 1);
    std::vector<double> out{1, 2, 3};
    EXPECT_EQ(calib.ReferenceFrequencies(out, -1), 0);  // no file
    EXPECT_TRUE(out.empty());

    CommaLocale comma;
    writeWholeFile(folder.file("Etalon.txt"), "1529.553 196000.0\n1530.332 195900.25 \r\n1531.1 195800\nend 1\n");
    ASSERT_EQ(calib.ReferenceFrequencies(out, -1), 3);
    EXPECT_EQ(out, (std::vector<double>{196000.0, 195900.25, 195800.0}));

    // At most N pairs.
    std::string many;
    for (int i = 0; i < 700; ++i) many += "1500 " + std::to_string(200000 - 100 * i) + "\n";
    writeWholeFile(folder.file("Etalon.txt"), many);
    EXPECT_EQ(calib.ReferenceFrequencies(out, -1), 590);
    EXPECT_EQ(out.back(), 200000.0 - 100 * 589);

    // A FIFO of that name is not read (it would wait for a writer for ever).
    std::filesystem::remove(folder.file("Etalon.txt"));
    ASSERT_EQ(::mkfifo(folder.file("Etalon.txt").c_str(), 0600), 0);
    EXPECT_EQ(calib.ReferenceFrequencies(out, -1), 0);
    EXPECT_TRUE(out.empty());
}

struct FakeUnit : UnitIdentitySource {
    IdentityRecord record;
    int reads = 0;
    IdentityRecord ReadIdentity() override
    {
        ++reads;
        return record;
    }
};

TEST(TabCalib, LayoutFollowsTheUnitsCalibrationKind)
{
    struct Case {
        int kind;
        int points;
    };
    for (const Case& k : {Case{1, 590}, Case{2, 638}, Case{0, 638}}) {
        FakeUnit unit;
        unit.record.setCalibrationKind(static_cast<std::uint16_t>(k.kind));
        TabCalib calib("/nonexistent", unit);
        EXPECT_EQ(unit.reads, 1);
        EXPECT_EQ(calib.PointCount(), k.points) << k.kind;
        EXPECT_EQ(calib.TableCount(), 10);
        EXPECT_EQ(calib.ShortTableLength(), 140);
        // All zero except the level axis 0, 0.5, 1.0 ...
        EXPECT_EQ(calib.levelAxis()[3], 1.5);
        EXPECT_EQ(calib.lineTable(9)[k.points - 1], 0.0);
    }
}

IdentityRecord unitIdentity()
{
    IdentityRecord identity;
    identity.setSerialText("S/N0412");
    identity.setCalibrationKind(2);
    identity.setDetectors(4);
    identity.setLaserInputs(2);
    identity.setHardwareCode(77);
    return identity;
}

TEST(TabCalib, SaveAndLoadKeepEveryTable)
{
    TempDir folder;
    const IdentityRecord identity = unitIdentity();
    TabCalib saved(folder.file("Calib"), identity);
    saved.setBase(12.345);
    saved.setScale(0.0815);
    for (int d = 0; d < 4; ++d) saved.detectorWords()[static_cast<std::size_t>(d)] = 3000 + d;
    for (int i = 0; i < saved.ShortTableLength(); ++i) {
        saved.outputCodes()[static_cast<std::size_t>(i)] = 4000 - 7 * i;
        saved.levelAxis()[static_cast<std::size_t>(i)] = 0.502 * i;
        for (int d = 0; d < 4; ++d) saved.detectorCodes(d)[static_cast<std::size_t>(i)] = 3500 - 5 * i - d;
    }
    const int n = saved.PointCount();
    for (int j = 0; j < n; ++j) {
        for (int d = 0; d < 4; ++d) saved.response(d)[static_cast<std::size_t>(j)] = (j % 50) * 0.013 - 3.2 + d;
        // Every column counts down from its own reference frequency.
        const double reference = j == 0 ? saved.startFrequency() : saved.startFrequency() - (j - 1) * 100.0;
        for (int t = 0; t < 10; ++t) saved.lineTable(t)[static_cast<std::size_t>(j)] = reference - 37.5 - t;
        saved.levelTable1()[static_cast<std::size_t>(j)] = static_cast<std::uint16_t>(j);
        saved.levelTable2()[static_cast<std::size_t>(j)] = static_cast<std::uint16_t>(2 * j);
    }
    for (int t = 0; t < 10; ++t) saved.referenceValues()[static_cast<std::size_t>(t)] = 100 + 10 * t;
    for (std::size_t i = 0; i < saved.extTable().size(); ++i) saved.extTable()[i] = static_cast<std::uint16_t>(90 * i);
    ASSERT_EQ(saved.Save(identity), 0);
    EXPECT_EQ(readWholeFile(folder.file("Calib/File0412.dat")).size(), 22290u);

    IdentityRecord asked;
    asked.setSerialText("S/N0412");
    TabCalib loaded(folder.file("Calib"), identity);
    ASSERT_EQ(loaded.Load(asked), 0);
    EXPECT_EQ(asked, identity);  // the file's record is handed back
    EXPECT_NEAR(loaded.base(), 12.345, 1e-9);
    EXPECT_NEAR(loaded.scale(), 0.0815, 1e-9);
    for (int d = 0; d < 4; ++d) EXPECT_EQ(loaded.detectorWords()[static_cast<std::size_t>(d)], 3000 + d);
    for (int i = 0; i < loaded.ShortTableLength(); ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_EQ(loaded.outputCodes()[k], saved.outputCodes()[k]);
        EXPECT_NEAR(loaded.levelAxis()[k], saved.levelAxis()[k], 1e-9);
        for (int d = 0; d < 4; ++d) EXPECT_EQ(loaded.detectorCodes(d)[k], saved.detectorCodes(d)[k]);
    }
    for (int j = 0; j < n; ++j) {
        const auto k = static_cast<std::size_t>(j);
        for (int d = 0; d < 4; ++d) EXPECT_NEAR(loaded.response(d)[k], saved.response(d)[k], 1e-6);
        for (int t = 0; t < 10; ++t) EXPECT_NEAR(loaded.lineTable(t)[k], saved.lineTable(t)[k], 1e-6);
        EXPECT_EQ(loaded.levelTable1()[k], saved.levelTable1()[k]);
        EXPECT_EQ(loaded.levelTable2()[k], saved.levelTable2()[k]);
    }
    for (int t = 0; t < 10; ++t) EXPECT_EQ(loaded.referenceValues()[static_cast<std::size_t>(t)], 100 + 10 * t);
    for (std::size_t i = 0; i < loaded.extTable().size(); ++i) EXPECT_EQ(loaded.extTable()[i], 90 * i);
}

TEST(TabCalib, ALoadThatFailsLeavesTheTablesAsTheyWere)
{
    TempDir folder;
    IdentityRecord identity = unitIdentity();
    TabCalib calib(folder.str(), identity);
    calib.setBase(5.0);
    calib.extTable()[3] = 42;
    EXPECT_EQ(calib.Load(identity), 1);  // no file
    writeWholeFile(folder.file("File0412.dat"), std::string(40, 'x'));  // not even a header
    EXPECT_EQ(calib.Load(identity), 1);
    EXPECT_EQ(calib.base(), 5.0);
    EXPECT_EQ(calib.extTable()[3], 42);
    EXPECT_EQ(identity, unitIdentity());
}

TEST(TabCalib, ADamagedFileIsRefusedAndLeavesTheTablesAsTheyWere)
{
    TempDir folder;
    const IdentityRecord identity = unitIdentity();
    TabCalib saved(folder.str(), identity);
    saved.setBase(7.5);
    for (int i = 0; i < saved.ShortTableLength(); ++i) saved.outputCodes()[static_cast<std::size_t>(i)] = 4000 - 20 * i;
    ASSERT_EQ(saved.Save(identity), 0);
    const std::string good = readWholeFile(folder.file("File0412.dat"));
    {
        TabCalib loaded(folder.str(), identity);
        IdentityRecord asked = identity;
        ASSERT_EQ(loaded.Load(asked), 0) << loaded.loadProblem();
    }

    struct Case {
        const char* what;
        std::string file;
        const char* problem;
    };
    std::string codeTooLarge = good;
    codeTooLarge[82 + 2 * 5 + 1] = '\x7F';  // table A, point 0
    const Case cases[] = {
        {"one byte short", good.substr(0, good.size() - 1), "22289 bytes long"},
        {"cut in half", good.substr(0, good.size() / 2), "11145 bytes long"},
        {"zeroed", std::string(good.size(), '\0'), "calibration kind 0"},
        {"a code no converter gives", codeTooLarge, "table A (output monitor codes) holds"},
    };
    for (const Case& c : cases) {
        writeWholeFile(folder.file("File0412.dat"), c.file);
        TabCalib calib(folder.str(), identity);
        calib.setBase(5.0);
        calib.extTable()[3] = 42;
        IdentityRecord asked = identity;
        EXPECT_EQ(calib.Load(asked), 1) << c.what;
        EXPECT_NE(calib.loadProblem().find(c.problem), std::string::npos) << c.what << ": " << calib.loadProblem();
        EXPECT_EQ(calib.base(), 5.0) << c.what;
        EXPECT_EQ(calib.extTable()[3], 42) << c.what;
        EXPECT_EQ(calib.outputCodes()[0], 0) << c.what;
        EXPECT_EQ(asked, identity) << c.what;
    }
}

TEST(TabCalib, AShortFileReadsWithTheOlderScale)
{
    TempDir folder;
    const IdentityRecord identity = unitIdentity();
    TabCalib saved(folder.str(), identity);
    saved.setScale(0.05);
    saved.outputCodes()[0] = 1234;
    ASSERT_EQ(saved.Save(identity), 0);
    std::string file = readWholeFile(folder.file("File0412.dat"));
    file.resize(82 + 22196);
    writeWholeFile(folder.file("File0412.dat"), file);
    IdentityRecord asked = identity;
    TabCalib loaded(folder.str(), identity);
    ASSERT_EQ(loaded.Load(asked), 0);
    EXPECT_NEAR(loaded.scale(), 0.08, 1e-12);
    EXPECT_EQ(loaded.outputCodes()[0], 1234);
}

TEST(TabCalib, AddResponseInterpolatesInFrequency)
{
    TabCalib calib("/nonexistent", 2);
    const double fr = calib.responseAxisFrequency(0);
    calib.response(0)[0] = 10.0;
    const std::vector<double> wavelengths{c / (fr - 50.0), c / (fr - 350.0)};
    const std::vector<double> values{1.0, 4.0};
    calib.AddResponse(0, wavelengths, values);
    const double expected[] = {11.0, 1.5, 2.5, 3.5, 4.0, 4.0};  // first, between, then the last value
    for (int j = 0; j < 6; ++j) EXPECT_NEAR(calib.response(0)[static_cast<std::size_t>(j)], expected[j], 1e-9) << j;
    EXPECT_NEAR(calib.response(0)[637], 4.0, 1e-9);
    EXPECT_EQ(calib.response(1)[1], 0.0);
}

TEST(TabCalib, SetUniformGridSpacesTheLinesFromF2)
{
    TabCalib calib("/nonexistent", 2);
    calib.referenceValues()[2] = 7.0;
    calib.lineCounts(2)[5] = 3;
    calib.tableCounts()[2] = 1;
    ASSERT_TRUE(calib.SetUniformGrid(190000.0, 195000.0));
    // n = 50, e = 100; t = 195000 + 100 floor((F0 - 195000) / 100) = 242100.
    for (int t = 0; t < 10; ++t) {
        EXPECT_DOUBLE_EQ(calib.lineTable(t)[0], 242100.0);
        EXPECT_DOUBLE_EQ(calib.lineTable(t)[1], 242000.0);
    }
    EXPECT_EQ(calib.referenceValues()[2], 0.0);
    EXPECT_EQ(calib.lineCounts(2)[5], 0);
    EXPECT_EQ(calib.tableCounts()[2], 0);
    // 50.5 spacings round up to 51.
    ASSERT_TRUE(calib.SetUniformGrid(190000.0, 195050.0));
    EXPECT_NEAR(calib.lineTable(0)[0] - calib.lineTable(0)[1], 5050.0 / 51, 1e-9);
    // Too close to set a spacing: nothing changes.
    const double before = calib.lineTable(0)[0];
    EXPECT_FALSE(calib.SetUniformGrid(190000.0, 190040.0));
    EXPECT_EQ(calib.lineTable(0)[0], before);
}

TEST(TabCalib, FillGapsCompletesMeasuredTablesAndCopiesThemToTheOthers)
{
    TabCalib calib("/nonexistent", 2);
    auto measure = [&](int table, int point, double value) {
        calib.lineTable(table)[static_cast<std::size_t>(point)] = value;
        calib.lineCounts(table)[static_cast<std::size_t>(point)] = 1;
    };
    // Table 2: points 2 to 5 and 7 measured on the line 1000 - 100 i.
    for (int i : {2, 3, 4, 5, 7}) measure(2, i, 1000.0 - 100.0 * i);
    calib.referenceValues()[2] = 50.0;
    // Table 5: points 10 to 12 on 5000 - 100 i.
    for (int i : {10, 11, 12}) measure(5, i, 5000.0 - 100.0 * i);
    calib.referenceValues()[5] = 80.0;
    calib.FillGaps();

    for (int i = 0; i < calib.PointCount(); ++i) {
        ASSERT_DOUBLE_EQ(calib.lineTable(2)[static_cast<std::size_t>(i)], 1000.0 - 100.0 * i) << i;
        ASSERT_DOUBLE_EQ(calib.lineTable(5)[static_cast<std::size_t>(i)], 5000.0 - 100.0 * i) << i;
    }
    const int copiedFrom[] = {2, 2, 2, 2, 2, 5, 5, 5, 5, 5};
    for (int t = 0; t < 10; ++t) {
        EXPECT_EQ(calib.lineTable(t)[100], calib.lineTable(copiedFrom[t])[100]) << t;
        EXPECT_EQ(calib.referenceValues()[static_cast<std::size_t>(t)], t < 5 ? 50.0 : 80.0) << t;
    }
}

TEST(TabCalib, FillGapsLeavesATableWithoutTwoMeasuredNeighbours)
{
    TabCalib calib("/nonexistent", 2);
    calib.lineTable(0)[4] = 123.0;
    calib.lineCounts(0)[4] = 1;
    calib.FillGaps();
    EXPECT_EQ(calib.lineTable(0)[4], 123.0);
    EXPECT_EQ(calib.lineTable(0)[5], 0.0);
    EXPECT_EQ(calib.lineTable(3)[4], 123.0);  // still copied to the other tables
}

TEST(TabCalib, AccumulateLinesAveragesTheRegularRun)
{
    TabCalib calib("/nonexistent", 2);
    ASSERT_TRUE(calib.SetUniformGrid(190000.0, 195000.0));  // point i at 242100 - 100 i
    // Spacings 100, 100, 130, 100: only the first three lines are used.
    const std::vector<double> first{200000, 199900, 199800, 199670, 199570};
    calib.AccumulateLines(first, 10.0, 3);
    auto line = calib.lineTable(3);
    auto counts = calib.lineCounts(3);
    EXPECT_EQ(line[421], 200000.0);
    EXPECT_EQ(line[423], 199800.0);
    EXPECT_EQ(line[424], 199700.0);  // untouched
    EXPECT_EQ(counts[423], 1);
    EXPECT_EQ(counts[424], 0);
    EXPECT_EQ(calib.referenceValues()[3], 10.0);

    calib.AccumulateLines(std::vector<double>{200010, 199910, 199810}, 30.0, 3);
    EXPECT_EQ(line[421], 200005.0);
    EXPECT_EQ(line[422], 199905.0);
    EXPECT_EQ(counts[421], 2);
    EXPECT_EQ(calib.referenceValues()[3], 20.0);
    EXPECT_EQ(calib.tableCounts()[3], 2);
    EXPECT_EQ(calib.lineTable(4)[421], 242100.0 - 42100.0);  // other tables untouched
}

TEST(TabCalib, AccumulateLinesStartsOnePointEarlierAfterAMismatch)
{
    TabCalib calib("/nonexistent", 2);
    ASSERT_TRUE(calib.SetUniformGrid(190000.0, 195000.0));
    // Point 421 was measured 95 GHz below its grid value: the nearest point
    // to 199990 is 421, which lies more than 80 GHz below that line.
    calib.lineTable(0)[421] = 199905.0;
    calib.lineCounts(0)[421] = 1;
    calib.AccumulateLines(std::vector<double>{199990, 199890}, 1.0, 0);
    EXPECT_EQ(calib.lineTable(0)[420], 199990.0);
    EXPECT_EQ(calib.lineTable(0)[421], (199905.0 + 199890.0) / 2);
    EXPECT_EQ(calib.lineCounts(0)[421], 2);
}

TEST(TabCalib, LineTablesRoundingDeviationsAndScaling)
{
    TabCalib calib("/nonexistent", 2);
    std::vector<double> grid;
    for (int i = 0; i < calib.PointCount(); ++i) grid.push_back(1000.0 - 100.0 * i);
    calib.referenceValues()[1] = 9.0;
    calib.SetLineTables(grid);
    EXPECT_EQ(calib.referenceValues()[1], 0.0);
    auto references = calib.referenceValues();
    references[0] = 2.5;
    references[1] = -2.5;
    references[2] = 3.49;
    std::vector<double> table;
    EXPECT_EQ(calib.LineTable(0, table), 3);  // a tie goes up
    EXPECT_EQ(table, grid);
    std::vector<int> rounded;
    calib.RoundedReferences(rounded);
    ASSERT_EQ(rounded.size(), 10u);
    EXPECT_EQ(rounded[1], -2);
    EXPECT_EQ(rounded[2], 3);
    EXPECT_EQ(calib.LineTable(10, table), 0);
    EXPECT_TRUE(table.empty());

    std::vector<double> deviations;
    std::vector<int> indexes;
    const std::vector<double> measured{905, 790, 612, 1050};
    calib.LineDeviations(measured, deviations, 0, indexes);
    EXPECT_EQ(deviations, (std::vector<double>{5, -10, 12, 50}));
    EXPECT_EQ(indexes, (std::vector<int>{1, 2, 4, 0}));
    // Selector 10 names no table: the last one.
    calib.lineTable(9)[1] = 950;
    calib.LineDeviations(std::vector<double>{905}, deviations, 10, indexes);
    EXPECT_EQ(deviations[0], -45.0);

    calib.ScaleLineTables(2.0);
    EXPECT_EQ(calib.lineTable(0)[1], 1800.0);
    EXPECT_EQ(calib.lineTable(9)[1], 1900.0);
}

}  // namespace
