#pragma once

// The calibration file "File<serial>.dat": the unit's identity record, a
// stamp of the local time it was last written, the calibration kind and the
// calibration image of that kind's layout. Files of the short, older form
// end just before the scale word (the last six words of the image are
// missing); they read with the scale 0.08 and zero offsets. A file of any
// other size is not a calibration file: a cut or padded file would shift
// every table against its offsets.

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
    ShortForm,   // the image of the older form, without its last six words (scale 0.08, offsets 0)
    Truncated,   // the file ends inside its 82-byte header: not a calibration file
    WrongSize,   // neither the full nor the older size of its layout: not a calibration file
    NotRegular,  // a directory, a FIFO, a device: never opened
    CannotOpen,
};

// Words of the image that the short, older form lacks: the scale word, the
// base offset word and the four detector offset words.
inline constexpr std::size_t shortFormMissingWords = 6;

struct CalibrationFileReadResult {
    CalibrationFileStatus status = CalibrationFileStatus::CannotOpen;
    CalibrationFileHeader header;
    std::size_t imageBytesRead = 0;
    std::uint64_t fileBytes = 0;
    int openError = 0;       // errno of a file that could not be opened
    std::string openProblem;  // why it could not be opened (NotRegular, CannotOpen)

    bool usable() const
    {
        return status == CalibrationFileStatus::Complete || status == CalibrationFileStatus::ShortForm;
    }
};

// Reads the header and the image into image. Once the file is open the
// image is cleared first, so nothing of an earlier content survives; a file
// that cannot be opened leaves the image as it was. The image is read only
// when the file has the full or the older size of the image's layout; the
// older form gets its scale 0.08 and zero offsets.
CalibrationFileReadResult readCalibrationFile(const std::string& path, DataCalib& image);

// Only the 82-byte header (CannotOpen or Truncated when it is not all there).
CalibrationFileReadResult readCalibrationFileHeader(const std::string& path);

// What the check of a calibration file found. A missing file is told apart
// from a damaged one: a unit without a calibration file measures with zero
// tables, a damaged file must not be used at all.
struct CalibrationFileCheck {
    bool missing = false;     // no file of that name
    bool unreadable = false;  // there, but it can't be read (problem says why)
    std::string problem;      // what is wrong with the file; empty when it can be used
    CalibrationFileStatus form = CalibrationFileStatus::CannotOpen;

    bool usable() const { return !missing && problem.empty(); }
};

// The check every user of a calibration file runs before it trusts it (the
// measurement, the calibration tables, programming it into the unit). The
// file is usable when
//   - it is a regular file of exactly 82 + image bytes of the layout of
//     calibrationKind, or 12 bytes fewer (the older form);
//   - its kind word is that kind (1 or 2);
//   - its identity record starts with "S/N", names 1 to 4 laser inputs and
//     1 to 4 detectors and, when unit is given and valid, the unit's serial;
//   - its stamp is a time of day (month 0..11, day 1..31, hour 0..23);
//   - its tables are plausible (calibrationTablesProblem).
CalibrationFileCheck checkCalibrationFile(const std::string& path, int calibrationKind,
                                          const IdentityRecord* unit = nullptr);

// The status text of a file that cannot be used: "The calibration file
// PATH is damaged: PROBLEM", "The calibration file PATH can't be read:
// REASON", or for a missing one "No calibration file PATH: the levels are
// not calibrated"; empty for a usable file.
std::string calibrationFileStatusText(const std::string& path, const CalibrationFileCheck& check);

// The largest code the unit's 12-bit converters give.
inline constexpr int largestConverterCode = 4095;
// The offset words lift negative values above zero; no response or base
// value of a real calibration lies below -66 dB.
inline constexpr int largestOffsetWord = 66;

// Why the tables of an image cannot be a calibration, empty when they can
// (the decoded values are finite by their encoding; what is checked is that
// they are values the converters and the unit can give):
//   - table A (the output monitor's codes of the level axis), the detector
//     tables of the detectors the identity names, the detector words, the
//     EXT table and both level tables hold codes of 0..4095;
//   - table A and the detector tables never rise along the level axis, and
//     table A falls from its first to its last point;
//   - the level axis (table B) never falls and rises from its first to its
//     last point;
//   - the EXT table (codes of 0.0 ... 3.0 V) never falls;
//   - the reference values never fall, and every line table never rises
//     from one point to the next (line frequencies run downwards);
//   - the base offset word and, in the full form, the detector offset words
//     are at most 66.
std::string calibrationTablesProblem(const DataCalib& image, int detectors, bool shortForm);

// Writes identity, stamp, the identity's calibration kind and the whole
// image, creating the folder when it is missing. All or nothing: the file is
// written under a temporary name and renamed when complete.
bool writeCalibrationFile(const std::string& path, const IdentityRecord& identity, const DataCalib& image,
                          const CalibrationStamp& stamp = CalibrationStamp::now());
