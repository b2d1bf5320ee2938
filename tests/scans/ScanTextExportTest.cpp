#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "CommaLocale.h"
#include "FileUtil.h"
#include "ScanFakes.h"
#include "ScanFile.h"
#include "ScanTextColumns.h"
#include "ScanTextHeaders.h"
#include "ScanTrace.h"
#include "SyncSamples.h"
#include "SynchronisationFiles.h"
#include "TempDir.h"

namespace {

std::string dataFile(const std::string& name) { return std::string(VEMAR_SCANS_TEST_DATA) + "/" + name; }

// The fixture scan of data/README.md, with the curves "1" and "Ext".
void fillFixture(ScanTrace& trace)
{
    ScanRes& r = trace.result();
    r.resampledWavelength = {1550.00, 1550.01, 1550.02};
    r.resampledValues[ScanChannel::Output] = {-10, -10.5, -11.25};
    r.resampledValues[ScanChannel::Detector1] = {-13.5, -14, -15.12};
    r.resampledValues[ScanChannel::Ext] = {0.75, 0.8, 1.23456};
    r.present[ScanChannel::Output] = r.present[ScanChannel::Detector1] = r.present[ScanChannel::Ext] = true;
    trace.AddCurve("1", false);
    trace.AddCurve("Ext", false);
}

TEST(ScanTextExport, MatchesTheHandWrittenFiles)
{
    TempDir folder;
    ScanTrace trace(nullptr, nullptr, nullptr);
    fillFixture(trace);
    CommaLocale comma;  // the user's locale must not reach the files
    for (const bool bnc : {false, true}) {
        for (const TextExportForm form : {TextExportForm::Csv, TextExportForm::Txt}) {
            const bool csv = form == TextExportForm::Csv;
            const std::string expected = std::string("fixture-1-ext") + (bnc ? "-bnc" : "") + (csv ? ".csv" : ".txt");
            SCOPED_TRACE(expected);
            const std::string path = folder.file(expected);
            const std::string header = chartPageTextHeader(trace, form);
            const int status = csv ? trace.result().WriteCsv(path, header.c_str(), bnc)
                                   : trace.result().WriteTxt(path, header.c_str(), bnc);
            ASSERT_EQ(status, 0);
            EXPECT_EQ(readWholeFile(path), readWholeFile(dataFile(expected)));
        }
    }
}

TEST(ScanTextExport, WithoutHeaderAndWhenTheFileCannotBeCreated)
{
    TempDir folder;
    ScanTrace trace(nullptr, nullptr, nullptr);
    fillFixture(trace);
    ASSERT_EQ(trace.result().WriteCsv(folder.file("a.csv"), nullptr, false), 0);
    EXPECT_EQ(readWholeFile(folder.file("a.csv")).substr(0, 30), "1550.000;-10.00;-3.50;0.7500\n1");
    EXPECT_EQ(trace.result().WriteTxt(folder.file("missing/a.txt"), "x", false), -1);
    EXPECT_FALSE(std::filesystem::exists(folder.file("missing")));
}

TEST(ScanTextExport, ChannelsFollowTheMeasuredOnesAndSkipDamagedOnes)
{
    TempDir folder;
    ScanRes r;
    r.resampledWavelength = {1500, 1501};
    r.resampledValues[ScanChannel::Output] = {-1, -2};
    r.resampledValues[ScanChannel::Detector2] = {-3, -4};
    r.resampledValues[ScanChannel::Detector4] = {-5, -6};
    // Present, but without a value per grid point: left out, never read past.
    r.resampledValues[ScanChannel::Detector3] = {-7};
    // Values of a channel that was not measured are not written.
    r.resampledValues[ScanChannel::Detector1] = {-9, -9};
    r.present[ScanChannel::Output] = r.present[ScanChannel::Detector2] = r.present[ScanChannel::Detector3] =
        r.present[ScanChannel::Detector4] = true;
    ASSERT_EQ(r.WriteTxt(folder.file("a.txt"), nullptr, false), 0);
    EXPECT_EQ(readWholeFile(folder.file("a.txt")), "1500.000\t-1.00\t-2.00\t-4.00\n1501.000\t-2.00\t-2.00\t-4.00\n");
}

TEST(ScanTextHeaders, ChartPageAndContinuousForms)
{
    ScanTrace trace(nullptr, nullptr, nullptr);
    trace.AddCurve("1", false);
    trace.AddCurve("Ext", false);
    EXPECT_EQ(chartPageTextHeader(trace, TextExportForm::Csv), "WL[nm]; Output[dBm]; Det1_IL[dB]; DetExt_IL[dB]");
    EXPECT_EQ(chartPageTextHeader(trace, TextExportForm::Txt), "WL[nm]\tOutput[dBm]\tDet1_IL[dB]\tDetExt_IL[dB]");
    EXPECT_EQ(continuousScanTextHeader(trace, TextExportForm::Txt), "L O 1 Ext");
    ScanTrace three(nullptr, nullptr, nullptr);
    for (const char* name : {"1", "2", "3"}) three.AddCurve(name, false);
    EXPECT_EQ(continuousScanTextHeader(three, TextExportForm::Csv), "L;O;1;2;3");
    ScanTrace none(nullptr, nullptr, nullptr);
    EXPECT_EQ(continuousScanTextHeader(none, TextExportForm::Csv), "L;O");
}

TEST(ScanTextColumns, FixedFormatMatchesPrintf)
{
    const double values[] = {0.0,        -0.0,   1550.0,   1550.0105, -3.875,   -3.865,  2.5,    0.125,   -0.001,
                             1e-7,       -1e-7,  1234567.891, 1e300, -1e20,   0.9999995, 12.48456,
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    for (const double v : values) {
        for (int decimals : {2, 3, 4}) {
            char expected[512];
            std::snprintf(expected, sizeof expected, "%4.*f", decimals, v);
            std::string text;
            ScanTextColumns::appendFixed(text, v, decimals);
            EXPECT_EQ(text, expected) << v << " with " << decimals;
        }
    }
}


TEST(SynchronisationFiles, WavelengthAndPowerLines)
{
    TempDir folder;
    const ScanRes r = threeSyncSamples();
    ASSERT_EQ(WriteWavelengthSyncFile(folder.file("wl.txt"), r), 0);
    EXPECT_EQ(readWholeFile(folder.file("wl.txt")), "0\t1550.0000\n1\t1550.0100\n2\t1550.0200\n");
    ASSERT_EQ(WritePowerSyncFile(folder.file("p.txt"), r, false), 0);
    EXPECT_EQ(readWholeFile(folder.file("p.txt")),
              "0\t-10.00\t-3.50\t0.7500\n1\t-10.00\t-3.50\t0.7500\n2\t-10.00\t-3.50\t0.7500\n");
    ASSERT_EQ(WritePowerSyncFile(folder.file("p.txt"), r, true), 0);
    EXPECT_EQ(readWholeFile(folder.file("p.txt")).substr(0, 23), "0\t-10.00\t-3.50\t10.7500\n");
}

TEST(SynchronisationFiles, AbsentChannelsLeaveNoColumn)
{
    TempDir folder;
    ScanRes r;
    r.wavelength = {1550};
    r.sampleIndex = {7};
    r.values[ScanChannel::Output] = {-10};
    r.values[ScanChannel::Detector1] = {-11};
    r.values[ScanChannel::Detector3] = {-12.25};
    r.present[ScanChannel::Output] = r.present[ScanChannel::Detector1] = r.present[ScanChannel::Detector3] = true;
    ASSERT_EQ(WritePowerSyncFile(folder.file("p.txt"), r, true), 0);
    EXPECT_EQ(readWholeFile(folder.file("p.txt")), "7\t-10.00\t-1.00\t-2.25\n");
}

TEST(SynchronisationFiles, EmptyOrIndexlessResultsAndUnwritableFiles)
{
    TempDir folder;
    // No selected trace: the empty result gives an empty file.
    ASSERT_EQ(WriteWavelengthSyncFile(folder.file("empty.txt"), ScanRes{}), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.file("empty.txt")));
    EXPECT_EQ(readWholeFile(folder.file("empty.txt")), "");
    // A loaded scan has no acquisition indexes: no index is invented.
    ScanRes r = threeSyncSamples();
    r.sampleIndex.resize(1);
    ASSERT_EQ(WriteWavelengthSyncFile(folder.file("wl.txt"), r), 0);
    EXPECT_EQ(readWholeFile(folder.file("wl.txt")), "0\t1550.0000\n");
    EXPECT_EQ(WritePowerSyncFile(folder.file("no/such.txt"), r, false), -1);
}

}  // namespace
