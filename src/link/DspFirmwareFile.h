#pragma once

// The DSP firmware file (".out") and the flash image it carries. An upgrade
// erases the user code before it writes the new one, so a file is checked
// from end to end before the unit is touched: a refused file costs nothing,
// a half-written image leaves the unit without firmware.
//
// File: a 70-byte header, then the image, which is programmed from the first
// word of the user-code zone on.
//
// | Offset | Size | Field                                             |
// |--------|------|---------------------------------------------------|
// | 0      | 32   | name, "VEMAR_DSP V" + release, NUL-padded         |
// | 32     | 2    | release (hundredths)                              |
// | 34     | 4    | image length in bytes                             |
// | 38     | 32   | unused                                            |
//
// Image: its own 16-byte header, then the code words. The boot code starts
// the user code only from an image whose header and check agree.
//
// | Offset | Size | Field                                             |
// |--------|------|---------------------------------------------------|
// | 0      | 4    | "VEMA"                                            |
// | 4      | 2    | release (hundredths)                              |
// | 8      | 4    | image length in bytes (even)                      |
// | 12     | 2    | XOR of the code words (from byte 16 to the end)   |

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FlashZones.h"

namespace DspFirmwareFile {

inline constexpr std::size_t headerBytes = FlashZones::firmwareHeaderBytes;
inline constexpr std::size_t nameBytes = 32;
inline constexpr const char* namePrefix = "VEMAR_DSP V";
inline constexpr std::size_t releaseOffset = 32;
inline constexpr std::size_t imageLengthOffset = 34;

inline constexpr std::size_t imageHeaderBytes = 16;
inline constexpr char imageMagic[4] = {'V', 'E', 'M', 'A'};
inline constexpr std::size_t imageReleaseOffset = 4;
inline constexpr std::size_t imageLengthFieldOffset = 8;
inline constexpr std::size_t imageCheckOffset = 12;

// The release of a complete image at the start of bytes, or nullopt when the
// bytes hold none (erased, cut, damaged): what the boot code looks for.
std::optional<int> imageRelease(const std::uint8_t* bytes, std::size_t size);

struct Check {
    bool missing = false;   // no file of that name
    std::string problem;    // why the file cannot be programmed; empty when it can
    int release = 0;        // the release the file announces (hundredths), 0 when unknown
    std::vector<std::uint8_t> image;  // the bytes to program, filled when usable

    bool usable() const { return !missing && problem.empty(); }
};

// Checks a firmware file's bytes: header name and fields, the announced
// length against what follows the header, the image's own header and check
// (the same as the boot code's), and the announced release against
// requiredRelease (not compared for anyRelease).
inline constexpr int anyRelease = 0;
Check checkBytes(const std::vector<std::uint8_t>& file, int requiredRelease);

// The same for a file on disk, which must be a regular file no longer than
// the user-code zone.
Check checkFile(const std::string& path, int requiredRelease);

}  // namespace DspFirmwareFile
