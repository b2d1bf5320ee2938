#pragma once

// vemar-cli as a function of its arguments: parses the command line, runs
// the command and returns the exit status (ExitCode.h).

int runVemarCli(int argc, const char* const* argv);
