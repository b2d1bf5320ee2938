#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "AtomicFile.h"
#include "Crc32.h"
#include "FileUtil.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

std::size_t entries(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Every name the file system takes can be written, however little room it
// leaves for a temporary name beside it.
TEST(AtomicFileTest, NamesUpToTheFileSystemsLimitCanBeWritten)
{
    TempDir dir;
    const long limit = ::pathconf(dir.str().c_str(), _PC_NAME_MAX);
    ASSERT_GT(limit, 40);
    const auto max = static_cast<std::size_t>(limit);
    for (const std::size_t length : {std::size_t{5}, max - 30, max - 20, max - 13, max - 1, max}) {
        const std::string name = std::string(length - 4, 'a') + ".dat";
        const std::string path = dir.file(name);
        EXPECT_TRUE(writeFileAtomically(path, "first")) << length;
        EXPECT_TRUE(writeFileAtomically(path, "second")) << length;
        EXPECT_EQ(readWholeFile(path), "second") << length;
        EXPECT_EQ(entries(dir.path()), 1u) << length;  // no temporary file left beside it
        fs::remove(path);
    }
    // A name the file system refuses is refused, and nothing is left behind.
    EXPECT_FALSE(writeFileAtomically(dir.file(std::string(max + 1, 'b')), "x"));
    EXPECT_EQ(entries(dir.path()), 0u);
}

TEST(Crc32Test, TheCheckOfZipAndPng)
{
    const std::string text = "123456789";
    EXPECT_EQ(crc32(text.data(), text.size()), 0xCBF43926u);  // the published check value
    EXPECT_EQ(crc32(nullptr, 0), 0u);
    // In pieces of every length, across the eight-byte steps.
    std::string bytes(1000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + (i >> 3));
    const std::uint32_t whole = crc32(bytes.data(), bytes.size());
    for (std::size_t cut : {1, 3, 7, 8, 9, 500, 999}) {
        const std::uint32_t head = crc32(bytes.data(), cut);
        EXPECT_EQ(crc32Update(head, bytes.data() + cut, bytes.size() - cut), whole) << cut;
    }

    TempDir dir;
    AtomicFileWriter writer(dir.file("f"));
    ASSERT_TRUE(writer.write(bytes.data(), 300) && writer.write(bytes.data() + 300, 700));
    EXPECT_EQ(writer.bytesWritten(), 1000u);
    EXPECT_EQ(writer.crc32(), whole);
}

}  // namespace
