#pragma once

// Finding the unit, for the window's device detection and vemar-cli alike:
// the USB presence test, the calibration kind kept in step with the identity
// record, the DSP release check with the firmware upgrade it may offer, and
// the local calibration file check. Nothing here asks the user anything: the
// questions (upgrade the DSP? replace an outdated local calibration file?)
// and the wait window of the upgrade go to the caller's callbacks, and a
// caller without them hears of a wrong release and an outdated file in the
// state it gets back.

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
    // What is wrong with the local file when it is there but damaged or
    // unreadable (the status text naming it); empty otherwise. A measurement
    // refuses such a file.
    std::string calibrationProblem;
    // The identity was rewritten to name the kind of the stored calibration file.
    std::optional<std::uint16_t> calibrationKindStored;
    // The caller agreed to the upgrade and the firmware was programmed;
    // status then holds the DSP's state after the reboot.
    bool upgraded = false;

    bool usable() const { return presence == Presence::Present && releaseOk; }
};

// A unit with the instrument's product id is on USB.
bool unitPresent();

// The OK/Cancel question asked when the local calibration file is older than
// the unit's copy (caption and text as the window shows them): OK replaces
// it with the unit's. Without a question the local file stays.
using OutdatedCalibrationQuestion = std::function<bool(const std::string& caption, const std::string& text)>;

// What the detection may ask its caller. Each question left empty takes the
// choice that changes nothing in the unit or on disk.
struct UnitQuestions {
    // A DSP of another release: the Yes/No question of the release check
    // and the wait window shown while the firmware is programmed. Without
    // the question no upgrade is offered and releaseOk stays false.
    DspFirmware::ReleaseCheckUi upgrade;
    // The firmware file the upgrade programs ("DSP/VEMAR_DSP V112.out"
    // beside the program).
    std::string firmwarePath;
    OutdatedCalibrationQuestion replaceOutdated;
};

// The whole detection against the Calib folder. Link and flash failures
// propagate as exceptions with their texts.
UnitState detectUnit(const std::string& calibFolder, const UnitQuestions& questions = {});
