#pragma once

// The unit for the commands that need one: the session's device detection
// (the window's), with its one question answered with the safe choice (keep
// the local calibration file) and what the window would show told on stderr
// with the command that does the other choice. No unit, or one that cannot
// be used, ends the command with the exit status the README gives.

#include <string>

#include "UnitDetection.h"

class CliSession;

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
