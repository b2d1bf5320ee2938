#include "UnitDetection.h"

#include "DspProtocol.h"
#include "FlashControl.h"
#include "Hsotstdusb.h"

namespace {

// The kind word of a zone that holds a calibration file.
bool isCalibrationKind(std::uint16_t kind) { return kind == 1 || kind == 2; }

}  // namespace

bool unitPresent() { return UsbIsPresent(DSP_PRODUCT_ID, ""); }

UnitState detectUnit(const std::string& calibFolder, const OutdatedCalibrationQuestion& replaceOutdated)
{
    UnitState state;
    if (!unitPresent()) return state;
    state.status = DspFirmware::readStatus();
    if (state.status.result != 0) {
        state.presence = UnitState::Presence::Silent;
        return state;
    }
    state.presence = UnitState::Presence::Present;

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
    state.releaseOk = state.status.release == DspFirmware::requiredRelease;
    if (state.releaseOk) {
        state.calibrationFile = flash.CheckCalibrationFile(
            calibFolder, false, [&state, &replaceOutdated](const std::string& caption, const std::string& text) {
                state.calibrationOutdated = true;
                return replaceOutdated ? replaceOutdated(caption, text) : false;
            });
    }
    state.identity = flash.identity();
    return state;
}
