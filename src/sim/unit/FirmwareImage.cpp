#include "FirmwareImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ByteOrder.h"

namespace vemarsim::FirmwareImage {
namespace {

constexpr std::size_t imageHeaderBytes = 16;
constexpr char magic[4] = {'V', 'E', 'M', 'A'};

}  // namespace

std::vector<std::uint8_t> image(int release, std::size_t bytes)
{
    bytes = std::max<std::size_t>(bytes & ~std::size_t{1}, imageHeaderBytes + 2);
    std::vector<std::uint8_t> out(bytes, 0);
    std::memcpy(out.data(), magic, sizeof magic);
    byteorder::writeU16le(out.data() + 4, static_cast<std::uint16_t>(release));
    byteorder::writeU32le(out.data() + 8, static_cast<std::uint32_t>(bytes));
    // Code words from a small linear congruential generator seeded by the release.
    std::uint32_t state = 0x9E3779B9u ^ static_cast<std::uint32_t>(release);
    for (std::size_t i = imageHeaderBytes; i < bytes; i += 2) {
        state = state * 1664525u + 1013904223u;
        byteorder::writeU16le(out.data() + i, static_cast<std::uint16_t>(state >> 16));
    }
    byteorder::writeU16le(out.data() + 12, byteorder::xorWords(out.data() + imageHeaderBytes, bytes - imageHeaderBytes));
    return out;
}

std::vector<std::uint8_t> file(int release, std::size_t imageBytes)
{
    std::vector<std::uint8_t> out(fileHeaderBytes, 0);
    std::snprintf(reinterpret_cast<char*>(out.data()), 32, "VEMAR_DSP V%d", release);
    const std::vector<std::uint8_t> body = image(release, imageBytes);
    byteorder::writeU16le(out.data() + 32, static_cast<std::uint16_t>(release));
    byteorder::writeU32le(out.data() + 34, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::optional<int> releaseOf(const std::uint8_t* zone, std::size_t zoneBytes)
{
    if (zoneBytes < imageHeaderBytes || std::memcmp(zone, magic, sizeof magic) != 0) return std::nullopt;
    const std::uint32_t bytes = byteorder::readU32le(zone + 8);
    if (bytes < imageHeaderBytes || bytes > zoneBytes || (bytes & 1) != 0) return std::nullopt;
    if (byteorder::xorWords(zone + imageHeaderBytes, bytes - imageHeaderBytes) != byteorder::readU16le(zone + 12))
        return std::nullopt;
    return byteorder::readU16le(zone + 4) & 0x7FFF;
}

}  // namespace vemarsim::FirmwareImage
