#pragma once

// The DSP firmware as the simulated unit knows it, in the layout of
// DspFirmwareFile.h: a firmware file (".out") is a 70-byte header followed by
// the flash image; the program programs the image at the start of the
// user-code zone. The image's own header (magic, release, byte size, XOR
// check of the code words) lets the boot code tell a complete image from an
// erased or half-programmed zone and report its release.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vemarsim::FirmwareImage {

inline constexpr std::size_t defaultImageBytes = 40000;

// The flash image of a release (deterministic code words).
std::vector<std::uint8_t> image(int release, std::size_t bytes = defaultImageBytes);

// The whole ".out" file: header, then the image.
std::vector<std::uint8_t> file(int release, std::size_t imageBytes = defaultImageBytes);

// The release of a complete image at the start of the zone bytes, or nullopt.
std::optional<int> releaseOf(const std::uint8_t* zone, std::size_t zoneBytes);

}  // namespace vemarsim::FirmwareImage
