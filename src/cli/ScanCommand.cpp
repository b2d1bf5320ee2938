// scan: a single or continuous measurement.

#include "CliSession.h"
#include "Commands.h"
#include "ExitCode.h"
#include "ScanRequest.h"
#include "Sourceconfig.h"
#include "UnitConnection.h"

int runScan(CliSession& session, const ParsedOptions& options)
{
    const ScanRequest request = parseScanRequest(options);
    session.loadConfiguration();
    applyScanRequest(request, session.settings(), session.sources());
    const UnitState unit = requireUsableUnit(session);
    fitDetectorsToUnit(request, session.settings(), unit.identity);
    throw CliError(ExitCode::Failure, "scan: the measurement is not available yet");
}
