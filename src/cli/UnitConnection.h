#pragma once

// Finding the unit the way the window's device detection does, without a
// window to ask questions: the USB presence test, the calibration kind kept
// in step with the identity record, the DSP release check and the local
// calibration file check. Every question the window would ask is answered
// with its safe choice (no upgrade, keep the local file) and reported on
// stderr with the command that does the other choice.

#include <string>

#include "DspFirmware.h"
#include "IdentityRecord.h"

class CliSession;

struct UnitState {
    DspFirmware::Status status;
    bool releaseOk = false;
    IdentityRecord identity;
    std::string calibrationFile;  // local path, empty when not checked
};

// NoInstrument error at once when no unit is on USB.
void requireUnitPresent();

// The whole detection. NoInstrument when the unit is missing; Failure when
// its DSP does not answer. With a wrong release the state comes back with
// releaseOk false and the calibration file unchecked.
UnitState detectUnit(CliSession& session);

// detectUnit, then NoInstrument unless the release is the one this program needs.
UnitState requireUsableUnit(CliSession& session);

// The text of a wrong release, with the way out.
std::string incompatibleReleaseText(int release);
