// The command line itself: help on every level, usage errors, and the
// commands that need a unit when there is none.

#include <regex>
#include <string>
#include <vector>

#include "CliFixture.h"

namespace {

using Args = std::vector<std::string>;

TEST_F(CliTest, HelpOnEveryLevel)
{
    struct Case {
        Args args;
        std::string usage;     // first line
        std::string mentions;  // something only that level's help shows
    };
    const Case cases[] = {
        {{"--help"}, "Usage: vemar-cli [OPTIONS] COMMAND [ARGS...]", "--sim-time-scale X"},
        {{"-h"}, "Usage: vemar-cli [OPTIONS] COMMAND [ARGS...]", "Exit status: 0 success"},
        {{"scan", "--help"}, "Usage: vemar-cli scan [OPTIONS]", "--continuous N"},
        {{"--simulate", "scan", "-h"}, "Usage: vemar-cli scan [OPTIONS]", "--format LIST"},
        {{"analyse", "--help"}, "Usage: vemar-cli analyse [OPTIONS] FILE.scan.xml...", "--params FILE.config.xml"},
        {{"curve", "--help"}, "Usage: vemar-cli curve [OPTIONS] FILE.scan.xml", "--thz"},
        {{"convert", "--help"}, "Usage: vemar-cli convert [OPTIONS] FILE.scan.xml", "--to FORMAT"},
        {{"info", "--help"}, "Usage: vemar-cli info [OPTIONS]", "About texts"},
        {{"bench", "--help"}, "Usage: vemar-cli bench [OPTIONS]", "true"},
        {{"firmware", "--help"}, "Usage: vemar-cli firmware [OPTIONS] COMMAND [ARGS...]", "upgrade"},
        {{"firmware", "upgrade", "--help"}, "Usage: vemar-cli firmware upgrade [OPTIONS] [FILE.out]", "flash mode"},
        {{"firmware", "status", "--help"}, "Usage: vemar-cli firmware status [OPTIONS]", "release"},
        {{"calib", "--help"}, "Usage: vemar-cli calib [OPTIONS] COMMAND [ARGS...]", "program"},
        {{"calib", "read", "--help"}, "Usage: vemar-cli calib read [OPTIONS]", "Calib folder"},
    };
    for (const Case& c : cases) {
        const CliResult r = cli(c.args);
        ASSERT_EQ(r.exitCode, 0) << c.usage << "\n" << describe(r);
        EXPECT_EQ(r.out.substr(0, r.out.find('\n')), c.usage);
        EXPECT_NE(r.out.find(c.mentions), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
    const CliResult version = cli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "vemar-cli v 3.8.0\n");
}

TEST_F(CliTest, UsageErrorsExitWithTwoBeforeAnyWork)
{
    struct Case {
        Args args;
        std::string message;
    };
    const Case cases[] = {
        {{}, "missing command"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"firmware"}, "missing command"},
        {{"calib", "erase"}, "unknown command 'erase'"},
        {{"info", "--bogus"}, "unrecognized option '--bogus'"},
        {{"info", "-x"}, "invalid option -- 'x'"},
        {{"info", "extra"}, "unexpected operand 'extra'"},
        {{"--json=yes", "info"}, "option '--json' doesn't allow an argument"},
        {{"--config"}, "option '--config' requires an argument"},
        {{"--seed", "3", "info"}, "option '--seed' needs --simulate"},
        {{"--simulate", "--seed", "three", "info"}, "option '--seed' needs a whole number"},
        {{"--simulate=nosuch", "info"}, "unknown bench preset \"nosuch\""},
        {{"--simulate", "--sim-time-scale", "2", "info"}, "option '--sim-time-scale' must lie between"},
        {{"analyse"}, "missing operand: FILE.scan.xml..."},
        {{"curve", "a.scan.xml", "b.scan.xml"}, "unexpected operand 'b.scan.xml'"},
        {{"convert", "a.scan.xml"}, "missing option '--to'"},
        {{"convert", "a.scan.xml", "--to", "jpeg"}, "unknown format 'jpeg'"},
        {{"analyse", "a.scan.xml", "--out", "r.csv"}, "must end in .passband.xml or .txt"},
        {{"analyse", "a.scan.xml", "--threshold", "-30,5"}, "option '--threshold' needs a number"},
        {{"analyse", "a.scan.xml", "--grid", "5"}, "option '--grid' must lie between 0 and 4"},
        {{"scan", "--continuous", "0"}, "option '--continuous' must lie between 1"},
        {{"scan", "--continuous"}, "option '--continuous' requires an argument"},
        {{"scan", "--start", "1550nm"}, "option '--start' needs a number"},
        {{"scan", "--detectors", "1,5"}, "unknown detector '5'"},
        {{"scan", "--format", "xml,gif"}, "unknown format 'gif'"},
        {{"scan", "--format", "csv"}, "--format needs --out"},
        {{"scan", "--start", "1550", "--stop", "1552"}, "at least 5 nm"},
        {{"bench"}, "bench needs --simulate"},
    };
    for (const Case& c : cases) {
        const CliResult r = cli(c.args);
        std::string joined;
        for (const std::string& a : c.args) joined += a + " ";
        EXPECT_EQ(r.exitCode, 2) << joined << describe(r);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << joined << describe(r);
        EXPECT_NE(r.err.find("--help' for more information."), std::string::npos) << joined;
        EXPECT_EQ(r.out, "") << joined;
    }
}

TEST_F(CliTest, NoUnitEndsWithThreeAtOnce)
{
    const Args cases[] = {
        {"info"},
        {"firmware", "status"},
        {"calib", "check"},
        {"scan"},
        {"--json", "info"},
        {"--simulate", "--sim-unplugged", "info"},
        {"--simulate", "--sim-unplugged", "scan", "--continuous", "3"},
    };
    for (const Args& args : cases) {
        const CliResult r = cli(args);
        EXPECT_EQ(r.exitCode, 3) << args.front() << describe(r);
        EXPECT_NE(r.err.find("No instrument found. Please connect the VEMAR"), std::string::npos) << describe(r);
        EXPECT_EQ(r.out, "");
        EXPECT_LT(r.seconds, 10.0) << "no unit must not make the tool wait";
    }
}

TEST_F(CliTest, LoggerWritesTheDiagnosticLogOnStderr)
{
    const CliResult r = cli({"--logger", "info"});
    EXPECT_EQ(r.exitCode, 3) << describe(r);
    // The self-test line; its timing fields depend on how busy the machine is.
    EXPECT_TRUE(std::regex_search(r.err, std::regex(R"(\d\d:\d\d:\d\d,\d{3} \(\d{5}\): fatal\n)"))) << describe(r);
    EXPECT_EQ(r.out, "");
}

TEST_F(CliTest, MissingConfigurationFileIsAFileError)
{
    const CliResult r = cli({"--config", file("absent.config.xml"), "info"});
    EXPECT_EQ(r.exitCode, 4) << describe(r);
    EXPECT_NE(r.err.find("can't read the configuration file"), std::string::npos) << describe(r);
}

}  // namespace
