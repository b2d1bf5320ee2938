#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "ChartPicture.h"
#include "ContinuousScanSaving.h"
#include "FileUtil.h"
#include "ScanFileFixture.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

TEST(ContinuousScanNames, FieldsArePaddedToTwoDigits)
{
    const std::pair<ScanDateTime, const char*> cases[] = {
        {{2016, 3, 5, 9, 7, 3}, "Continuous_Scan__y2016_m03_d05__h09_m07_s03"},
        {{2016, 12, 31, 23, 59, 59}, "Continuous_Scan__y2016_m12_d31__h23_m59_s59"},
        {{2024, 3, 3, 9, 5, 7}, "Continuous_Scan__y2024_m03_d03__h09_m05_s07"},
        {{987, 10, 10, 0, 0, 0}, "Continuous_Scan__y987_m10_d10__h00_m00_s00"},
    };
    for (const auto& [when, name] : cases) EXPECT_EQ(continuousScanName(when), name);
}

// A continuous series of the synthetic scan, ready to be saved.
class ContinuousScanSavingTest : public ::testing::Test {
protected:
    ScanFileEnvironment env;
    ScanTrace trace{nullptr, nullptr, &env.sources};
    std::string series;

    void SetUp() override
    {
        buildSyntheticTrace(trace, 101, 2);
        series = startContinuousSeries(env.folder.str(), {2016, 12, 30, 22, 0, 1});
    }
    std::string base(const ScanDateTime& when) const { return series + continuousScanName(when); }
};

TEST_F(ContinuousScanSavingTest, SeriesFolderIsCreatedOnceAndHoldsEveryScan)
{
    EXPECT_EQ(series, env.folder.str() + "/Continuous_Scan__y2016_m12_d30__h22_m00_s01/");
    EXPECT_TRUE(fs::is_directory(series));
    // Starting it again finds the folder there.
    EXPECT_EQ(startContinuousSeries(env.folder.str() + "/", {2016, 12, 30, 22, 0, 1}), series);

    // A scan of the next day still goes into the series' folder, under its own time.
    const ContinuousSaveResult saved = saveContinuousScan(base({2016, 12, 31, 23, 59, 59}), 4, trace, env.frame());
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.fileName, series + "Continuous_Scan__y2016_m12_d31__h23_m59_s59.scan.csv");
}

TEST_F(ContinuousScanSavingTest, EachFileTypeWritesItsForm)
{
    ChartPictures::install(nullptr);
    struct Case {
        int type;
        const char* extension;
        const char* firstLine;  // nullptr: not a text form
    };
    const Case cases[] = {
        {0, ".scan.xml", "<VEMAR>"}, {1, ".scan.txt", "L O 1 2 Ext"}, {4, ".scan.csv", "L;O;1;2;Ext"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        const ContinuousSaveResult saved = saveContinuousScan(base({2017, 1, 2, 3, 4, 5}), c.type, trace, env.frame());
        ASSERT_TRUE(saved.ok) << saved.error;
        EXPECT_EQ(saved.fileName, base({2017, 1, 2, 3, 4, 5}) + c.extension);
        const std::string contents = readWholeFile(saved.fileName);
        EXPECT_EQ(contents.substr(0, contents.find('\n')), c.firstLine);
        if (c.type == 0) {
            EXPECT_TRUE(fs::exists(saved.fileName + ".dat"));
        }
    }
    // The text forms hold the resampled grid.
    const std::string text = readWholeFile(base({2017, 1, 2, 3, 4, 5}) + ".scan.txt");
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
              trace.result().resampledWavelength.size() + 1);
}

TEST_F(ContinuousScanSavingTest, ScansOfTheSameSecondDoNotOverwriteEachOther)
{
    const std::string name = base({2017, 1, 2, 3, 4, 5});
    for (const char* expected : {".scan.xml", "_2.scan.xml", "_3.scan.xml"}) {
        const ContinuousSaveResult saved = saveContinuousScan(name, 0, trace, env.frame());
        ASSERT_TRUE(saved.ok) << saved.error;
        EXPECT_EQ(saved.fileName, name + expected);
        EXPECT_TRUE(fs::exists(saved.fileName + ".dat"));
    }
    // A side file alone also takes the name.
    writeWholeFile(name + "_4.scan.xml.dat", "left over");
    EXPECT_EQ(saveContinuousScan(name, 0, trace, env.frame()).fileName, name + "_5.scan.xml");
    EXPECT_EQ(readWholeFile(name + "_4.scan.xml.dat"), "left over");

    // The text forms follow the same rule.
    EXPECT_EQ(saveContinuousScan(name, 1, trace, env.frame()).fileName, name + ".scan.txt");
    EXPECT_EQ(saveContinuousScan(name, 1, trace, env.frame()).fileName, name + "_2.scan.txt");
}

TEST_F(ContinuousScanSavingTest, FailuresAreReportedAndTheSeriesGoesOn)
{
    // A directory that could not be created.
    const std::string lost = startContinuousSeries(env.file("no/such"), {2017, 1, 2, 3, 4, 5});
    EXPECT_FALSE(fs::exists(lost));
    for (int type : {0, 1, 4}) {
        const ContinuousSaveResult saved =
            saveContinuousScan(lost + continuousScanName({2017, 1, 2, 3, 4, 5}), type, trace, env.frame());
        EXPECT_FALSE(saved.ok);
        EXPECT_FALSE(saved.error.empty());
    }
    const ContinuousSaveResult unknown = saveContinuousScan(base({2017, 1, 2, 3, 4, 5}), 5, trace, env.frame());
    EXPECT_FALSE(unknown.ok);
    EXPECT_FALSE(unknown.error.empty());
}

TEST_F(ContinuousScanSavingTest, ALinkAtTheSeriesFolderNameIsNeverFollowed)
{
    const ScanDateTime when{2018, 4, 5, 6, 7, 8};
    const std::string name = continuousScanName(when);
    const fs::path at = env.folder.path() / name;
    TempDir target;
    struct Case {
        const char* what;
        std::function<void()> place;
    };
    const Case cases[] = {
        {"a link to a folder", [&] { fs::create_directory_symlink(target.path(), at); }},
        {"a dangling link", [&] { fs::create_symlink(target.path() / "gone", at); }},
        {"a file", [&] { writeWholeFile(at.string(), "not a folder"); }},
    };
    for (const Case& c : cases) {
        fs::remove_all(env.folder.path() / (name + "_2"));
        fs::remove(at);
        c.place();
        const std::string folder = startContinuousSeries(env.folder.str(), when);
        // The series gets a folder of its own beside what stands there.
        EXPECT_EQ(folder, env.folder.str() + "/" + name + "_2/") << c.what;
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(folder))) << c.what;
        const ContinuousSaveResult saved = saveContinuousScan(folder + name, 0, trace, env.frame());
        EXPECT_TRUE(saved.ok) << c.what << ": " << saved.error;
        EXPECT_TRUE(fs::exists(folder + name + ".scan.xml")) << c.what;
        EXPECT_TRUE(fs::is_empty(target.path())) << c.what;
    }

    // A link put at the series folder once the series runs: nothing is written through it.
    const std::string folder = startContinuousSeries(env.folder.str(), {2018, 4, 5, 6, 7, 9});
    fs::remove_all(folder);
    fs::create_directory_symlink(target.path(), fs::path(folder).parent_path());
    for (int type : {0, 1, 4}) {
        const ContinuousSaveResult saved = saveContinuousScan(folder + "scan", type, trace, env.frame());
        EXPECT_FALSE(saved.ok) << type;
        EXPECT_NE(saved.error.find("symbolic link"), std::string::npos) << type << ": " << saved.error;
    }
    EXPECT_TRUE(fs::is_empty(target.path()));
}

// Encodes a recognisable stand-in for each picture format.
struct FakeRenderer : ChartPicture {
    bool png = true;
    bool broken = false;
    bool canEncode(PictureFormat format) const override { return format == PictureFormat::Bitmap || png; }
    bool encode(const ScanTrace& trace, PictureFormat format, std::string& bytes, std::string& error) const override
    {
        if (broken) {
            error = "the chart is not shown";
            return false;
        }
        bytes = (format == PictureFormat::Png ? "\x89PNG " : "BM ") + std::to_string(trace.CurveCount());
        return true;
    }
};

TEST_F(ContinuousScanSavingTest, PicturesGoThroughTheInstalledRenderer)
{
    const std::string name = base({2017, 1, 2, 3, 4, 5});
    ChartPictures::install(nullptr);
    for (int type : {2, 3}) {
        const ContinuousSaveResult saved = saveContinuousScan(name, type, trace, env.frame());
        EXPECT_FALSE(saved.ok);
        EXPECT_EQ(saved.error, ChartPictures::noRendererError);
        EXPECT_FALSE(fs::exists(saved.fileName));
    }

    auto renderer = std::make_shared<FakeRenderer>();
    ChartPictures::install(renderer);
    EXPECT_EQ(readWholeFile(saveContinuousScan(name, 2, trace, env.frame()).fileName), "BM 3");
    EXPECT_EQ(readWholeFile(saveContinuousScan(name, 3, trace, env.frame()).fileName), "\x89PNG 3");
    // Without a PNG encoder the ".png" file holds the bitmap.
    renderer->png = false;
    const ContinuousSaveResult fallback = saveContinuousScan(name, 3, trace, env.frame());
    EXPECT_EQ(fallback.fileName, name + "_2.scan.png");
    EXPECT_EQ(readWholeFile(fallback.fileName), "BM 3");
    renderer->broken = true;
    const ContinuousSaveResult broken = saveContinuousScan(name, 2, trace, env.frame());
    EXPECT_FALSE(broken.ok);
    EXPECT_NE(broken.error.find("the chart is not shown"), std::string::npos);
    EXPECT_FALSE(fs::exists(broken.fileName));
    ChartPictures::install(nullptr);
}

TEST_F(ContinuousScanSavingTest, ChartPageSavesByFilterIndex)
{
    ChartPictures::install(std::make_shared<FakeRenderer>());
    const std::pair<int, const char*> cases[] = {
        {1, "WL[nm]; Output[dBm]; Det1_IL[dB]; Det2_IL[dB]; DetExt_IL[dB]"},
        {2, "<VEMAR>"},
        {3, "WL[nm]\tOutput[dBm]\tDet1_IL[dB]\tDet2_IL[dB]\tDetExt_IL[dB]"},
        {4, "BM 3"},
        {5, "\x89PNG 3"},
    };
    for (const auto& [index, firstLine] : cases) {
        SCOPED_TRACE(index);
        const std::string file = env.file("chart" + std::to_string(index));
        std::string error;
        ASSERT_TRUE(saveFromChartPage(file, index, trace, env.frame(), &error)) << error;
        const std::string contents = readWholeFile(file);
        EXPECT_EQ(contents.substr(0, contents.find('\n')), firstLine);
    }
    EXPECT_TRUE(fs::exists(env.file("chart2.dat")));
    std::string error;
    EXPECT_FALSE(saveFromChartPage(env.file("chart0"), 0, trace, env.frame(), &error));
    EXPECT_FALSE(error.empty());
    ChartPictures::install(nullptr);
}

}  // namespace
