#pragma once

// The calibration file "File<serial>.dat": the unit's identity record, a
// stamp of the local time it was last written, the calibration kind and the
// calibration image of that kind's layout. Files of the short, older form
// end before the scale word; they read with the scale 0.08 and zero offsets.

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "DataCalib.h"
#include "IdentityRecord.h"

// {year − 1900, month 0..11, day of month, hour 0..23}; compared word by
// word as unsigned numbers, the larger stamp is the newer file.
struct CalibrationStamp {
    std::array<std::uint16_t, 4> words{};

    static CalibrationStamp fromLocalTime(std::time_t time);
    static CalibrationStamp now() { return fromLocalTime(std::time(nullptr)); }

    friend auto operator<=>(const CalibrationStamp&, const CalibrationStamp&) = default;
};

struct CalibrationFileHeader {
    static constexpr std::size_t size = IdentityRecord::size + 10;
    static constexpr std::size_t stampOffset = IdentityRecord::size;
    static constexpr std::size_t kindOffset = IdentityRecord::size + 8;

    IdentityRecord identity;
    CalibrationStamp stamp;
    std::uint16_t calibrationKind = 0;
};

enum class CalibrationFileStatus {
    Complete,    // the whole image was read
    ShortForm,   // the image ended early: the older form (scale 0.08, offsets 0)
    Truncated,   // the file ends inside its 82-byte header: not a calibration file
    CannotOpen,
};

struct CalibrationFileReadResult {
    CalibrationFileStatus status = CalibrationFileStatus::CannotOpen;
    CalibrationFileHeader header;
    std::size_t imageBytesRead = 0;

    bool usable() const
    {
        return status == CalibrationFileStatus::Complete || status == CalibrationFileStatus::ShortForm;
    }
};

// Reads the header and as much of the image as the file holds into image.
// Once the file is open the image is cleared first, so nothing of an earlier
// content survives a short file; a file that cannot be opened leaves the
// image as it was. A short image gets the older form's scale and zero offsets.
CalibrationFileReadResult readCalibrationFile(const std::string& path, DataCalib& image);

// Only the 82-byte header (CannotOpen or Truncated when it is not all there).
CalibrationFileReadResult readCalibrationFileHeader(const std::string& path);

// Writes identity, stamp, the identity's calibration kind and the whole
// image, creating the folder when it is missing. All or nothing: the file is
// written under a temporary name and renamed when complete.
bool writeCalibrationFile(const std::string& path, const IdentityRecord& identity, const DataCalib& image,
                          const CalibrationStamp& stamp = CalibrationStamp::now());
