// calib check | calib read | calib program: the unit's calibration file.

#include <filesystem>
#include <nlohmann/json.hpp>

#include "Applicationconfig.h"
#include "CalibrationFile.h"
#include "CliSession.h"
#include "Commands.h"
#include "DspFirmware.h"
#include "ExitCode.h"
#include "FlashControl.h"
#include "UnitConnection.h"

namespace {

// The settings (for the Calib folder) and a unit whose DSP answers, in any
// release: the flash is reached through the boot code too.
void prepare(CliSession& session)
{
    session.loadConfiguration();
    requireUnitPresent();
    if (DspFirmware::readStatus().result != 0)
        throw CliError(ExitCode::Failure, "failure in the communication with the DSP");
}

// The calibration file is named after the unit's serial number.
void readIdentity(FlashControl& flash)
{
    flash.ReadIdentity();
    if (!flash.IsValid()) throw CliError(ExitCode::Failure, "the unit has no identity record (no serial number)");
}

bool zoneHoldsFile(FlashControl& flash)
{
    const std::uint16_t kind = flash.ReadZoneCalibrationKind();
    return kind == 1 || kind == 2;
}

void report(CliSession& session, const std::string& file, const std::string& state, const std::string& text)
{
    if (session.json())
        session.printJson({{"file", file}, {"state", state}});
    else
        session.print(text + "\n");
}

bool exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace

int runCalibCheck(CliSession& session, const ParsedOptions&)
{
    prepare(session);
    FlashControl flash;
    readIdentity(flash);
    const std::string folder = session.settings().calibFolder;
    const bool existed = exists(folder + flash.CalibrationFileName());
    bool outdated = false;
    const std::string path = flash.CheckCalibrationFile(folder, false, [&outdated](const std::string&, const std::string&) {
        outdated = true;
        return false;
    });
    if (!exists(path)) throw CliError(ExitCode::Failure, "the unit holds no calibration file");
    const CalibrationFileCheck damage = checkCalibrationFile(path, flash.CalibrationKind(), &flash.identity());
    if (!damage.usable()) {
        report(session, path, "damaged", calibrationFileStatusText(path, damage));
        throw CliError(ExitCode::FileError, "replace the damaged calibration file with 'vemar-cli calib read'");
    }
    if (outdated) {
        report(session, path, "outdated", path + ": outdated, the unit's copy is newer");
        session.status("vemar-cli: warning: an outdated calibration file has been detected; replace it with "
                       "'vemar-cli calib read'");
    } else if (!existed) {
        report(session, path, "copied", path + ": copied from the unit");
    } else {
        report(session, path, "current", path + ": up to date");
    }
    return 0;
}

int runCalibRead(CliSession& session, const ParsedOptions&)
{
    prepare(session);
    FlashControl flash;
    if (!zoneHoldsFile(flash)) throw CliError(ExitCode::Failure, "the unit holds no calibration file");
    const std::string folder = session.settings().calibFolder;
    const std::string path = flash.ReadFlashCalibFile(folder);
    if (path.empty()) throw CliError(ExitCode::FileError, "can't write the calibration file into " + folder);
    report(session, path, "read", path + ": read from the unit");
    return 0;
}

int runCalibProgram(CliSession& session, const ParsedOptions&)
{
    prepare(session);
    FlashControl flash;
    // Programming without a local file would store nothing and look like a
    // success; programming a damaged one would replace the unit's good
    // calibration with it: both are refused before the unit is touched.
    const FlashControl::CalibrationProgramming r =
        flash.ProgramCalibration(session.settings().calibFolder, "run 'vemar-cli calib program' again");
    using Outcome = FlashControl::CalibrationProgramming::Outcome;
    if (r.outcome == Outcome::Refused)
        throw CliError(r.localPath.empty() ? ExitCode::Failure : ExitCode::FileError, r.text);
    if (!r.done()) {
        // The link's own texts are for the log and the curious, after the plain one.
        if (!r.details.empty()) session.status("vemar-cli: details: " + r.details);
        throw CliError(ExitCode::Failure, r.text);
    }
    report(session, r.localPath, "programmed", r.localPath + ": stored in the unit");
    return 0;
}
