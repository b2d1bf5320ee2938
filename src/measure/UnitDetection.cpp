#include "UnitDetection.h"

#include "CalibrationFile.h"

#include "DspProtocol.h"
#include "FlashControl.h"
#include "Hsotstdusb.h"

namespace {

// The kind word of a zone that holds a calibration file.
bool isCalibrationKind(std::uint16_t kind) { return kind == 1 || kind == 2; }

}  // namespace

bool unitPresent() { return UsbIsPresent(DSP_PRODUCT_ID, ""); }

UnitState detectUnit(const std::string& calibFolder, const UnitQuestions& questions)
{
    UnitState state;
    if (!unitPresent()) return state;
    state.status = DspFirmware::readStatus();
    if (state.status.result != 0) {
        state.presence = UnitState::Presence::Silent;
        return state;
    }
    state.presence = UnitState::Presence::Present;
    {
        FlashControl flash;
        const std::uint16_t zoneKind = flash.ReadZoneCalibrationKind();
        flash.ReadIdentity();
        // An empty zone reads 0xFFFF: storing that as the identity's kind would
        // damage the record, so only a stored file's kind is taken over.
        if (isCalibrationKind(zoneKind) && flash.CalibrationKind() != zoneKind) {
            flash.SetCalibrationKind(zoneKind);
            flash.WriteIdentity();
            state.calibrationKindStored = zoneKind;
        }
        state.identity = flash.identity();
    }
    state.releaseOk = state.status.release == DspFirmware::requiredRelease;
    if (!state.releaseOk && questions.upgrade.askYesNo) {
        // The firmware's own release check asks, programs and reports; a
        // nested detection while its boxes are open answers false at once.
        if (DspFirmware::releaseCheck(questions.firmwarePath, questions.upgrade)) {
            state.releaseOk = true;
            state.upgraded = true;
            state.status = DspFirmware::readStatus();
        }
    }
    if (!state.releaseOk) return state;

    FlashControl flash;
    state.calibrationFile = flash.CheckCalibrationFile(
        calibFolder, false, [&state, &questions](const std::string& caption, const std::string& text) {
            state.calibrationOutdated = true;
            return questions.replaceOutdated ? questions.replaceOutdated(caption, text) : false;
        });
    state.identity = flash.identity();
    // A damaged file has no stamp worth comparing: what is wrong with it is
    // what the user must hear.
    const CalibrationFileCheck check =
        checkCalibrationFile(state.calibrationFile, state.identity.calibrationKind(), &state.identity);
    if (!check.missing && !check.usable()) state.calibrationProblem = calibrationFileStatusText(state.calibrationFile, check);
    return state;
}
