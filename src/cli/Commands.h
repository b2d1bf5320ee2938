#pragma once

// The commands of vemar-cli. Each returns the process exit code; errors
// leave as CliError (or another exception, an exit code of 1).

class CliSession;
class ParsedOptions;

int runInfo(CliSession& session, const ParsedOptions& options);
int runFirmwareStatus(CliSession& session, const ParsedOptions& options);
int runFirmwareUpgrade(CliSession& session, const ParsedOptions& options);
int runCalibCheck(CliSession& session, const ParsedOptions& options);
int runCalibRead(CliSession& session, const ParsedOptions& options);
int runCalibProgram(CliSession& session, const ParsedOptions& options);
int runCurve(CliSession& session, const ParsedOptions& options);
int runAnalyse(CliSession& session, const ParsedOptions& options);
int runConvert(CliSession& session, const ParsedOptions& options);
int runScan(CliSession& session, const ParsedOptions& options);
int runBench(CliSession& session, const ParsedOptions& options);
int runServe(CliSession& session, const ParsedOptions& options);
