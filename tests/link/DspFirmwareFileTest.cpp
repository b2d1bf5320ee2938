#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "ByteOrder.h"
#include "DspFirmwareFile.h"

namespace {

// A small firmware file built by hand from the layout: release 112, two code
// words 0x1234 and 0x00FF (check 0x12CB).
std::vector<std::uint8_t> smallFile()
{
    std::vector<std::uint8_t> f(70 + 20, 0);
    std::memcpy(f.data(), "VEMAR_DSP V112", 14);
    byteorder::writeU16le(f.data() + 32, 112);
    byteorder::writeU32le(f.data() + 34, 20);
    std::uint8_t* image = f.data() + 70;
    std::memcpy(image, "VEMA", 4);
    byteorder::writeU16le(image + 4, 112);
    byteorder::writeU32le(image + 8, 20);
    byteorder::writeU16le(image + 12, 0x12CB);
    byteorder::writeU16le(image + 16, 0x1234);
    byteorder::writeU16le(image + 18, 0x00FF);
    return f;
}

TEST(DspFirmwareFileTest, EveryFieldOfTheFileIsChecked)
{
    const std::vector<std::uint8_t> good = smallFile();
    const DspFirmwareFile::Check ok = DspFirmwareFile::checkBytes(good, 112);
    ASSERT_TRUE(ok.usable()) << ok.problem;
    EXPECT_EQ(ok.release, 112);
    EXPECT_EQ(ok.image, std::vector<std::uint8_t>(good.begin() + 70, good.end()));
    EXPECT_EQ(DspFirmwareFile::imageRelease(ok.image.data(), ok.image.size()), 112);

    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        const char* problem;
    };
    const Case cases[] = {
        {"another program's file", [](auto& f) { f[0] = 'X'; }, "does not name a DSP firmware"},
        {"no release in the name", [](auto& f) { f[11] = 'x'; }, "does not name a DSP firmware"},
        {"name and field disagree", [](auto& f) { byteorder::writeU16le(f.data() + 32, 113); },
         "its header names release 112 and gives release 113"},
        {"announced length", [](auto& f) { byteorder::writeU32le(f.data() + 34, 22); },
         "announces an image of 22 bytes, the file holds 20 bytes"},
        {"image magic", [](auto& f) { f[70] = 0xFF; }, "does not begin with an image header"},
        {"image length", [](auto& f) { byteorder::writeU32le(f.data() + 78, 18); }, "own header gives 18 bytes"},
        {"odd image",
         [](auto& f) {
             f.push_back(0);
             byteorder::writeU32le(f.data() + 34, 21);
             byteorder::writeU32le(f.data() + 78, 21);
         },
         "own header gives 21 bytes"},
        {"check", [](auto& f) { f[89] ^= 0x80; }, "check does not match"},
        {"image release", [](auto& f) { byteorder::writeU16le(f.data() + 74, 111); },
         "its header gives release 112, its image release 111"},
        {"cut inside the header", [](auto& f) { f.resize(69); }, "it ends inside its 70-byte header"},
        {"longer than the zone", [](auto& f) { f.resize(98305); }, "more than the 98304 bytes"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> f = good;
        c.damage(f);
        const DspFirmwareFile::Check check = DspFirmwareFile::checkBytes(f, 112);
        EXPECT_FALSE(check.usable()) << c.what;
        EXPECT_NE(check.problem.find(c.problem), std::string::npos) << c.what << ": " << check.problem;
        EXPECT_TRUE(check.image.empty()) << c.what;
    }

    // A good file of another release than the one needed.
    const DspFirmwareFile::Check other = DspFirmwareFile::checkBytes(good, 113);
    EXPECT_EQ(other.problem, "it holds DSP release v 1.12, this program needs v 1.13");
    EXPECT_EQ(other.release, 112);
}

}  // namespace
