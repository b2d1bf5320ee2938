// scan: a single or continuous measurement.

#include "Applicationconfig.h"
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
    // --out stands in for the settings' automatic saving during this run
    // only: a saved configuration keeps the operator's choice.
    const bool automaticSaving = session.settings().scanSaveEnabled;
    applyScanRequest(request, session.settings(), session.sources());
    const UnitState unit = requireUsableUnit(session);
    fitDetectorsToUnit(request, session.settings(), unit.identity);
    ScanRun run(session, request, unit);
    const int exitCode = run.run();
    session.settings().scanSaveEnabled = automaticSaving;
    session.saveConfigurationIfAsked(run.about());
    return exitCode;
}
