#pragma once

// Scan files written by the program's own scan-file code from a synthetic
// sweep, so that the offline commands have inputs with known figures.
//
// The sweep runs from 1545 to 1555 nm in 5 pm samples (the resampling grid,
// so resampling changes nothing). Curve "1" is a V-shaped channel whose
// flanks fall linearly from its peak to a floor; curve "2" is a flat -3 dB
// line.

#include <string>

struct SyntheticScan {
    double peakNm = 1550.0;      // top of curve "1"
    double peakDb = -1.0;        // its level
    double flankDbPerNm = 20.0;  // both flanks fall this fast
    double floorDb = -50.0;      // and stop here
    // Levels of the settings saved with the scan.
    double fwhmPower = -4.0;
    double slopeTopLevel = -3.0;
    double slopeBottomLevel = -40.0;
};

// Writes path (a ".scan.xml" file) and its side file.
void writeSyntheticScan(const std::string& path, const SyntheticScan& scan = {});
