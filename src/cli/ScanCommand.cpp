// scan: a single or continuous measurement.

#include "CliSession.h"
#include "Commands.h"
#include "ScanRequest.h"
#include "ScanRun.h"
#include "UnitConnection.h"

int runScan(CliSession& session, const ParsedOptions& options)
{
    const ScanRequest request = parseScanRequest(options);
    session.loadConfiguration();
    session.createSourceDrivers();
    applyScanRequest(request, session.settings(), session.sources());
    const UnitState unit = requireUsableUnit(session);
    fitDetectorsToUnit(request, session.settings(), unit.identity);
    ScanRun run(session, request, unit);
    return run.run();
}
