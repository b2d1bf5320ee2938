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
// the file the tables stay zero (the levels are then not calibrated, which
// is logged) and the measurement still runs.
std::unique_ptr<TabCalib> loadMeasurementCalibration(const std::string& calibFolder, const IdentityRecord& identity);
