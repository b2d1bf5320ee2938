#pragma once

// The simulated unit's factory data: its identity record and a plausible,
// self-consistent kind-2 calibration, as the factory would have measured
// and programmed them. The optical bench turns powers into converter codes
// through the inverse of this calibration, so that a scan converted back
// by the program gives the true levels.
//
// The calibration, field by field (N = 638 frequency points, M = 140):
// - table B, the level axis: 0, 0.5 … 69.5 dB;
// - table A, the output monitor's codes over the level axis: 4000 − 25 i
//   (strictly descending), with the base value 10 dBm at level 0;
// - the detector tables: 3990 − 26 i + d, and each detector word 3750 (the
//   output code of the detector's origin, 5 dBm);
// - the response tables: a flat response with a small ripple,
//   0.05 d − 0.1 + 0.2 sin(2π i / 211) dB;
// - the level tables: 2600 − i and 2400 − i / 2;
// - the reference words: 1000 + 100 t, ascending;
// - the frequency (line) tables: lines 100 GHz apart, table t at
//   F0 − 100 i − 45 + 4 t GHz;
// - the EXT table: codes 100 + 1300 V for 0.0 … 3.0 V, ascending;
// - scale 0.0823.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "CalibrationFile.h"
#include "DataCalib2.h"
#include "IdentityRecord.h"

namespace vemarsim::FactoryCalibration {

// "S/NAF0417", two laser inputs, four detectors, kind 2, band 0, hardware code 3.
IdentityRecord identity();

// The kind-2 calibration image.
std::unique_ptr<DataCalib2> image();

// The stamp of the factory file: 14 June 2018, 9 h.
CalibrationStamp stamp();

// "FileAF0417.dat": identity, stamp, kind, image (22290 bytes).
std::vector<std::uint8_t> file();

// The 28-byte header of zone 1 for a file of that many bytes.
std::array<std::uint8_t, 28> zoneHeader(std::uint32_t fileBytes);

}  // namespace vemarsim::FactoryCalibration
