#pragma once

// "LocalAutoCalibBNC.dat": the local correction of the EXT (BNC) input, a
// table of values over wavelength written by the calibration page and read
// by the scan controller. Binary, little-endian: int32 point count, then,
// when the count is above 2, the first abscissa, the step and the values
// (doubles).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct LocalAutoCalibBNC {
    static constexpr const char* fileName = "LocalAutoCalibBNC.dat";
    static constexpr std::int32_t writtenPointCount = 200;

    double start = 0.0;  // nm
    double step = 0.0;   // nm
    std::vector<double> values;

    // A count of 2 or less in the file means no table.
    bool hasTable() const { return values.size() > 2; }
};

// What the check of the file found. A missing file means no correction; a
// damaged one must not be used at all (a value that is not a number would
// make every EXT level "nan").
struct LocalAutoCalibBNCCheck {
    bool missing = false;  // no file of that name
    std::string problem;   // what is wrong with the file; empty when it can be used
    std::optional<LocalAutoCalibBNC> table;  // the file's table when it can be used

    bool usable() const { return !missing && problem.empty(); }
};

// Reads and checks the file: a regular file, as long as its count
// announces (a count of 2 or less: no table, the rest ignored), a finite
// start, a finite step that is not zero, and finite values.
LocalAutoCalibBNCCheck checkLocalAutoCalibBNC(const std::string& path);

// "The EXT correction file PATH is damaged: PROBLEM"; empty for a usable or
// missing file.
std::string localAutoCalibBNCStatusText(const std::string& path, const LocalAutoCalibBNCCheck& check);

// The file's table; an empty table when its count is 2 or less. nullopt
// when the file is missing or damaged (checkLocalAutoCalibBNC): such a file
// is not used.
std::optional<LocalAutoCalibBNC> readLocalAutoCalibBNC(const std::string& path);

// Writes the table (count, start, step, values), all or nothing.
bool writeLocalAutoCalibBNC(const std::string& path, const LocalAutoCalibBNC& table);
