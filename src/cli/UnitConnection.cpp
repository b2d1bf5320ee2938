#include "UnitConnection.h"

#include "About.h"
#include "CliSession.h"
#include "ExitCode.h"
#include "MeasurementSession.h"
#include "NumberFormat.h"

namespace {

inline constexpr const char* noInstrumentText = "No instrument found. Please connect the VEMAR";

}  // namespace

void requireUnitPresent()
{
    if (!unitPresent()) throw CliError(ExitCode::NoInstrument, noInstrumentText);
}

std::string incompatibleReleaseText(int release)
{
    return "The DSP release " + About::formatDspRelease(release) + " isn't compatible with this software (" +
           About::formatDspRelease(DspFirmware::requiredRelease) +
           " needed): upgrade it with 'vemar-cli firmware upgrade FILE.out'";
}

UnitState detectUnit(CliSession& session)
{
    // No question: an outdated local calibration file is kept.
    const UnitState state = session.measurement().detectUnit();
    switch (state.presence) {
    case UnitState::Presence::Absent: throw CliError(ExitCode::NoInstrument, noInstrumentText);
    case UnitState::Presence::Silent: throw CliError(ExitCode::Failure, "failure in the communication with the DSP");
    case UnitState::Presence::Present: break;
    }
    if (state.calibrationKindStored)
        session.status(cformat("vemar-cli: the unit's identity now names calibration kind %u",
                               unsigned(*state.calibrationKindStored)));
    if (!state.calibrationProblem.empty())
        session.status("vemar-cli: warning: " + state.calibrationProblem + "; replace it with 'vemar-cli calib read'");
    else if (state.calibrationOutdated)
        session.status("vemar-cli: warning: an outdated calibration file has been detected: " + state.calibrationFile +
                       " is older than the unit's copy; replace it with 'vemar-cli calib read'");
    return state;
}

UnitState requireUsableUnit(CliSession& session)
{
    UnitState state = detectUnit(session);
    if (!state.releaseOk) throw CliError(ExitCode::NoInstrument, incompatibleReleaseText(state.status.release));
    return state;
}
