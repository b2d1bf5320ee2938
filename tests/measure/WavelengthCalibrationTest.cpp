// The factory wavelength calibration on hand-made sweep files: reading
// "ValeursWL.txt", the etalon choice, the band of each sweep, the tables
// "Update calibration" writes and the residuals "Show results" plots.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "CalibrationTools.h"
#include "FileUtil.h"
#include "NumberFormat.h"
#include "ScanData.h"
#include "TabCalib.h"
#include "TempDir.h"
#include "UnitIdentitySource.h"
#include "WavelengthCalibration.h"

namespace {

namespace wc = WavelengthCalibration;
using Colour = wc::PointColour;

TEST(WavelengthCalibration, SweepLines)
{
    struct Case {
        const char* line;
        bool valid;
        int level9, hops, marks, count;
        double first;
        std::vector<double> frequencies;
    };
    const Case cases[] = {
        {"1450 0 25 4 194000.5 193900.25 193800.0 193700.125  ", true, 1450, 0, 25, 4, 194000.5, {193900.25, 193800.0}},
        {"7 1 3 2 194000.000000 193900.000000  ", true, 7, 1, 3, 2, 194000.0, {}},
        {"7 0 3 0  ", true, 7, 0, 3, 0, 0.0, {}},
        {"7 0 3 1 194000.0 \r", true, 7, 0, 3, 1, 194000.0, {}},
        // Damaged lines: short, long, not numbers, negative counts, bad frequencies.
        {"7 0 3", false, 0, 0, 0, 0, 0.0, {}},
        {"7 0 3 3 194000.0 193900.0", false, 0, 0, 0, 0, 0.0, {}},
        {"7 0 3 1 194000.0 193900.0", false, 0, 0, 0, 0, 0.0, {}},
        {"7 0 3 x1 194000.0", false, 0, 0, 0, 0, 0.0, {}},
        {"7 0 3 1 194000,5", false, 0, 0, 0, 0, 0.0, {}},
        {"7 -1 3 1 194000.0", false, 0, 0, 0, 0, 0.0, {}},
        {"7 0 3 -1", false, 0, 0, 0, 0, 0.0, {}},
        {"7 0 3 1 nan", false, 0, 0, 0, 0, 0.0, {}},
        {"7 0 3 1 -194000.0", false, 0, 0, 0, 0, 0.0, {}},
        {"7 0 3 99999999 194000.0", false, 0, 0, 0, 0, 0.0, {}},
        {"99999999999 0 3 1 194000.0", false, 0, 0, 0, 0, 0.0, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.line);
        const std::optional<wc::Sweep> s = wc::parseSweepLine(k.line);
        ASSERT_EQ(s.has_value(), k.valid);
        if (!s) continue;
        EXPECT_EQ(s->level9, k.level9);
        EXPECT_EQ(s->hops, k.hops);
        EXPECT_EQ(s->marks, k.marks);
        EXPECT_EQ(s->count, k.count);
        EXPECT_EQ(s->firstFrequency, k.first);
        EXPECT_EQ(s->frequencies, k.frequencies);
    }
}

TEST(WavelengthCalibration, DamagedLinesAreSkippedAndCounted)
{
    TempDir folder;
    const std::string path = folder.file("ValeursWL.txt");
    EXPECT_FALSE(wc::readSweeps(path).found);
    // A good line, a truncated one, binary rubbish, a line far too long, a
    // blank line, and a last good line without its newline.
    std::string text = "10 0 5 3 194000.0 193900.0 193800.0  \n";
    text += "11 0 5 3 194000.0 1939\n";
    text += std::string("\x01\xff\x00garbage", 10) + "\n";
    text += "12 0 5 3 " + std::string(wc::longestLineBytes + 10, '1') + "\n";
    text += "   \n";
    text += "13 0 5 3 194000.0 193900.0 193800.0  ";
    writeWholeFile(path, text);
    const wc::SweepFile file = wc::readSweeps(path);
    EXPECT_TRUE(file.found);
    EXPECT_EQ(file.damagedLines, 3);
    ASSERT_EQ(file.sweeps.size(), 2u);
    EXPECT_EQ(file.sweeps[0].level9, 10);
    EXPECT_EQ(file.sweeps[1].level9, 13);
    EXPECT_EQ(file.sweeps[1].frequencies, std::vector<double>{193900.0});
}

TEST(WavelengthCalibration, EtalonChoice)
{
    TempDir folder;
    const std::string calib = folder.str() + "/";
    const std::string etalonText = "1550.100 193400.5 \n1550.900 193300.7 \n";
    writeWholeFile(folder.file("Etalon_E42.txt"), etalonText);

    struct Case {
        const char* serial;
        bool accepted;
        const char* caption;
        std::string text;
    };
    const Case cases[] = {
        {"", false, "", "Remplir S/N Etalon!"},
        {"E7", false, "Erreur", "Fichier " + folder.file("Etalon_E7.txt") + " absent!"},
        {"E42", true, "", ""},
        {"../E42", false, "Erreur", "S/N Etalon invalide!"},
        {"a\\b", false, "Erreur", "S/N Etalon invalide!"},
        {"..", false, "Erreur", "S/N Etalon invalide!"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.serial);
        writeWholeFile(folder.file("ValeursWL.txt"), "1 0 1 0  \n");
        const wc::EtalonChoice choice = wc::chooseEtalon(calib, k.serial);
        EXPECT_EQ(choice.accepted, k.accepted);
        EXPECT_EQ(choice.message.caption, k.caption);
        EXPECT_EQ(choice.message.text, k.text);
        // The sweeps of the previous choice go only when a choice is made.
        EXPECT_EQ(std::filesystem::exists(folder.file("ValeursWL.txt")), !k.accepted);
    }
    EXPECT_EQ(readWholeFile(folder.file("Etalon.txt")), etalonText);

    // "Etalon.txt" cannot be replaced: the choice is refused, not made with the old lines.
    std::filesystem::remove(folder.file("Etalon.txt"));
    std::filesystem::create_directories(folder.file("Etalon.txt") + "/held");
    writeWholeFile(folder.file("ValeursWL.txt"), "1 0 1 0  \n");
    const wc::EtalonChoice blocked = wc::chooseEtalon(calib, "E42");
    EXPECT_FALSE(blocked.accepted);
    EXPECT_EQ(blocked.message.caption, "Erreur");
    EXPECT_EQ(blocked.message.text, "Fichier " + folder.file("Etalon.txt") + " n'a pas pu être créé!");
    EXPECT_TRUE(std::filesystem::exists(folder.file("ValeursWL.txt")));
}

TEST(WavelengthCalibration, BandTableOfALevelReading)
{
    struct Case {
        int level9, minimum;
        double width;
        int tables, table;
    };
    const Case cases[] = {
        {155, 100, 10.0, 10, 5},  // 5.5 - 0.5 = 5.0
        {150, 100, 10.0, 10, 5},  // 4.5: a tie goes up
        {149, 100, 10.0, 10, 4},
        {100, 100, 10.0, 10, 0},  // -0.5 goes up to 0
        {200, 100, 10.0, 10, 9},  // 9.5 would be 10: the last table
        {90, 100, 10.0, 10, 0},
        {155, 100, 0.0, 10, 0},   // no band width
    };
    for (const Case& k : cases) EXPECT_EQ(wc::bandTable(k.level9, k.minimum, k.width, k.tables), k.table) << k.level9;
    EXPECT_EQ(wc::tableColour(0), Colour::Green);
    EXPECT_EQ(wc::tableColour(3), Colour::Green);
    EXPECT_EQ(wc::tableColour(4), Colour::Blue);
    EXPECT_EQ(wc::tableColour(7), Colour::Blue);
    EXPECT_EQ(wc::tableColour(8), Colour::Red);
    EXPECT_EQ(wc::tableColour(9), Colour::Red);
    // 1 GHz at 1550 nm: 1550^2 / 299792458 = 8.01388 pm.
    EXPECT_NEAR(wc::detuningPm(1.0, 299792458.0 / 1550.0), 8.01388, 1e-5);
}

struct FakeUnit : UnitIdentitySource {
    IdentityRecord record;
    IdentityRecord ReadIdentity() override { return record; }
};

IdentityRecord unitIdentity()
{
    IdentityRecord identity;
    identity.setSerialText("S/N0412");
    identity.setCalibrationKind(2);
    identity.setLaserInputs(1);
    identity.setDetectors(4);
    return identity;
}

// A sweep line of lines every 100 GHz from first down, each offset by
// shiftGHz (the first and last are dropped by the reader).
std::string sweepLine(int level9, int hops, double first, int lines, double shiftGHz)
{
    std::string line = cformat("%d %d %d %d ", level9, hops, 40, lines);
    for (int i = 0; i < lines; ++i) line += cformat("%f ", first - 100.0 * i + shiftGHz);
    return line + " \n";
}

class UpdateCalibrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        calib = folder.str() + "/";
        // Level tables a loaded file must have; the line tables are the sweeps' business.
        TabCalib fresh(calib, identity);
        for (int i = 0; i < fresh.ShortTableLength(); ++i) {
            fresh.outputCodes()[static_cast<std::size_t>(i)] = 4000 - 7 * i;
            fresh.levelAxis()[static_cast<std::size_t>(i)] = 0.5 * i;
            for (int d = 0; d < 4; ++d) fresh.detectorCodes(d)[static_cast<std::size_t>(i)] = 3500 - 5 * i - d;
        }
        for (std::size_t i = 0; i < fresh.extTable().size(); ++i) fresh.extTable()[i] = static_cast<std::uint16_t>(90 * i);
        ASSERT_EQ(fresh.Save(identity), 0);
        unit.record = identity;
    }
    std::vector<int> savedReferences()
    {
        TabCalib saved(calib, identity);
        IdentityRecord asked = identity;
        EXPECT_EQ(saved.Load(asked), 0);
        std::vector<int> out;
        saved.RoundedReferences(out);
        return out;
    }
    wc::CalibrationResult run(const std::string& sweeps)
    {
        writeWholeFile(folder.file("ValeursWL.txt"), sweeps);
        return wc::updateCalibration(calib, unit, identity, "E42");
    }

    TempDir folder;
    std::string calib;
    IdentityRecord identity = unitIdentity();
    FakeUnit unit;
};

TEST_F(UpdateCalibrationTest, SweepsGoIntoTheTableOfTheirLevelReading)
{
    struct Case {
        const char* name;
        std::vector<int> levels;
        int tablesUsed;
        std::vector<int> references;
    };
    const Case cases[] = {
        // A spread of 8 counts is one band: everything in table 0, copied to the others.
        {"narrow", {100, 104, 108, 102}, 1, std::vector<int>(10, 104)},
        // 100 ... 200 in 10 tables of 10: 100 in table 0, 155 in 5, 200 in 9.
        {"wide", {100, 200, 155}, 10, {100, 100, 100, 100, 100, 155, 155, 155, 155, 200}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        std::string text;
        for (const int level : k.levels) text += sweepLine(level, 0, 196000.0, 40, 0.0);
        const wc::CalibrationResult r = run(text);
        ASSERT_TRUE(r.error.empty()) << r.error.text;
        EXPECT_EQ(r.tablesUsed, k.tablesUsed);
        EXPECT_EQ(r.sweepsUsed, static_cast<int>(k.levels.size()));
        EXPECT_EQ(savedReferences(), k.references);
    }
}

TEST_F(UpdateCalibrationTest, OtherBandsSkipSweepsStartingTooHigh)
{
    // Two sweeps from 210000 GHz, then one from 195000 GHz, then a later
    // one: a unit of band 0 uses the last two, a unit of band 1 all four.
    const std::string text = sweepLine(300, 0, 210000.0, 30, 0.0) + sweepLine(400, 0, 210000.0, 30, 0.0) +
                             sweepLine(100, 0, 195000.0, 30, 0.0) + sweepLine(120, 0, 195000.0, 30, 0.0) +
                             sweepLine(900, 2, 195000.0, 30, 0.0);
    struct Case {
        int band;
        int used;
        int tables;
    };
    for (const Case& k : {Case{0, 2, 10}, Case{1, 4, 10}}) {
        SCOPED_TRACE(k.band);
        unit.record.setFibreBand(static_cast<std::uint16_t>(k.band));
        const wc::CalibrationResult r = run(text);
        ASSERT_TRUE(r.error.empty()) << r.error.text;
        EXPECT_EQ(r.sweepsUsed, k.used);
        EXPECT_EQ(r.tablesUsed, k.tables);
        // Band 0: 100 and 120 in tables 0 and 9; band 1: 100 ... 400 in
        // bands of 30, 100 and 120 both in table 0. The sweep with hops
        // never counts: 900 is no table's reference.
        const std::vector<int> refs = savedReferences();
        EXPECT_EQ(refs.front(), k.band == 0 ? 100 : 110);
        EXPECT_EQ(refs.back(), k.band == 0 ? 120 : 400);
    }
}

TEST_F(UpdateCalibrationTest, FilesChartsAndArchive)
{
    // Every sweep 0.5 GHz above the grid of the first one: the tables come
    // out 0.5 GHz above that grid.
    const std::string text = sweepLine(100, 0, 194000.5, 60, 0.0) + sweepLine(100, 0, 194000.5, 60, 0.0);
    const wc::CalibrationResult r = run(text);
    ASSERT_TRUE(r.error.empty()) << r.error.text;
    ASSERT_FALSE(r.commonTable.empty());

    // "PicsWL.txt": "%lf %lf \n" per point of the common table.
    const std::string pics = readWholeFile(folder.file("PicsWL.txt"));
    std::string expected;
    for (const double f : r.commonTable) expected += cformat("%lf %lf \n", 299792458.0 / f, f);
    EXPECT_EQ(pics, expected);
    EXPECT_NE(pics.find("193900.500000"), std::string::npos);

    // One point per table and common point but the last; every table equals
    // the common one here, so every deviation is 0.
    TabCalib sizes(calib, identity);
    EXPECT_EQ(r.testCurve.size(), static_cast<std::size_t>(10 * (sizes.PointCount() - 1)));
    int green = 0, blue = 0, red = 0;
    for (const wc::ChartPoint& p : r.testCurve) {
        EXPECT_NEAR(p.y, 0.0, 1e-9);
        (p.colour == Colour::Green ? green : p.colour == Colour::Blue ? blue : red)++;
    }
    EXPECT_EQ(green, 4 * (sizes.PointCount() - 1));
    EXPECT_EQ(blue, 4 * (sizes.PointCount() - 1));
    EXPECT_EQ(red, 2 * (sizes.PointCount() - 1));
    // Chart1: the points between 1500 and 1520 nm, against the reference value.
    ASSERT_FALSE(r.chart1.empty());
    for (const wc::ChartPoint& p : r.chart1) {
        EXPECT_EQ(p.x, 100.0);
        EXPECT_EQ(p.colour, Colour::Blue);
    }

    EXPECT_EQ(r.archive.path, folder.file("CalibWL_0412_E42.txt"));
    EXPECT_FALSE(r.archive.exists);
    EXPECT_EQ(r.archive.question, "Remplacer fichier" + r.archive.path);
    EXPECT_TRUE(wc::writeArchive(calib, r.archive).empty());
    EXPECT_EQ(readWholeFile(r.archive.path), text);
    EXPECT_TRUE(run(text).archive.exists);
}

TEST_F(UpdateCalibrationTest, RefusedWithoutSweepsOrCalibration)
{
    std::filesystem::remove(folder.file("ValeursWL.txt"));
    wc::CalibrationResult r = wc::updateCalibration(calib, unit, identity, "E42");
    EXPECT_EQ(r.error.caption, "Erreur");
    EXPECT_EQ(r.error.text, "Fichier inexistant!");

    // Only sweeps with hops: nothing to build the tables from, the file is kept.
    const std::string before = readWholeFile(folder.file("File0412.dat"));
    r = run(sweepLine(100, 1, 195000.0, 30, 0.0) + "rubbish\n");
    EXPECT_EQ(r.error.caption, "Erreur");
    EXPECT_EQ(r.error.text, "Aucune mesure utilisable dans le fichier " + folder.file("ValeursWL.txt") + "!");
    EXPECT_EQ(readWholeFile(folder.file("File0412.dat")), before);
    EXPECT_FALSE(std::filesystem::exists(folder.file("PicsWL.txt")));

    // Lines 105 GHz apart drift away from the file's 100 GHz columns: the
    // file could not hold the tables, and keeps the ones it has.
    std::string drifting;
    for (const int level : {100, 101}) {
        drifting += cformat("%d 0 40 40 ", level);
        for (int i = 0; i < 40; ++i) drifting += cformat("%f ", 196000.0 - 105.0 * i);
        drifting += " \n";
    }
    r = run(drifting);
    EXPECT_EQ(r.error.caption, "Erreur");
    EXPECT_EQ(r.error.text, CalibrationTools::lineTablesDoNotFitText);
    EXPECT_EQ(readWholeFile(folder.file("File0412.dat")), before);

    std::filesystem::remove(folder.file("File0412.dat"));
    r = run(sweepLine(100, 0, 195000.0, 30, 0.0));
    EXPECT_EQ(r.error.caption, "Erreur");
    EXPECT_FALSE(r.error.text.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.file("File0412.dat")));
}

TEST(ShowResults, RootMeanSquaresPerEtalonLine)
{
    TempDir folder;
    const std::string calib = folder.str() + "/";
    const IdentityRecord identity = unitIdentity();
    const std::vector<double> etalon{193400.0, 193300.0, 193200.0};
    writeWholeFile(folder.file("Etalon.txt"), "1550.1 193400.0 \n1550.9 193300.0 \n1551.7 193200.0 \n");
    // The reader drops each line's first and last frequency (99999 here).
    writeWholeFile(folder.file("ValeursWL.txt"),
                   "5 0 9 4 99999 193400.3 193299.6 99999  \n"  // +0.3 on line 0, -0.4 on line 1
                   "5 1 9 5 99999 193400.4 193300.3 193200.0 99999  \n"  // zero counts as positive
                   "5 2 9 3 99999 193299.0 99999  \n"  // two hops: left out
                   "rubbish\n");
    const wc::TestResult r = wc::showResults(calib, identity, "E42");
    ASSERT_TRUE(r.error.empty()) << r.error.text;
    EXPECT_EQ(r.sweepsUsed, 2);
    EXPECT_EQ(r.damagedLines, 1);
    const double c = 299792458.0;
    // Line 0 only positive: a single red point; line 1 both; line 2 a red 0.
    ASSERT_EQ(r.testCurve.size(), 4u);
    const wc::ChartPoint expected[] = {
        {c / etalon[0], wc::detuningPm(std::sqrt((0.09 + 0.16) / 2), etalon[0]), Colour::Red},
        {c / etalon[1], -wc::detuningPm(0.4, etalon[1]), Colour::Green},
        {c / etalon[1], wc::detuningPm(0.3, etalon[1]), Colour::Red},
        {c / etalon[2], 0.0, Colour::Red},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(r.testCurve[i].x, expected[i].x) << i;
        EXPECT_NEAR(r.testCurve[i].y, expected[i].y, 1e-6) << i;
        EXPECT_EQ(r.testCurve[i].colour, expected[i].colour) << i;
    }
    EXPECT_EQ(r.archive.path, folder.file("TestWL_0412_E42.txt"));
    EXPECT_EQ(r.archive.question, "Remplacer fichier " + r.archive.path);

    // Without either file: "Fichier inexistant!".
    for (const char* missing : {"ValeursWL.txt", "Etalon.txt"}) {
        std::filesystem::remove(folder.file(missing));
        const wc::TestResult none = wc::showResults(calib, identity, "E42");
        EXPECT_EQ(none.error.caption, "Erreur") << missing;
        EXPECT_EQ(none.error.text, "Fichier inexistant!") << missing;
    }
}

TEST(ShowResults, ArchiveNeedsTheUnitsSerial)
{
    TempDir folder;
    EXPECT_TRUE(wc::archiveFor(folder.str(), wc::testArchivePrefix, wc::testArchiveQuestion, "", "E42").path.empty());
    // Serials that would put the archive outside the Calib folder give none.
    EXPECT_TRUE(wc::archiveFor(folder.str(), wc::testArchivePrefix, wc::testArchiveQuestion, "77", "../E42").path.empty());
    EXPECT_TRUE(wc::archiveFor(folder.str(), wc::testArchivePrefix, wc::testArchiveQuestion, "a/b", "E42").path.empty());
    writeWholeFile(folder.file("TestWL_77_E1.txt"), "x");
    EXPECT_TRUE(wc::archiveFor(folder.str(), wc::testArchivePrefix, wc::testArchiveQuestion, "77", "E1").exists);
    // No serial, no archive, nothing to say.
    EXPECT_TRUE(wc::writeArchive(folder.str(), wc::Archive{}).empty());
}

TEST(EnvelopeSpread, MoreThanTenPoints)
{
    for (const int n : {10, 11, 30}) {
        ScanData data;
        data.ensureEnvelopes();
        data.fillEnvelopes(n, [&](std::span<double> x, std::span<double> high, std::span<double> low) {
            for (int j = 0; j < n; ++j) {
                x[static_cast<std::size_t>(j)] = 1540.0 + j;
                high[static_cast<std::size_t>(j)] = -1.0 + 0.1 * j;
                low[static_cast<std::size_t>(j)] = -2.0;
            }
            return true;
        });
        const auto points = wc::envelopeSpread(data);
        ASSERT_EQ(points.has_value(), n > 10) << n;
        if (!points) continue;
        ASSERT_EQ(points->size(), static_cast<std::size_t>(n - 1));
        EXPECT_EQ(points->back().x, 1540.0 + n - 2);
        EXPECT_NEAR(points->back().y, 1.0 + 0.1 * (n - 2), 1e-12);
        EXPECT_EQ(points->back().colour, Colour::Red);
    }
}

}  // namespace
