// A scan file and its side file always go together: a save stopped between
// the two renames leaves a pair that the loaders refuse, and the next save
// of the same name removes what the stopped one left behind.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "Crc32.h"
#include "FileUtil.h"
#include "NumberFormat.h"
#include "ScanFileFixture.h"
#include "ScanFilePair.h"
#include "Scanmanager.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The process ends at once after the side file's rename, as at a power cut:
// no destructor runs, the scan file's temporary file stays.
void stopAfterTheSideFile(const std::string& path)
{
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".dat") == 0) ::_exit(0);
}

class ScanFilePairTest : public ::testing::Test {
protected:
    ScanFileEnvironment env;
    ScanTrace first{nullptr, nullptr, &env.sources};
    ScanTrace second{nullptr, nullptr, &env.sources};
    fs::path folder = env.folder.path() / "scans";
    std::string path = (folder / "series.scan.xml").string();

    void SetUp() override
    {
        fs::create_directories(folder);
        buildSyntheticTrace(first, 301, 1);
        buildSyntheticTrace(second, 301, 4);  // the same size of side file, other values
        std::string error;
        ASSERT_TRUE(saveScanFile(path, first, env.frame(), &error)) << error;
    }

    // What a reader finds wrong with the pair ("" when it goes together).
    std::string pairProblem() const
    {
        TiXmlDocument doc;
        EXPECT_TRUE(doc.LoadFile(path.c_str()));
        const TiXmlElement* scan = doc.RootElement()->FirstChildElement("Scan");
        return scan != nullptr ? sideFilePairProblem(*scan, path + ".dat") : "no Scan element";
    }

    int load(ScanLoadReport& report)
    {
        ScanManager manager{nullptr, nullptr, &env.sources};
        return loadFromChartPage(path, manager, env.settings, ConfigurationSections::of(&env.sources, nullptr),
                                 &env.sources, &report);
    }
};

TEST_F(ScanFilePairTest, AStopBetweenTheTwoRenamesLeavesAPairTheLoadersRefuse)
{
    const std::string oldXml = readWholeFile(path);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFileTesting::setAfterRename(stopAfterTheSideFile);
        saveScanFile(path, second, env.frame());
        ::_exit(3);  // the stop did not come
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    // The new side file beside the old scan file, and the new scan file's temporary file.
    EXPECT_EQ(readWholeFile(path), oldXml);
    const std::vector<std::string> left = namesIn(folder);
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0], "series.scan.xml");
    EXPECT_EQ(left[1], "series.scan.xml.dat");
    EXPECT_EQ(left[2].rfind("series.scan.xml.tmp" + std::to_string(child) + "_", 0), 0u) << left[2];

    const std::string problem = pairProblem();
    EXPECT_EQ(problem.rfind("the scan file and its side file belong to different saves (the side file holds ", 0), 0u)
        << problem;
    MessageCapture messages;
    ScanLoadReport report;
    EXPECT_EQ(load(report), -3);
    EXPECT_EQ(report.pairMismatch, problem);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("Can't open the file " + path + ": " + problem), std::string::npos)
        << messages.shown[0];

    // Saved again: a whole pair, and nothing of the stopped save is left.
    std::string error;
    ASSERT_TRUE(saveScanFile(path, second, env.frame(), &error)) << error;
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"series.scan.xml", "series.scan.xml.dat"}));
    EXPECT_EQ(pairProblem(), "");
    ScanLoadReport again;
    EXPECT_EQ(load(again), 0);
    EXPECT_EQ(again.pairMismatch, "");
}

TEST_F(ScanFilePairTest, TheRecordNamesTheSideFileAndOlderFilesWithoutItStillLoad)
{
    const std::string side = readWholeFile(path + ".dat");
    TiXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(path.c_str()));
    TiXmlElement* scan = doc.RootElement()->FirstChildElement("Scan");
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(std::string(scan->Attribute(sideFileSizeAttribute)), std::to_string(side.size()));
    EXPECT_STREQ(scan->Attribute(sideFileCheckAttribute), cformat("%08X", static_cast<unsigned>(crc32(side.data(), side.size()))).c_str());

    // A damaged record is damage.
    scan->SetAttribute(sideFileCheckAttribute, "not hex");
    ASSERT_TRUE(doc.SaveFile(path.c_str()));
    EXPECT_NE(pairProblem().find("record of its side file"), std::string::npos) << pairProblem();

    // Without a record the pair is taken as it comes, as from an older program.
    scan->RemoveAttribute(sideFileSizeAttribute);
    scan->RemoveAttribute(sideFileCheckAttribute);
    ASSERT_TRUE(doc.SaveFile(path.c_str()));
    EXPECT_EQ(pairProblem(), "");
    ScanLoadReport report;
    EXPECT_EQ(load(report), 0);
}

TEST(AtomicFileStaleTemporaries, OnlyThoseOfAGoneProcessAreRemoved)
{
    TempDir dir;
    const std::string path = dir.file("x.dat");
    // A process id that is surely gone, and this process (a save under way).
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string stale = path + ".tmp" + std::to_string(gone) + "_7";
    const std::string running = path + ".tmp" + std::to_string(::getpid()) + "_99999";
    const std::string other = dir.file("y.dat.tmp" + std::to_string(gone) + "_1");
    const std::string lookalike = path + ".tmp" + std::to_string(gone) + "_1x";
    for (const std::string& p : {stale, running, other, lookalike}) writeWholeFile(p, "left");
    ASSERT_TRUE(writeFileAtomically(path, "new"));
    EXPECT_FALSE(fs::exists(stale));
    for (const std::string& p : {running, other, lookalike}) EXPECT_TRUE(fs::exists(p)) << p;
    EXPECT_EQ(readWholeFile(path), "new");
}

}  // namespace
