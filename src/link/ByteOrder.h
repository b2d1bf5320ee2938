#pragma once

// Little-endian field access and the 16-bit XOR check used by every packet
// and binary image of the unit. Packet layouts read and write their fields
// through these helpers so that nothing depends on the host's byte order or
// on structure packing.

#include <cstddef>
#include <cstdint>

namespace byteorder {

inline std::uint16_t readU16le(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline void writeU16le(std::uint8_t* p, std::uint16_t value)
{
    p[0] = static_cast<std::uint8_t>(value & 0xFF);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

inline std::uint32_t readU32le(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void writeU32le(std::uint8_t* p, std::uint32_t value)
{
    writeU16le(p, static_cast<std::uint16_t>(value & 0xFFFF));
    writeU16le(p + 2, static_cast<std::uint16_t>(value >> 16));
}

// XOR of the consecutive little-endian words of a block, starting from 0. A
// trailing odd byte does not take part.
inline std::uint16_t xorWords(const std::uint8_t* data, std::size_t bytes)
{
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i + 1 < bytes; i += 2) sum ^= readU16le(data + i);
    return sum;
}

}  // namespace byteorder
