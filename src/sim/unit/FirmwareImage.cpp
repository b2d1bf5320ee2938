#include "FirmwareImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ByteOrder.h"
#include "DspFirmwareFile.h"

namespace vemarsim::FirmwareImage {

namespace layout = DspFirmwareFile;

std::vector<std::uint8_t> image(int release, std::size_t bytes)
{
    bytes = std::max<std::size_t>(bytes & ~std::size_t{1}, layout::imageHeaderBytes + 2);
    std::vector<std::uint8_t> out(bytes, 0);
    std::memcpy(out.data(), layout::imageMagic, sizeof layout::imageMagic);
    byteorder::writeU16le(out.data() + layout::imageReleaseOffset, static_cast<std::uint16_t>(release));
    byteorder::writeU32le(out.data() + layout::imageLengthFieldOffset, static_cast<std::uint32_t>(bytes));
    // Code words from a small linear congruential generator seeded by the release.
    std::uint32_t state = 0x9E3779B9u ^ static_cast<std::uint32_t>(release);
    for (std::size_t i = layout::imageHeaderBytes; i < bytes; i += 2) {
        state = state * 1664525u + 1013904223u;
        byteorder::writeU16le(out.data() + i, static_cast<std::uint16_t>(state >> 16));
    }
    byteorder::writeU16le(out.data() + layout::imageCheckOffset,
                          byteorder::xorWords(out.data() + layout::imageHeaderBytes, bytes - layout::imageHeaderBytes));
    return out;
}

std::vector<std::uint8_t> file(int release, std::size_t imageBytes)
{
    std::vector<std::uint8_t> out(layout::headerBytes, 0);
    std::snprintf(reinterpret_cast<char*>(out.data()), layout::nameBytes, "%s%d", layout::namePrefix, release);
    const std::vector<std::uint8_t> body = image(release, imageBytes);
    byteorder::writeU16le(out.data() + layout::releaseOffset, static_cast<std::uint16_t>(release));
    byteorder::writeU32le(out.data() + layout::imageLengthOffset, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::optional<int> releaseOf(const std::uint8_t* zone, std::size_t zoneBytes)
{
    return DspFirmwareFile::imageRelease(zone, zoneBytes);
}

}  // namespace vemarsim::FirmwareImage
