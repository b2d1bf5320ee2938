#pragma once

// CRC-32 (the polynomial of zip and PNG, reflected, initial value and final
// complement 0xFFFFFFFF): the check a scan file keeps of its side file.

#include <cstddef>
#include <cstdint>

// The CRC of the bytes that follow those crc was computed over; start with 0.
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size);

inline std::uint32_t crc32(const void* data, std::size_t size) { return crc32Update(0, data, size); }
