#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FileUtil.h"
#include "ScanFileFixture.h"
#include "ScanFilePair.h"
#include "Scanmanager.h"

namespace {

using Doubles = std::vector<double>;

void expectSameCurves(const ScanTrace& expected, const ScanTrace& loaded)
{
    ASSERT_EQ(loaded.CurveCount(), expected.CurveCount());
    for (int i = 0; i < expected.CurveCount(); ++i) {
        const ScanCurve& e = *expected.CurveAt(i);
        const ScanCurve& l = *loaded.CurveAt(i);
        SCOPED_TRACE("curve " + e.name());
        EXPECT_EQ(l.name(), e.name());
        const int n = e.data().count();
        ASSERT_EQ(l.data().count(), n);
        EXPECT_GT(n, 0);
        EXPECT_EQ(firstN(l.data().x(), n), firstN(e.data().x(), n));
        EXPECT_EQ(firstN(l.data().y(), n), firstN(e.data().y(), n));
        EXPECT_EQ(l.hasEnvelopes(), e.hasEnvelopes());
        EXPECT_EQ(l.data().nbScan(), e.data().nbScan());
        if (e.hasEnvelopes()) {
            EXPECT_EQ(firstN(l.data().xRef(), n), firstN(e.data().xRef(), n));
            EXPECT_EQ(firstN(l.data().yMin(), n), firstN(e.data().yMin(), n));
            EXPECT_EQ(firstN(l.data().yMax(), n), firstN(e.data().yMax(), n));
        }
    }
}

// A document of a saved file, edited and written back.
void editXml(const std::string& path, const std::function<void(TiXmlElement& root)>& edit)
{
    TiXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(path.c_str()));
    edit(*doc.RootElement());
    ASSERT_TRUE(doc.SaveFile(path.c_str()));
}

TiXmlElement& element(TiXmlElement& parent, const char* path)
{
    TiXmlElement* e = &parent;
    std::string rest = path;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        e = e->FirstChildElement(rest.substr(0, slash).c_str());
        if (e == nullptr) throw std::runtime_error(std::string("no element ") + path);
        rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
    }
    return *e;
}

class ScanFileTest : public ::testing::Test {
protected:
    ScanFileEnvironment env;
    ScanTrace saved{nullptr, nullptr, &env.sources};
    std::string path = env.file("a.scan.xml");

    void saveSynthetic(int scans, int samples = 801)
    {
        buildSyntheticTrace(saved, samples, scans);
        std::string error;
        ASSERT_TRUE(saveScanFile(path, saved, env.frame(), &error)) << error;
    }
};

// What a later load starts from: other settings and another source configuration.
struct Loader {
    TempDir folder;
    ApplicationConfig settings{folder.str()};
    SectionSources live;
    ScanManager manager{nullptr, nullptr, &live};
    MessageCapture messages;

    int load(const std::string& path)
    {
        return loadFromChartPage(path, manager, settings, ConfigurationSections::of(&live, nullptr), &live);
    }
    ScanTrace& trace() { return manager.Current(); }
};

class ScanFileRoundTrip : public ScanFileTest, public ::testing::WithParamInterface<int> {};

TEST_P(ScanFileRoundTrip, GivesBackPointsEnvelopesLinesAndConfiguration)
{
    // The measurement resampled with the settings' step; the file keeps it.
    env.settings.samplingStep = 5;
    saveSynthetic(GetParam());

    Loader loader;
    ASSERT_EQ(loader.load(path), 0);
    const ScanTrace& loaded = loader.trace();
    EXPECT_TRUE(loader.messages.shown.empty());
    EXPECT_EQ(loaded.name(), "a.scan.xml");

    expectSameCurves(saved, loaded);
    ASSERT_EQ(loaded.result().lines.size(), saved.result().lines.size());
    for (std::size_t i = 0; i < saved.result().lines.size(); ++i)
        EXPECT_NEAR(loaded.result().lines[i], saved.result().lines[i], 0.0005 + 1e-4);
    EXPECT_EQ(loaded.result().referenceWavelengths, saved.result().referenceWavelengths);
    EXPECT_EQ(loaded.result().referenceDeviations, saved.result().referenceDeviations);
    // The same grid, rebuilt from the stored step and the loaded scan range.
    EXPECT_EQ(loaded.result().resampledWavelength, saved.result().resampledWavelength);
    for (int channel = 0; channel < ScanChannel::Count; ++channel)
        EXPECT_EQ(loaded.result().resampledValues[channel], saved.result().resampledValues[channel]) << channel;

    // The Sources section reached the live configuration, the trace's copy
    // and the coverage.
    EXPECT_EQ(loader.live.start, env.sources.start);
    EXPECT_EQ(loader.live.stop, env.sources.stop);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(loader.live.sources[i].enabled, env.sources.sources[i].enabled);
        EXPECT_EQ(loader.live.sources[i].lambdaMin, env.sources.sources[i].lambdaMin);
        EXPECT_EQ(loader.live.sources[i].lambdaMax, env.sources.sources[i].lambdaMax);
    }
    ASSERT_NE(loaded.configuration(), nullptr);
    EXPECT_EQ(loaded.configuration()->scanStart(), 1546.0);
    ASSERT_EQ(loaded.coverage().shapes().size(), saved.coverage().shapes().size());
    for (std::size_t i = 0; i < saved.coverage().shapes().size(); ++i) {
        EXPECT_EQ(loaded.coverage().shapes()[i].x0, saved.coverage().shapes()[i].x0);
        EXPECT_EQ(loaded.coverage().shapes()[i].x1, saved.coverage().shapes()[i].x1);
    }
}

INSTANTIATE_TEST_SUITE_P(SingleAndContinuous, ScanFileRoundTrip, ::testing::Values(1, 4),
                         [](const auto& info) { return info.param == 1 ? "Single" : "ContinuousWithEnvelopes"; });

TEST_F(ScanFileTest, WritesTheScanPartAfterTheConfigurationFrame)
{
    ScanTrace trace(nullptr, nullptr, &env.sources);
    trace.result().lines = {1530.1, 1550.25};
    trace.AddCurve("1", false);
    ScanCurve& ext = *trace.AddCurve("Ext", true);
    ext.data().SetCount(2);
    ext.data().setNbScan(7);
    ASSERT_TRUE(saveScanFile(path, trace, env.frame()));

    TiXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(path.c_str()));
    TiXmlElement& root = *doc.RootElement();
    EXPECT_STREQ(root.Value(), "VEMAR");
    std::vector<std::string> children;
    for (TiXmlElement* e = root.FirstChildElement(); e; e = e->NextSiblingElement()) children.push_back(e->Value());
    EXPECT_EQ(children, (std::vector<std::string>{"About", "Configuration", "Scan"}));
    EXPECT_NE(root.FirstChildElement("Configuration")->FirstChildElement("Sources")->FirstChildElement("TLS"), nullptr);
    EXPECT_STREQ(element(root, "Scan/Line_detection").Attribute("Data"), "2 1530.100 1550.250 ");

    TiXmlElement* curve = element(root, "Scan").FirstChildElement("Curve");
    ASSERT_NE(curve, nullptr);
    EXPECT_STREQ(curve->Attribute("Name"), "1");
    EXPECT_STREQ(curve->Attribute("NbPoints"), "0");
    EXPECT_STREQ(curve->Attribute("NbScan"), "0");
    EXPECT_STREQ(curve->Attribute("IsMinMaxSerie"), "False");
    curve = curve->NextSiblingElement("Curve");
    ASSERT_NE(curve, nullptr);
    EXPECT_STREQ(curve->Attribute("Name"), "Ext");
    EXPECT_STREQ(curve->Attribute("NbPoints"), "2");
    EXPECT_STREQ(curve->Attribute("NbScan"), "7");
    EXPECT_STREQ(curve->Attribute("IsMinMaxSerie"), "True");
}

// The side file built independently: int32 count and doubles per block,
// then the envelopes of each min/max curve.
std::string expectedSideFile(const ScanTrace& trace)
{
    std::string bytes;
    auto count = [&bytes](std::size_t n) {
        const auto v = static_cast<std::uint32_t>(n);
        for (int b = 0; b < 4; ++b) bytes += static_cast<char>((v >> (8 * b)) & 0xFF);
    };
    auto doubles = [&bytes](std::span<const double> values) {
        for (double v : values) {
            std::uint64_t u;
            std::memcpy(&u, &v, 8);
            for (int b = 0; b < 8; ++b) bytes += static_cast<char>((u >> (8 * b)) & 0xFF);
        }
    };
    const ScanRes& r = trace.result();
    for (const Doubles* block : {&r.referenceWavelengths, &r.referenceDeviations, &r.wavelength, &r.velocity,
                                 &r.values[0], &r.values[1], &r.values[2], &r.values[3], &r.values[4], &r.values[5]}) {
        count(block->size());
        doubles(*block);
    }
    for (int i = 0; i < trace.CurveCount(); ++i) {
        const ScanData& d = trace.CurveAt(i)->data();
        if (!trace.CurveAt(i)->hasEnvelopes()) continue;
        const auto n = static_cast<std::size_t>(d.count());
        doubles(d.xRef().first(n));
        doubles(d.yMax().first(n));
        doubles(d.yMin().first(n));
    }
    return bytes;
}

TEST_F(ScanFileTest, SideFileHoldsTheBlocksThenTheEnvelopesLittleEndian)
{
    saveSynthetic(3, 101);
    const std::string side = readWholeFile(path + ".dat");
    EXPECT_EQ(side.size(), expectedSideFile(saved).size());
    EXPECT_TRUE(side == expectedSideFile(saved));
    // Nothing but the pair is left in the folder.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(env.folder.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 2);
}

TEST_F(ScanFileTest, FileWithTheOldRootLoadsLikeTheCurrentOne)
{
    saveSynthetic(2);
    std::string xml = readWholeFile(path);
    ASSERT_EQ(xml.rfind("<VEMAR>", 0), 0u);
    xml.replace(0, 7, "<RB5560>");
    xml.replace(xml.rfind("</VEMAR>"), 8, "</RB5560>");
    writeWholeFile(path, xml);

    Loader loader;
    ASSERT_EQ(loader.load(path), 0);
    expectSameCurves(saved, loader.trace());
    EXPECT_EQ(loader.live.stop, 1554.0);
}

struct ReleaseCase {
    const char* release;  // nullptr: no Release element
    const char* step;     // nullptr: no Value attribute
    double expectedPm;
};

TEST_F(ScanFileTest, ReleaseRuleOfTheSamplingStep)
{
    const ReleaseCase cases[] = {
        {"v 3.5.9", "3", 8},   {"v 3.6.0", "3", 3},  {"v 3.8.0", "3", 3},      {"v 2.9.9", "0", 1},
        {"v 3.5.2", "7", 128}, {"v 3.5.2", "9", 1},  {"v 3.5.2", "-1", 1},     {"3.5.2", "3", 3},
        {"v 3.5", "3", 3},     {nullptr, "3", 3},    {"v 3.8.0", nullptr, 1},  {"v 3.8.0", "abc", 1},
    };
    saveSynthetic(1, 201);
    for (const ReleaseCase& c : cases) {
        SCOPED_TRACE(std::string(c.release ? c.release : "(none)") + " / " + (c.step ? c.step : "(none)"));
        const std::string file = env.file(std::string("r") + std::to_string(&c - cases) + ".scan.xml");
        std::filesystem::copy_file(path, file);
        std::filesystem::copy_file(path + ".dat", file + ".dat");
        editXml(file, [&c](TiXmlElement& root) {
            TiXmlElement& release = element(root, "About/Release");
            if (c.release == nullptr)
                release.Parent()->RemoveChild(&release);
            else
                release.SetAttribute("Value", c.release);
            TiXmlElement& step = element(root, "Configuration/Application/Sampling_Step");
            if (c.step == nullptr)
                step.RemoveAttribute("Value");
            else
                step.SetAttribute("Value", c.step);
        });
        Loader loader;
        ASSERT_EQ(loader.load(file), 0);
        const Doubles& grid = loader.trace().result().resampledWavelength;
        ASSERT_GE(grid.size(), 2u);
        EXPECT_NEAR(grid[1] - grid[0], c.expectedPm * 0.001, 1e-9);
        EXPECT_EQ(grid.front(), 1546.0);
    }
}

TEST_F(ScanFileTest, ResamplingGridStaysWithinTheChartLimits)
{
    saveSynthetic(1, 201);
    editXml(path, [](TiXmlElement& root) {
        TiXmlElement& sources = element(root, "Configuration/Sources");
        sources.SetAttribute("Start", "-5");
        sources.SetAttribute("Stop", "1E7");
        element(root, "Configuration/Application/Sampling_Step").SetAttribute("Value", "1000");
    });
    Loader loader;
    ASSERT_EQ(loader.load(path), 0);
    const Doubles& grid = loader.trace().result().resampledWavelength;
    ASSERT_EQ(grid.size(), 2001u);
    EXPECT_EQ(grid.front(), 0.0);
    EXPECT_DOUBLE_EQ(grid.back(), 2000.0);
}

TEST_F(ScanFileTest, LineDetectionMissingOrEmpty)
{
    saveSynthetic(1, 201);
    editXml(path, [](TiXmlElement& root) { element(root, "Scan/Line_detection").SetAttribute("Data", "0 "); });
    {
        Loader loader;
        ASSERT_EQ(loader.load(path), 0);
        EXPECT_TRUE(loader.trace().result().lines.empty());
        EXPECT_TRUE(loader.messages.shown.empty());
    }
    editXml(path, [](TiXmlElement& root) {
        TiXmlElement& lines = element(root, "Scan/Line_detection");
        lines.Parent()->RemoveChild(&lines);
    });
    Loader loader;
    ASSERT_EQ(loader.load(path), 0);
    EXPECT_EQ(loader.messages.shown, (std::vector<std::string>{"Load error: Can't load line detection values"}));
    // The rest of the scan still loads.
    expectSameCurves(saved, loader.trace());
}

TEST_F(ScanFileTest, FileWithoutTheRootIsRefusedWithAMessage)
{
    const std::pair<const char*, std::string> files[] = {
        {"foreign.scan.xml", "<Other><Scan/></Other>"},
        {"broken.scan.xml", "<VEMAR><About></VEMAR>"},
        {"empty.scan.xml", ""},
        {"binary.scan.xml", std::string("\x00\xff\x10<VEMAR/>", 11)},
    };
    for (const auto& [name, contents] : files) {
        SCOPED_TRACE(name);
        writeWholeFile(env.file(name), contents);
        Loader loader;
        EXPECT_EQ(loader.load(env.file(name)), -2);
        EXPECT_EQ(loader.messages.shown, (std::vector<std::string>{"Error: Can't open the file. The format is invalid."}));
        // The empty trace stays in the store.
        EXPECT_EQ(loader.manager.Count(), 1);
        EXPECT_EQ(loader.trace().CurveCount(), 0);
    }
    Loader loader;
    EXPECT_EQ(loader.load(env.file("missing.scan.xml")), -2);
}

TEST_F(ScanFileTest, DeeplyNestedFileIsRefusedInsteadOfOverflowingTheStack)
{
    std::string text = "<VEMAR><Scan>";
    for (int i = 0; i < 200000; ++i) text += "<Curve>";
    writeWholeFile(path, text);
    Loader loader;
    EXPECT_EQ(loader.load(path), -2);
    EXPECT_EQ(loader.messages.shown, (std::vector<std::string>{"Error: Can't open the file. The format is invalid."}));
}

// What a damaged pair still gives: the blocks before the damage, the curves,
// and the envelopes of the curves before it.
struct DamageCase {
    const char* name;
    std::function<void(std::string& side)> damageSide;
    std::function<void(TiXmlElement& root)> damageXml;
    bool pointsLoaded;
    bool referencesLoaded;
    std::vector<bool> envelopesLoaded;  // curves "1", "2", "Ext"
};

void setCurveAttribute(TiXmlElement& root, int index, const char* name, const char* value)
{
    TiXmlElement* curve = element(root, "Scan").FirstChildElement("Curve");
    for (int i = 0; i < index; ++i) curve = curve->NextSiblingElement("Curve");
    curve->SetAttribute(name, value);
}

void putInt32(std::string& side, std::size_t offset, std::uint32_t value)
{
    for (int b = 0; b < 4; ++b) side[offset + b] = static_cast<char>((value >> (8 * b)) & 0xFF);
}

// Files of a program that did not record the side file in the scan file
// (a file with the record is refused as soon as its side file disagrees:
// ScanFilePairTest).
TEST_F(ScanFileTest, DamagedFilesLoadWhatCanBeLoaded)
{
    const int samples = 201;
    saveSynthetic(3, samples);
    editXml(path, [](TiXmlElement& root) {
        element(root, "Scan").RemoveAttribute(sideFileSizeAttribute);
        element(root, "Scan").RemoveAttribute(sideFileCheckAttribute);
    });
    const std::string goodSide = readWholeFile(path + ".dat");
    const std::string goodXml = readWholeFile(path);
    const int count = saved.CurveAt(0)->data().count();
    const std::size_t envelopeBytes = 3u * 8u * static_cast<std::size_t>(count);
    // Offset of the third block's count: after two blocks of 3 values.
    const std::size_t block3 = 2 * (4 + 3 * 8);
    const std::size_t firstEnvelopes = goodSide.size() - 3 * envelopeBytes;

    const DamageCase cases[] = {
        {"intact", nullptr, nullptr, true, true, {true, true, true}},
        {"missing side file", [](std::string& s) { s = "<delete>"; }, nullptr, false, false, {false, false, false}},
        {"empty side file", [](std::string& s) { s.clear(); }, nullptr, false, false, {false, false, false}},
        {"truncated in the wavelengths", [&](std::string& s) { s.resize(block3 + 4 + 100); }, nullptr, false, true,
         {false, false, false}},
        {"truncated in a count", [&](std::string& s) { s.resize(block3 + 2); }, nullptr, false, true,
         {false, false, false}},
        {"truncated in the second envelopes", [&](std::string& s) { s.resize(firstEnvelopes + envelopeBytes + 17); },
         nullptr, true, true, {true, false, false}},
        {"negative first count", [](std::string& s) { putInt32(s, 0, 0xFFFFFFFF); }, nullptr, false, false,
         {false, false, false}},
        {"count beyond the file", [&](std::string& s) { putInt32(s, block3, 0x7FFFFFFF); }, nullptr, false, true,
         {false, false, false}},
        {"absurd NbPoints", nullptr, [](TiXmlElement& r) { setCurveAttribute(r, 0, "NbPoints", "2000000000"); },
         true, true, {false, false, false}},
        {"NbPoints beyond the data", nullptr,
         [&](TiXmlElement& r) { setCurveAttribute(r, 1, "NbPoints", std::to_string(count * 2 + 1).c_str()); }, true,
         true, {true, false, false}},
        {"negative NbPoints", nullptr, [](TiXmlElement& r) { setCurveAttribute(r, 1, "NbPoints", "-5"); }, true, true,
         {true, false, false}},
        {"NbPoints not a number", nullptr, [](TiXmlElement& r) { setCurveAttribute(r, 0, "NbPoints", "many"); }, true,
         true, {false, false, false}},
        {"NbScan not a number", nullptr, [](TiXmlElement& r) { setCurveAttribute(r, 2, "NbScan", "x"); }, true, true,
         {true, true, true}},
        {"min/max flag lost", nullptr, [](TiXmlElement& r) { setCurveAttribute(r, 0, "IsMinMaxSerie", "false"); },
         true, true, {false, false, false}},
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string side = goodSide;
        if (c.damageSide) c.damageSide(side);
        std::filesystem::remove(path + ".dat");
        if (side != "<delete>") writeWholeFile(path + ".dat", side);
        writeWholeFile(path, goodXml);
        if (c.damageXml) editXml(path, c.damageXml);

        Loader loader;
        ASSERT_EQ(loader.load(path), 0);
        const ScanTrace& trace = loader.trace();
        ASSERT_EQ(trace.CurveCount(), 3);
        EXPECT_EQ(trace.result().referenceWavelengths.size(), c.referencesLoaded ? 3u : 0u);
        for (int i = 0; i < 3; ++i) {
            const ScanCurve& curve = *trace.CurveAt(i);
            const ScanCurve& original = *saved.CurveAt(i);
            SCOPED_TRACE(curve.name());
            EXPECT_EQ(curve.data().count(), c.pointsLoaded ? original.data().count() : 0);
            EXPECT_EQ(curve.hasEnvelopes(), c.envelopesLoaded[static_cast<std::size_t>(i)]);
            if (c.pointsLoaded) {
                EXPECT_EQ(firstN(curve.data().y(), count), firstN(original.data().y(), count));
            }
            if (curve.hasEnvelopes()) {
                EXPECT_EQ(firstN(curve.data().yMax(), count), firstN(original.data().yMax(), count));
            }
        }
    }
}

TEST_F(ScanFileTest, TwoStepSaveAfterTheConfigurationFileAndSavingTwice)
{
    buildSyntheticTrace(saved, 201, 2);
    ASSERT_TRUE(ConfigurationFile::saveConfiguration(path, env.about, env.settings,
                                                     ConfigurationSections::of(&env.sources, nullptr)));
    ASSERT_TRUE(saved.SaveXml(path));
    // Saving again into the same file replaces the scan part instead of
    // adding a second one that the side file would not match.
    ASSERT_TRUE(saved.SaveXml(path));
    TiXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(path.c_str()));
    int scans = 0, lines = 0, curves = 0;
    for (TiXmlElement* s = doc.RootElement()->FirstChildElement("Scan"); s; s = s->NextSiblingElement("Scan")) {
        ++scans;
        for (TiXmlElement* e = s->FirstChildElement(); e; e = e->NextSiblingElement())
            (std::string(e->Value()) == "Curve" ? curves : lines)++;
    }
    EXPECT_EQ(scans, 1);
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(curves, 3);

    Loader loader;
    ASSERT_EQ(loader.load(path), 0);
    expectSameCurves(saved, loader.trace());
}

TEST_F(ScanFileTest, SaveFailuresAreReportedAndLeaveThePreviousFile)
{
    buildSyntheticTrace(saved, 101, 1);
    std::string error;
    // No configuration to add the scan to.
    EXPECT_FALSE(saved.SaveXml(env.file("none.scan.xml"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(env.file("none.scan.xml.dat")));
    // A folder that does not exist.
    error.clear();
    EXPECT_FALSE(saveScanFile(env.file("no/such/folder/a.scan.xml"), saved, env.frame(), &error));
    EXPECT_FALSE(error.empty());

    // The side file cannot replace what stands under its name: the previous
    // XML file stays as it was and no temporary file is left.
    writeWholeFile(path, "previous");
    std::filesystem::create_directory(path + ".dat");
    EXPECT_FALSE(saveScanFile(path, saved, env.frame(), &error));
    EXPECT_EQ(readWholeFile(path), "previous");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(env.folder.path())) ++entries;
    // Config/, Data/, Calib/ of the settings' folder tree live elsewhere: the
    // folder holds the XML file, the directory in the way and the settings' root.
    EXPECT_EQ(entries, 3);
}

}  // namespace
