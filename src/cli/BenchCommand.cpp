// bench: the simulated bench's truth.

#include "CliSession.h"
#include "Commands.h"
#include "ExitCode.h"

int runBench(CliSession& session, const ParsedOptions&)
{
    if (!session.simulated()) throw UsageError("bench needs --simulate");
    throw CliError(ExitCode::Failure, "bench: the simulated bench is not available yet");
}
