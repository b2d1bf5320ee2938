#include "UnitDetection.h"

#include "DspProtocol.h"
#include "Hsotstdusb.h"

namespace {

// The kind word of a zone that holds a calibration file. An erased zone
// reads 0xFFFF: taking that into the identity would damage the record.
bool isCalibrationKind(std::uint16_t kind) { return kind == 1 || kind == 2; }

}  // namespace

bool unitOnUsb() { return UsbIsPresent(DSP_PRODUCT_ID, ""); }

UnitDetectionResult detectUnit(const std::string& calibFolder, const std::string& firmwarePath, bool factory,
                               const UnitDetectionUi& ui)
{
    UnitDetectionResult result;
    if (!unitOnUsb()) return result;
    {
        FlashControl flash;
        const std::uint16_t zoneKind = flash.ReadZoneCalibrationKind();
        flash.ReadIdentity();
        if (isCalibrationKind(zoneKind) && flash.CalibrationKind() != zoneKind) {
            flash.SetCalibrationKind(zoneKind);
            flash.WriteIdentity();
        }
    }
    if (!DspFirmware::releaseCheck(firmwarePath, ui.release)) return result;

    FlashControl flash;
    flash.CheckCalibrationFile(calibFolder, false, ui.confirmOutdatedCalibration);
    flash.ReadIdentity();
    result.present = true;
    result.identity = flash.identity();
    result.dspRelease = DspFirmware::readStatus().release;
    if (factory) {
        result.identity.setDetectors(4);
        result.identity.setLaserInputs(4);
    }
    return result;
}
