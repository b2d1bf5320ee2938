#pragma once

// Runs the vemar-cli program built beside the tests as a child process, with
// its own documents folder, and collects its exit status and both output
// streams. A child that outlives its time limit is killed and reported, so a
// hanging command fails its test instead of the whole suite.

#include <map>
#include <string>
#include <vector>

struct CliResult {
    int exitCode = -1;  // -1 when killed or not started
    std::string out;
    std::string err;
    bool timedOut = false;
    double seconds = 0.0;
};

// env entries replace or add variables of the test's environment.
CliResult runCli(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& env,
                 double timeLimitSeconds = 120.0);

// Lets a test interrupt the child: sends SIGINT once stderr has shown the
// text that many times, as Ctrl-C in the terminal would.
CliResult runCliInterruptedAfter(const std::vector<std::string>& arguments,
                                 const std::map<std::string, std::string>& env, const std::string& stderrText,
                                 int occurrences, double timeLimitSeconds = 120.0);

// The path of the program under test.
std::string cliProgram();
