#pragma once

// The unit's 72-byte identity block, as stored in its identity flash zone and
// at the head of every calibration file: serial text, numbers of laser inputs
// and detectors, calibration kind, fibre band and hardware code. The bytes
// are kept exactly as the unit stores them so that the unused words travel
// through a rewrite unchanged.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "About.h"

class IdentityRecord {
public:
    static constexpr std::size_t size = 72;
    static constexpr std::size_t wordCount = size / 2;
    static constexpr std::size_t serialTextSize = 50;
    static constexpr std::string_view serialPrefix = "S/N";

    // Byte offsets of the fields.
    static constexpr std::size_t laserInputsOffset = 50;
    static constexpr std::size_t detectorsOffset = 52;
    static constexpr std::size_t calibrationKindOffset = 54;
    static constexpr std::size_t fibreBandOffset = 56;
    static constexpr std::size_t hardwareCodeOffset = 58;
    static constexpr std::size_t unusedWordsOffset = 60;
    static constexpr std::size_t unusedWordCount = 6;
    static constexpr std::size_t bandWordCount = 8;

    // All zero: the record of no unit.
    IdentityRecord() = default;

    // The first 72 bytes of the given block; a shorter block leaves the
    // remaining bytes zero.
    static IdentityRecord fromBytes(std::span<const std::uint8_t> bytes);

    const std::array<std::uint8_t, size>& bytes() const { return bytes_; }
    std::array<std::uint8_t, size>& bytes() { return bytes_; }

    // A programmed unit's record starts with "S/N".
    bool isValid() const;
    // The serial text up to its NUL (at most 50 bytes), "S/N..." on a valid record.
    std::string serialText() const;
    // The text after "S/N".
    std::string serialNumber() const;
    // Stores the text (at most 49 bytes kept) NUL-padded over the 50 bytes.
    void setSerialText(std::string_view text);

    std::uint16_t laserInputs() const { return word(laserInputsOffset); }
    std::uint16_t detectors() const { return word(detectorsOffset); }
    std::uint16_t calibrationKind() const { return word(calibrationKindOffset); }
    std::uint16_t fibreBand() const { return word(fibreBandOffset); }
    std::uint16_t hardwareCode() const { return word(hardwareCodeOffset); }
    std::uint16_t unusedWord(std::size_t index) const;

    void setLaserInputs(std::uint16_t value) { setWord(laserInputsOffset, value); }
    void setDetectors(std::uint16_t value) { setWord(detectorsOffset, value); }
    void setCalibrationKind(std::uint16_t value) { setWord(calibrationKindOffset, value); }
    void setFibreBand(std::uint16_t value) { setWord(fibreBandOffset, value); }
    void setHardwareCode(std::uint16_t value) { setWord(hardwareCodeOffset, value); }
    void setUnusedWord(std::size_t index, std::uint16_t value);

    // The eight words from byte 56 (fibre band, hardware code, the unused words).
    std::array<std::uint16_t, bandWordCount> bandWords() const;

    // What the About texts show of the unit.
    UnitIdentitySummary summary() const;

    void clear() { bytes_.fill(0); }

    friend bool operator==(const IdentityRecord&, const IdentityRecord&) = default;

private:
    std::uint16_t word(std::size_t offset) const;
    void setWord(std::size_t offset, std::uint16_t value);

    std::array<std::uint8_t, size> bytes_{};
};

// "File" + serial number + ".dat": the name of the unit's calibration file in
// the Calib folder. Path separators in the serial number are replaced by "_"
// so that a damaged identity can never name a file outside that folder.
std::string calibrationFileName(const IdentityRecord& identity);
