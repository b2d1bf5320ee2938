#pragma once

// The unit's calibration tables for one measurement: read once when the
// measurement starts and handed to the measurement thread, which gives them
// to the scan controller and to the start alignment of every pass. Every
// check of the calibration a measurement makes before it may start belongs
// here.

#include <memory>
#include <string>

#include "IdentityRecord.h"

class TabCalib;

// The tables of "File<serial>.dat" of the identity in calibFolder. Without
// the file the tables stay zero (the levels are then not calibrated) and the
// measurement still runs; *missingWarning then says so (when given). A file
// that is there but damaged or unreadable would move every level: the
// measurement must not start, so MeasurementRefused (reason Calibration)
// names the file and the problem.
std::unique_ptr<TabCalib> loadMeasurementCalibration(const std::string& calibFolder, const IdentityRecord& identity,
                                                     std::string* missingWarning = nullptr);

// "LocalAutoCalibBNC.dat" of calibFolder, the local correction of the EXT
// input: a damaged file is never used (the scan controller leaves it out).
// When the EXT input is measured it would have been: MeasurementRefused
// (reason ExtCorrection) names the file and the problem. Otherwise the
// returned warning says so; empty for a missing or usable file.
std::string checkMeasurementExtCorrection(const std::string& calibFolder, bool extMeasured);
