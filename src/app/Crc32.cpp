#include "Crc32.h"

#include <array>

namespace {

// Eight tables: eight bytes per step (slicing-by-8), so that a side file of
// tens of megabytes is checked in a few milliseconds.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables makeTables()
{
    Tables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (std::size_t i = 0; i < 256; ++i)
        for (std::size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr Tables tables = makeTables();

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::uint32_t c = ~crc;
    while (size >= 8) {
        const std::uint32_t low = c ^ (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                                       std::uint32_t{p[3]} << 24);
        c = tables[7][low & 0xFF] ^ tables[6][(low >> 8) & 0xFF] ^ tables[5][(low >> 16) & 0xFF] ^
            tables[4][low >> 24] ^ tables[3][p[4]] ^ tables[2][p[5]] ^ tables[1][p[6]] ^ tables[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size-- != 0) c = tables[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}
