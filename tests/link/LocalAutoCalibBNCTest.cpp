#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <initializer_list>

#include "ByteOrder.h"
#include "FileUtil.h"
#include "LocalAutoCalibBNC.h"
#include "TempDir.h"

namespace {

std::string header(std::int32_t count, double start, double step)
{
    std::string bytes(20, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(bytes.data());
    byteorder::writeU32le(p, static_cast<std::uint32_t>(count));
    std::memcpy(p + 4, &start, 8);  // the test machine is little-endian like the file
    std::memcpy(p + 12, &step, 8);
    return bytes;
}

std::string values(std::initializer_list<double> list)
{
    std::string bytes;
    for (double v : list) bytes.append(reinterpret_cast<const char*>(&v), 8);
    return bytes;
}

TEST(LocalAutoCalibBNCTest, WrittenTableReadsBack)
{
    TempDir dir;
    LocalAutoCalibBNC table;
    table.start = 1260.5;
    table.step = 2.1;
    for (int i = 0; i < LocalAutoCalibBNC::writtenPointCount; ++i) table.values.push_back(0.01 * i - 0.5);
    const std::string path = dir.file(LocalAutoCalibBNC::fileName);
    ASSERT_TRUE(writeLocalAutoCalibBNC(path, table));
    const std::string bytes = readWholeFile(path);
    EXPECT_EQ(bytes.size(), 20u + 8 * 200);
    EXPECT_EQ(bytes.substr(0, 20), header(200, 1260.5, 2.1));

    const auto read = readLocalAutoCalibBNC(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->hasTable());
    EXPECT_EQ(read->start, 1260.5);
    EXPECT_EQ(read->step, 2.1);
    EXPECT_EQ(read->values, table.values);
}

TEST(LocalAutoCalibBNCTest, SmallCountsMeanNoTableAndDamagedFilesAreNotUsed)
{
    TempDir dir;
    const std::string path = dir.file("f.dat");
    struct Case {
        std::string bytes;
        bool readable;
        bool table;
    };
    const Case cases[] = {
        {header(2, 0, 0).substr(0, 4), true, false},            // count alone, 2: no table
        {header(-5, 0, 0) + "rest ignored", true, false},       // negative count
        {header(3, 1500, 1) + std::string(24, '\0'), true, true},
        {header(3, 1500, 1) + std::string(23, '\0'), false, false},  // one value short
        {header(0x7FFFFFFF, 1500, 1), false, false},             // never allocates what is not there
        {header(3, 1500, 0) + std::string(24, '\0'), false, false},  // a zero step is unusable
        {header(3, NAN, 1) + std::string(24, '\0'), false, false},
        {header(3, 1500, 1) + values({0.1, NAN, 0.2}), false, false},  // a value that is not a number
        {header(3, 1500, 1) + values({0.1, 0.2, -INFINITY}), false, false},
        {header(3, 1500, INFINITY) + values({0.1, 0.2, 0.3}), false, false},
        {std::string("\x05\x00", 2), false, false},              // the count itself is cut
    };
    for (const Case& c : cases) {
        writeWholeFile(path, c.bytes);
        const auto read = readLocalAutoCalibBNC(path);
        EXPECT_EQ(read.has_value(), c.readable) << c.bytes.size();
        if (read) {
            EXPECT_EQ(read->hasTable(), c.table);
        }
    }
    EXPECT_FALSE(readLocalAutoCalibBNC(dir.file("missing.dat")).has_value());
}

TEST(LocalAutoCalibBNCTest, ADamagedFileSaysWhatIsWrong)
{
    TempDir dir;
    const std::string path = dir.file(LocalAutoCalibBNC::fileName);
    struct Case {
        const char* what;
        std::string bytes;
        const char* problem;
    };
    const Case cases[] = {
        {"empty", "", "the file is empty"},
        {"one value short", header(3, 1500, 1) + std::string(23, '\0'), "43 bytes long, where its 3 points need 44"},
        {"not a number", header(3, 1500, 0.5) + values({0.1, NAN, 0.2}), "its value 1 (at 1500.500 nm) is nan"},
        {"infinite", header(3, 1500, 1) + values({0.1, 0.2, INFINITY}), "its value 2 (at 1502.000 nm) is inf"},
        {"zero step", header(3, 1500, 0) + values({0.1, 0.2, 0.3}), "its wavelength step is zero"},
    };
    for (const Case& c : cases) {
        writeWholeFile(path, c.bytes);
        const LocalAutoCalibBNCCheck check = checkLocalAutoCalibBNC(path);
        EXPECT_FALSE(check.usable()) << c.what;
        EXPECT_FALSE(check.missing) << c.what;
        EXPECT_FALSE(check.table.has_value()) << c.what;
        EXPECT_EQ(localAutoCalibBNCStatusText(path, check).rfind("The EXT correction file " + path + " is damaged: ", 0),
                  0u)
            << c.what;
        EXPECT_NE(check.problem.find(c.problem), std::string::npos) << c.what << ": " << check.problem;
    }

    std::filesystem::create_directories(dir.file("folder"));
    EXPECT_EQ(checkLocalAutoCalibBNC(dir.file("folder")).problem, "can't be read: not a regular file (a directory)");

    const LocalAutoCalibBNCCheck missing = checkLocalAutoCalibBNC(dir.file("missing.dat"));
    EXPECT_TRUE(missing.missing);
    EXPECT_EQ(localAutoCalibBNCStatusText(dir.file("missing.dat"), missing), "");

    writeWholeFile(path, header(3, 1500, 1) + values({0.1, 0.2, 0.3}));
    const LocalAutoCalibBNCCheck good = checkLocalAutoCalibBNC(path);
    ASSERT_TRUE(good.usable());
    EXPECT_EQ(good.table->values, (std::vector<double>{0.1, 0.2, 0.3}));
}

}  // namespace
