// firmware status | firmware upgrade [FILE.out]

#include <filesystem>
#include <nlohmann/json.hpp>

#include "About.h"
#include "CliSession.h"
#include "Commands.h"
#include "DspFirmware.h"
#include "ExitCode.h"
#include "Options.h"
#include "UnitConnection.h"

namespace {

nlohmann::json statusJson(const DspFirmware::Status& status)
{
    return {
        {"release", About::formatDspRelease(status.release)},
        {"releaseHundredths", status.release},
        {"flashMode", status.flashMode},
        {"required", About::formatDspRelease(DspFirmware::requiredRelease)},
        {"compatible", status.release == DspFirmware::requiredRelease},
    };
}

DspFirmware::Status answeringStatus(DspFirmware::Status status)
{
    if (status.result != 0) throw CliError(ExitCode::Failure, "failure in the communication with the DSP");
    return status;
}

}  // namespace

int runFirmwareStatus(CliSession& session, const ParsedOptions&)
{
    requireUnitPresent();
    const DspFirmware::Status status = answeringStatus(DspFirmware::readStatus());
    if (session.json()) {
        session.printJson(statusJson(status));
        return 0;
    }
    const bool compatible = status.release == DspFirmware::requiredRelease;
    session.print("DSP release: " + About::formatDspRelease(status.release) + "\n");
    session.print(std::string("Mode: ") + (status.flashMode ? "flash (boot code)" : "user code") + "\n");
    session.print("Required release: " + About::formatDspRelease(DspFirmware::requiredRelease) + "\n");
    session.print(std::string("Compatible: ") + (compatible ? "yes" : "no") + "\n");
    return 0;
}

int runFirmwareUpgrade(CliSession& session, const ParsedOptions& options)
{
    const std::string path = options.operands().empty()
                                 ? DspFirmware::requiredFirmwarePath(CliSession::programFolder())
                                 : options.operands().front();
    // The file is checked by the upgrade before the unit is touched; a
    // missing one is told before the unit is even looked for.
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) throw CliError(ExitCode::FileError, "Can't find " + path);
    requireUnitPresent();
    const std::string retry = "run 'vemar-cli firmware upgrade \"" + path + "\"' again with the unit connected";
    const DspFirmware::UpgradeResult r = DspFirmware::upgrade(
        path,
        [&session](bool visible) {
            if (visible) session.status(std::string(DspFirmware::waitText));
        },
        retry);
    if (r.fileMissing) throw CliError(ExitCode::FileError, r.text);
    if (!r.done()) {
        // The link's own texts are for the log and the curious, after the plain one.
        if (!r.details.empty()) session.status("vemar-cli: details: " + r.details);
        throw CliError(ExitCode::Failure, r.text);
    }
    if (session.json()) {
        session.printJson(statusJson(r.status));
        return 0;
    }
    session.print("Update completed.\nNew DSP release: " + About::formatDspRelease(r.status.release) + "\n");
    return 0;
}
