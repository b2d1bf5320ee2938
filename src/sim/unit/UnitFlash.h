#pragma once

// The DSP's flash as the simulated unit keeps it: the calibration, user-code
// and identity zones, erased by sector (a bit of the erase mask each) and
// programmed the way flash is: a programmed bit can only go from 1 to 0, so
// a zone that was not erased does not take new data.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FlashZones.h"

namespace vemarsim {

class UnitFlash {
public:
    UnitFlash();

    // Everything erased (all bytes 0xFF).
    void eraseAll();
    // Erases every sector whose bit is set; false (nothing erased) for a
    // mask of no sector or with a bit of no sector.
    bool erase(std::uint16_t mask);
    // Programs bytes from a word address; false when the range is not
    // inside one zone.
    bool program(std::uint32_t wordAddress, const std::uint8_t* bytes, std::size_t count);
    // Writes bytes as they are, erased or not (the factory's programmer).
    bool overwrite(std::uint32_t wordAddress, const std::uint8_t* bytes, std::size_t count);
    bool read(std::uint32_t wordAddress, std::uint8_t* out, std::size_t count) const;
    // True when [wordAddress, wordAddress + count bytes) lies in one zone.
    bool inZone(std::uint32_t wordAddress, std::size_t count) const;

private:
    struct Zone {
        FlashZone layout;
        std::vector<std::uint8_t> bytes;
    };
    // The zone and the byte offset of a range, or nullptr.
    Zone* locate(std::uint32_t wordAddress, std::size_t count, std::size_t& offset);
    const Zone* locate(std::uint32_t wordAddress, std::size_t count, std::size_t& offset) const;

    std::vector<Zone> zones_;
};

}  // namespace vemarsim
