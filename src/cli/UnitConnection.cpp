#include "UnitConnection.h"

#include "About.h"
#include "Applicationconfig.h"
#include "CalibrationFile.h"
#include "CliSession.h"
#include "DspProtocol.h"
#include "ExitCode.h"
#include "FlashControl.h"
#include "Hsotstdusb.h"
#include "NumberFormat.h"

namespace {

inline constexpr const char* noInstrumentText = "No instrument found. Please connect the VEMAR";

// The kind word of a zone that holds a calibration file.
bool isCalibrationKind(std::uint16_t kind) { return kind == 1 || kind == 2; }

}  // namespace

void requireUnitPresent()
{
    if (!UsbIsPresent(DSP_PRODUCT_ID, "")) throw CliError(ExitCode::NoInstrument, noInstrumentText);
}

std::string incompatibleReleaseText(int release)
{
    return "The DSP release " + About::formatDspRelease(release) + " isn't compatible with this software (" +
           About::formatDspRelease(DspFirmware::requiredRelease) +
           " needed): upgrade it with 'vemar-cli firmware upgrade FILE.out'";
}

UnitState detectUnit(CliSession& session)
{
    requireUnitPresent();
    UnitState state;
    state.status = DspFirmware::readStatus();
    if (state.status.result != 0)
        throw CliError(ExitCode::Failure, "failure in the communication with the DSP");

    FlashControl flash;
    const std::uint16_t zoneKind = flash.ReadZoneCalibrationKind();
    flash.ReadIdentity();
    // An empty zone reads 0xFFFF: storing that as the identity's kind would
    // damage the record, so only a stored file's kind is taken over.
    if (isCalibrationKind(zoneKind) && flash.CalibrationKind() != zoneKind) {
        flash.SetCalibrationKind(zoneKind);
        flash.WriteIdentity();
        session.status(cformat("vemar-cli: the unit's identity now names calibration kind %u", unsigned(zoneKind)));
    }
    state.releaseOk = state.status.release == DspFirmware::requiredRelease;
    if (state.releaseOk) {
        bool outdated = false;
        state.calibrationFile = flash.CheckCalibrationFile(session.settings().calibFolder, false,
                                                           [&outdated](const std::string&, const std::string&) {
                                                               outdated = true;
                                                               return false;
                                                           });
        // A damaged file has no stamp worth comparing: say what is wrong with it.
        const CalibrationFileCheck check =
            checkCalibrationFile(state.calibrationFile, flash.CalibrationKind(), &flash.identity());
        if (!check.missing && !check.usable())
            session.status("vemar-cli: warning: " + calibrationFileStatusText(state.calibrationFile, check) +
                           "; replace it with 'vemar-cli calib read'");
        else if (outdated)
            session.status("vemar-cli: warning: an outdated calibration file has been detected: " +
                           state.calibrationFile + " is older than the unit's copy; replace it with 'vemar-cli "
                           "calib read'");
    }
    state.identity = flash.identity();
    return state;
}

UnitState requireUsableUnit(CliSession& session)
{
    UnitState state = detectUnit(session);
    if (!state.releaseOk) throw CliError(ExitCode::NoInstrument, incompatibleReleaseText(state.status.release));
    return state;
}
