// firmware status | firmware upgrade [FILE.out]

#include <fstream>
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
    // Checked before the DSP leaves its user code: a missing file must not
    // leave the unit waiting in flash mode.
    if (!std::ifstream(path, std::ios::binary)) throw CliError(ExitCode::FileError, "Can't find " + path);
    requireUnitPresent();
    const DspFirmware::Status after = answeringStatus(DspFirmware::upgrade(path, [&session](bool visible) {
        if (visible) session.status(std::string(DspFirmware::waitText));
    }));
    if (session.json()) {
        session.printJson(statusJson(after));
        return 0;
    }
    session.print("Update completed.\nNew DSP release: " + About::formatDspRelease(after.release) + "\n");
    if (after.release != DspFirmware::requiredRelease)
        session.status("vemar-cli: warning: " + incompatibleReleaseText(after.release));
    return 0;
}
