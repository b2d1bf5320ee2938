// The passband result files: "*.passband.xml" written and read back, damaged
// files, and the text file against hand-written expected files.

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>

#include "CommaLocale.h"
#include "FakeTrace.h"
#include "FileUtil.h"
#include "Passband.h"
#include "TestRecords.h"
#include "PassbandFiles.h"
#include "TempDir.h"

namespace {

// Two traces: "Detector 1" with two analyses of channel 26 (the second has
// a none figure and a value too long for a text column), and a trace with a
// long name whose channel 25 was seen only in the first analysis.
void fillTwoTraces(Passband_ValuesManager& results)
{
    results.add("Detector 1", 26,
                record({193.39944f, -0.55937f, 26.0f, 28.609375f, 50.734375f, 1.6f, 0.25f, 45.125f, 55.0f, -1.0f}));
    results.add("A very long detector name", 25,
                record({193.5f, 0.0f, 30.0f, 35.0f, 60.0f, 2.0f, 0.5f, 40.0f, 50.0f, -2.0f}));
    results.fold();
    results.beginAnalysis();
    results.add("Detector 1", 26,
                record({193.4f, 0.5f, 25.5f, noneMarker, 50.0f, 1.75f, 0.125f, 44.0f, 1234567890123.0f, -1.2f}));
    results.fold();
}

void expectSameResults(const Passband_ValuesManager& a, const Passband_ValuesManager& b)
{
    ASSERT_EQ(a.traces().size(), b.traces().size());
    for (const auto& [name, values] : a.traces()) {
        const Passband_Values* other = b.trace(name);
        ASSERT_NE(other, nullptr) << name;
        EXPECT_EQ(values->channels(), other->channels()) << name;
        EXPECT_EQ(values->duplicateFlags(), other->duplicateFlags()) << name;
        const auto same = [&](const Passband_Values::Records& x, const Passband_Values::Records& y) {
            ASSERT_EQ(x.size(), y.size()) << name;
            for (const auto& [ch, rec] : x) {
                ASSERT_TRUE(y.count(ch)) << name << " " << ch;
                // "%f" keeps six decimals: what float figures need of them.
                for (std::size_t k = 0; k < Passband_Value::figureCount; ++k)
                    EXPECT_NEAR(rec.values[k], y.at(ch).values[k], 5e-7 * std::max(1.0f, std::fabs(rec.values[k])))
                        << name << " " << ch << " " << k;
            }
        };
        same(values->current(), other->current());
        same(values->min(), other->min());
        same(values->max(), other->max());
    }
}

struct FileFixture : ::testing::Test {
    TempDir tmp;
    FakeTrace trace;
    Passband passband{trace};
};

TEST_F(FileFixture, xmlResultFileReadsBackParametersAndResults)
{
    passband.grid.gridType.setValue(GridType::Itu50GHz);
    passband.bandwidth2.setValue(-6.0f);
    passband.alarms.maxIL.setValue(3.5f);
    fillTwoTraces(passband.results());
    passband.results().add("Detector 1", 26, record({1.0f}));  // a duplicate in the latest analysis
    const std::string path = tmp.file("run.passband.xml");
    {
        CommaLocale comma;
        ASSERT_TRUE(PassbandFiles::saveXml(passband, path));
    }
    const std::string text = readWholeFile(path);
    EXPECT_EQ(text.rfind("<Passband>", 0), 0u) << "no XML declaration, root first";
    EXPECT_NE(text.find("value3=\"340282346638528859811704183484516925440.000000\""), std::string::npos);
    EXPECT_NE(text.find("<error size=\"1\">"), std::string::npos);

    FakeTrace otherTrace;
    Passband loaded(otherTrace);
    ASSERT_TRUE(PassbandFiles::loadXml(loaded, path));
    EXPECT_EQ(loaded.grid.gridType.value(), GridType::Itu50GHz);
    EXPECT_EQ(loaded.bandwidth2.value(), -6.0f);
    EXPECT_EQ(loaded.alarms.maxIL.value(), 3.5f);
    expectSameResults(passband.results(), loaded.results());
    EXPECT_TRUE(loaded.results().trace("Detector 1")->duplicate(26));
    EXPECT_EQ(loaded.results().trace("Detector 1")->maxOf(26)->values[3], noneMarker);
    EXPECT_EQ(loaded.results().trace("A very long detector name")->currentOf(25), nullptr);
}

TEST_F(FileFixture, readingSkipsWhatIsMissingAndTakesDefaults)
{
    const std::string path = tmp.file("edited.passband.xml");
    writeWholeFile(path,
                   "<Passband><Configuration Threshold=\"-28\" />"
                   "<traces size=\"3\">"
                   "<trace0 name=\"\"><Current size=\"1\"><position0 channel=\"3\" value0=\"1\" /></Current></trace0>"
                   "<trace1 name=\"Detector 2\">"
                   "<Current size=\"4\">"
                   "<position0 channel=\"7\" value0=\"193.1\" value5=\"oops\" />"
                   "<position1 value0=\"5\" />"
                   "<position3 channel=\"8\" value9=\"-3.5\" />"
                   "<position7 channel=\"9\" />"
                   "</Current>"
                   "<error size=\"2\"><position0 channel=\"7\" value=\"true\" />"
                   "<position1 channel=\"8\" value=\"True\" /></error>"
                   "</trace1>"
                   "<trace1 name=\"ignored: second trace1\" />"
                   "</traces></Passband>");
    passband.results().add("old", 1, record({1.0f}));
    ASSERT_TRUE(PassbandFiles::loadXml(passband, path));
    EXPECT_EQ(passband.threshold.value(), -28.0f);
    const auto& traces = passband.results().traces();
    ASSERT_EQ(traces.size(), 1u);
    const Passband_Values* v = passband.results().trace("Detector 2");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->channels(), (std::set<int>{7, 8}));
    EXPECT_EQ(v->currentOf(7)->values[0], 193.1f);
    EXPECT_EQ(v->currentOf(7)->values[5], noneMarker);  // not a number: the default
    EXPECT_EQ(v->currentOf(7)->values[1], noneMarker);  // missing
    EXPECT_EQ(v->currentOf(8)->values[9], -3.5f);
    EXPECT_EQ(v->minOf(7), nullptr);
    EXPECT_FALSE(v->duplicate(7));  // "true" is not "True"
    EXPECT_TRUE(v->duplicate(8));
}

TEST_F(FileFixture, damagedOrForeignFilesChangeNothing)
{
    passband.threshold.setValue(-25.0f);
    passband.results().add("kept", 26, record({1.0f}));
    const std::pair<const char*, const char*> files[] = {
        {"malformed.passband.xml", "<Passband><Configuration Threshold=\"-10\" ></Passband"},
        {"foreign.passband.xml", "<VEMAR><Configuration Threshold=\"-10\" /></VEMAR>"},
    };
    for (const auto& [name, text] : files) {
        writeWholeFile(tmp.file(name), text);
        EXPECT_FALSE(PassbandFiles::loadXml(passband, tmp.file(name))) << name;
    }
    EXPECT_FALSE(PassbandFiles::loadXml(passband, tmp.file("missing.passband.xml")));
    EXPECT_EQ(passband.threshold.value(), -25.0f);
    EXPECT_NE(passband.results().trace("kept"), nullptr);
}

TEST_F(FileFixture, hugeSizesInAFileCostNothing)
{
    const std::string path = tmp.file("huge.passband.xml");
    writeWholeFile(path,
                   "<Passband><traces size=\"2147483647\"><trace2000000000 name=\"far\">"
                   "<Current size=\"2147483647\"><position1999999999 channel=\"4\" value0=\"1\" /></Current>"
                   "</trace2000000000></traces></Passband>");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PassbandFiles::loadXml(passband, path));
    // Bounded by the elements present, not by the sizes claimed (a loop over
    // the claimed sizes would take minutes).
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_NE(passband.results().trace("far"), nullptr);
    EXPECT_EQ(passband.results().trace("far")->currentOf(4)->values[0], 1.0f);
}

TEST_F(FileFixture, textFileMatchesTheHandWrittenFile)
{
    fillTwoTraces(passband.results());
    const std::string path = tmp.file("run.txt");
    {
        CommaLocale comma;
        ASSERT_TRUE(PassbandFiles::saveText(passband, path));
    }
    EXPECT_EQ(readWholeFile(path), readWholeFile(std::string(PASSBAND_TEST_DATA) + "/two_traces.txt"));
}

TEST_F(FileFixture, textFileWithoutResultsHoldsParametersAndHeadersOnly)
{
    passband.threshold.setValue(-35.5f);
    passband.grid.gridType.setValue(GridType::Cwdm);
    passband.bandwidth1.setValue(-0.5f);
    passband.owr.setValue(6.5f);
    EXPECT_EQ(passband.writeText(), readWholeFile(std::string(PASSBAND_TEST_DATA) + "/no_traces_cwdm.txt"));
}

TEST_F(FileFixture, unwritableFileReportsFailureAndLeavesNothing)
{
    fillTwoTraces(passband.results());
    const std::string path = tmp.file("no/such/folder/run.passband.xml");
    EXPECT_FALSE(PassbandFiles::saveXml(passband, path));
    EXPECT_FALSE(PassbandFiles::saveText(passband, tmp.file("no/such/folder/run.txt")));
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
