// info: the unit found, its DSP release checked, the About texts.

#include <nlohmann/json.hpp>

#include "About.h"
#include "CliSession.h"
#include "Commands.h"
#include "ExitCode.h"
#include "UnitConnection.h"

namespace {

nlohmann::json aboutJson(const About& about)
{
    return {
        {"release", about.release},
        {"dspRelease", about.dspRelease},
        {"serialNumber", about.serialNumber},
        {"fibreType", about.fibreType},
        {"tls", about.tls},
        {"detectors", about.detectors},
    };
}

// The labels of the window's About page.
std::string aboutText(const About& about)
{
    std::string out;
    out += "Software: " + about.release + "\n";
    out += "DSP........: " + about.dspRelease + "\n";
    out += "SN : " + about.serialNumber + "\n";
    out += "VEMAR Type : " + about.fibreType + "\n";
    for (int k = 0; k < 4; ++k) out += "TLS" + std::to_string(k + 1) + " : " + about.tls[k] + "\n";
    for (int k = 0; k < 4; ++k)
        out += "Detector Array " + std::to_string(k + 1) + " : " + about.detectors[k] + "\n";
    return out;
}

}  // namespace

int runInfo(CliSession& session, const ParsedOptions&)
{
    session.loadConfiguration();
    const UnitState unit = detectUnit(session);
    const About about(unit.identity.summary(), unit.status.release);
    if (session.json()) {
        nlohmann::json document = {
            {"present", true},
            {"simulated", session.simulated()},
            {"usable", unit.releaseOk},
            {"flashMode", unit.status.flashMode},
            {"about", aboutJson(about)},
        };
        document["calibrationFile"] = unit.calibrationFile.empty() ? nlohmann::json(nullptr)
                                                                   : nlohmann::json(unit.calibrationFile);
        session.printJson(document);
    } else {
        session.print(aboutText(about));
        if (!unit.calibrationFile.empty()) session.print("Calibration file : " + unit.calibrationFile + "\n");
    }
    if (!unit.releaseOk) throw CliError(ExitCode::NoInstrument, incompatibleReleaseText(unit.status.release));
    return 0;
}
