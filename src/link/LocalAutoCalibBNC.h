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

// The file's table; an empty table when its count is 2 or less. nullopt
// when the file is missing or damaged (shorter than its count announces,
// a step that is zero or not a number): such a file is not used.
std::optional<LocalAutoCalibBNC> readLocalAutoCalibBNC(const std::string& path);

// Writes the table (count, start, step, values), all or nothing.
bool writeLocalAutoCalibBNC(const std::string& path, const LocalAutoCalibBNC& table);
