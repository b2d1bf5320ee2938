#pragma once

// The part of the window's device detection that talks to the unit: is it
// on USB, does its DSP run the release this program needs (an upgrade is
// offered otherwise), is the identity's calibration kind the one of the
// stored calibration file, and is the local calibration file current. The
// window asks its questions through the callbacks and adapts itself to the
// result; nothing here knows of a window.

#include <string>

#include "DspFirmware.h"
#include "FlashControl.h"
#include "IdentityRecord.h"

struct UnitDetectionUi {
    DspFirmware::ReleaseCheckUi release;
    // "An outdated calibration file has been detected ..." (OK replaces the local file).
    FlashControl::Confirm confirmOutdatedCalibration;
};

struct UnitDetectionResult {
    bool present = false;
    // The unit's record, all zero when no usable unit was found.
    IdentityRecord identity;
    // Hundredths; 0 when the status was not read.
    int dspRelease = 0;
};

// A unit with the instrument's product id is on USB.
bool unitOnUsb();

// With a unit on USB: the calibration kind word of its calibration zone is
// made the identity's (the identity block is rewritten when they differ and
// the zone holds a file), the release check runs, and for a usable unit the
// calibration file of the Calib folder is checked and the identity read.
// With the factory flag the record claims four laser inputs and four
// detectors. Link and flash errors propagate as exceptions.
UnitDetectionResult detectUnit(const std::string& calibFolder, const std::string& firmwarePath, bool factory,
                               const UnitDetectionUi& ui);
