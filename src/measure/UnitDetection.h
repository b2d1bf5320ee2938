#pragma once

// Finding the unit the way the window's device detection does: the USB
// presence test, the calibration kind kept in step with the identity record,
// the DSP release check and the local calibration file check. Nothing here
// asks the user anything: the one question (replace an outdated local
// calibration file?) goes to the caller, and a wrong release is reported for
// the caller to offer the upgrade.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "DspFirmware.h"
#include "IdentityRecord.h"

struct UnitState {
    enum class Presence {
        Absent,  // no unit on USB
        Silent,  // on USB, but its DSP does not answer
        Present,
    };
    Presence presence = Presence::Absent;
    DspFirmware::Status status;
    // The DSP runs the release this program needs.
    bool releaseOk = false;
    IdentityRecord identity;
    // The local calibration file checked (empty when not checked: a wrong release).
    std::string calibrationFile;
    // The local file was older than the unit's copy.
    bool calibrationOutdated = false;
    // The identity was rewritten to name the kind of the stored calibration file.
    std::optional<std::uint16_t> calibrationKindStored;

    bool usable() const { return presence == Presence::Present && releaseOk; }
};

// A unit with the instrument's product id is on USB.
bool unitPresent();

// The OK/Cancel question asked when the local calibration file is older than
// the unit's copy (caption and text as the window shows them): OK replaces
// it with the unit's. Without a question the local file stays.
using OutdatedCalibrationQuestion = std::function<bool(const std::string& caption, const std::string& text)>;

// The whole detection against the Calib folder.
UnitState detectUnit(const std::string& calibFolder, const OutdatedCalibrationQuestion& replaceOutdated = {});
