#pragma once

// Each test runs vemar-cli in a documents folder of its own (settings,
// calibration files), with the simulator's time shortened when it simulates.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "TempDir.h"

// A build without Qt has no chart pictures.
#ifdef VEMAR_CLI_PICTURES
inline constexpr bool picturesBuilt = true;
#else
inline constexpr bool picturesBuilt = false;
#endif

class CliTest : public ::testing::Test {
protected:
    TempDir documents;
    TempDir work;

    std::map<std::string, std::string> environment() const
    {
        return {{"XDG_DOCUMENTS_DIR", documents.str()}, {"LC_ALL", "C"}};
    }
    CliResult cli(const std::vector<std::string>& arguments) const { return runCli(arguments, environment()); }
    // The same on the simulated instrument, its time running 100 times faster.
    CliResult sim(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> all{"--simulate", "--seed", "7", "--sim-time-scale", "0.01"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return cli(all);
    }
    std::string file(const std::string& name) const { return work.file(name); }
};

// What went wrong, for the failure message of an exit status check.
inline std::string describe(const CliResult& r)
{
    return "exit " + std::to_string(r.exitCode) + (r.timedOut ? " (timed out)" : "") + "\n--- stdout:\n" + r.out +
           "\n--- stderr:\n" + r.err;
}
