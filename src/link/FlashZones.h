#pragma once

// The unit's flash as the program uses it: three zones, addressed in 16-bit
// words, sized in bytes, each erased by its own sector mask. Two bytes per
// word, the first of each pair in the low half.

#include <cstdint>

struct FlashZone {
    std::uint32_t firstWord;
    std::uint32_t sizeBytes;
    std::uint16_t eraseMask;

    constexpr std::uint32_t endWord() const { return firstWord + sizeBytes / 2; }
};

namespace FlashZones {

// 28-byte header and the calibration file.
inline constexpr FlashZone calibration{0x3D8000, 98304, 0x3C0};
// The DSP firmware image.
inline constexpr FlashZone userCode{0x3E4000, 98304, 0x03C};
// The 72-byte identity record.
inline constexpr FlashZone identity{0x3F4000, 16384, 0x002};

// The calibration zone's header: kind, date, size, 20-byte name.
inline constexpr std::uint32_t calibrationHeaderWords = 14;
inline constexpr std::uint32_t calibrationHeaderBytes = 28;
inline constexpr std::uint32_t calibrationNameOffset = 8;
inline constexpr std::uint32_t calibrationNameBytes = 20;
// The file's stamp (its bytes 72-79) inside the zone.
inline constexpr std::uint32_t calibrationStampWord = 50;

// Header bytes of a firmware file (".out"), skipped when programming.
inline constexpr std::uint32_t firmwareHeaderBytes = 70;

}  // namespace FlashZones
