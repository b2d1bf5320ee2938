#include "UnitFlash.h"

#include <algorithm>
#include <bit>

namespace vemarsim {

UnitFlash::UnitFlash()
{
    for (const FlashZone& z : {FlashZones::calibration, FlashZones::userCode, FlashZones::identity})
        zones_.push_back({z, std::vector<std::uint8_t>(z.sizeBytes, 0xFF)});
}

void UnitFlash::eraseAll()
{
    for (Zone& z : zones_) std::fill(z.bytes.begin(), z.bytes.end(), 0xFF);
}

bool UnitFlash::erase(std::uint16_t mask)
{
    std::uint16_t known = 0;
    for (const Zone& z : zones_) known |= z.layout.eraseMask;
    if (mask == 0 || (mask & ~known) != 0) return false;
    // A zone's sectors are the bits of its mask, in address order, of equal size.
    for (Zone& z : zones_) {
        const std::uint16_t zoneBits = z.layout.eraseMask;
        const int sectors = std::popcount(zoneBits);
        const std::size_t sectorBytes = z.bytes.size() / static_cast<std::size_t>(sectors);
        int index = 0;
        for (int bit = 0; bit < 16; ++bit) {
            if ((zoneBits & (1u << bit)) == 0) continue;
            if ((mask & (1u << bit)) != 0)
                std::fill_n(z.bytes.begin() + static_cast<std::ptrdiff_t>(index * sectorBytes), sectorBytes, 0xFF);
            ++index;
        }
    }
    return true;
}

UnitFlash::Zone* UnitFlash::locate(std::uint32_t wordAddress, std::size_t count, std::size_t& offset)
{
    return const_cast<Zone*>(static_cast<const UnitFlash*>(this)->locate(wordAddress, count, offset));
}

const UnitFlash::Zone* UnitFlash::locate(std::uint32_t wordAddress, std::size_t count, std::size_t& offset) const
{
    for (const Zone& z : zones_) {
        if (wordAddress < z.layout.firstWord || wordAddress >= z.layout.endWord()) continue;
        offset = 2 * static_cast<std::size_t>(wordAddress - z.layout.firstWord);
        return offset + count <= z.bytes.size() ? &z : nullptr;
    }
    return nullptr;
}

bool UnitFlash::inZone(std::uint32_t wordAddress, std::size_t count) const
{
    std::size_t offset = 0;
    return locate(wordAddress, count, offset) != nullptr;
}

bool UnitFlash::program(std::uint32_t wordAddress, const std::uint8_t* bytes, std::size_t count)
{
    std::size_t offset = 0;
    Zone* z = locate(wordAddress, count, offset);
    if (z == nullptr) return false;
    for (std::size_t i = 0; i < count; ++i) z->bytes[offset + i] &= bytes[i];
    return true;
}

bool UnitFlash::overwrite(std::uint32_t wordAddress, const std::uint8_t* bytes, std::size_t count)
{
    std::size_t offset = 0;
    Zone* z = locate(wordAddress, count, offset);
    if (z == nullptr) return false;
    std::copy_n(bytes, count, z->bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

bool UnitFlash::read(std::uint32_t wordAddress, std::uint8_t* out, std::size_t count) const
{
    std::size_t offset = 0;
    const Zone* z = locate(wordAddress, count, offset);
    if (z == nullptr) return false;
    std::copy_n(z->bytes.begin() + static_cast<std::ptrdiff_t>(offset), count, out);
    return true;
}

}  // namespace vemarsim
