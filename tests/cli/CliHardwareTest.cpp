// vemar-cli on the real hardware paths: the unit on a serial port given with
// --port (the simulated unit served on a pseudo-terminal by this test), and
// the GPIB library bound by name, here the stand-in library in linux-gpib's
// place, logging every call it receives.

#include <tinyxml.h>

#include <sstream>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "FileUtil.h"
#include "SyntheticScan.h"
#include "vemar_sim_usb.h"

namespace {

// Four lasers at addresses 3 to 6, each covering the scan.
constexpr const char* fourSources = R"(<?xml version="1.0" ?>
<VEMAR>
    <Configuration>
        <Sources>
            <Common Power="1.000000" Lambda_Min="1528.000000" Lambda_Max="1568.000000" />
            <Source Name="TLS_0" Enable="True" Address="3" Lambda_Min="1500.000000" Lambda_Max="1630.000000" Speed="40" Type="VarnelPurity" />
            <Source Name="TLS_1" Enable="True" Address="4" Lambda_Min="1500.000000" Lambda_Max="1630.000000" Speed="40" Type="Agilent" />
            <Source Name="TLS_2" Enable="True" Address="5" Lambda_Min="1500.000000" Lambda_Max="1630.000000" Speed="40" Type="VarnelPlus" />
            <Source Name="TLS_3" Enable="True" Address="6" Lambda_Min="1500.000000" Lambda_Max="1630.000000" Speed="40" Type="Manual" />
        </Sources>
        <Application>
            <Sampling_Step Value="5" />
        </Application>
    </Configuration>
</VEMAR>
)";

class CliHardwareTest : public CliTest {
protected:
    void SetUp() override
    {
        writeWholeFile(config, fourSources);
        writeSyntheticScan(scanFile);
        enableEverySourceOf(scanFile);
    }

    // linux-gpib's name resolves to the stand-in, without a board unless asked.
    std::map<std::string, std::string> onLinuxGpib(bool board = false) const
    {
        auto env = environment();
        env["LD_LIBRARY_PATH"] = FAKE_LINUX_GPIB_DIR;
        env["FAKE_GPIB_CALL_LOG"] = callLog;
        env["FAKE_GPIB_BOARD"] = board ? "1" : "0";
        return env;
    }
    // The entries the library was called through, in order.
    std::vector<std::string> gpibCalls() const
    {
        std::vector<std::string> calls;
        std::istringstream in(readWholeFile(callLog));
        for (std::string line; std::getline(in, line);) calls.push_back(line);
        return calls;
    }

    // A saved scan whose four sources were all in use, at addresses 3 to 6.
    static void enableEverySourceOf(const std::string& path)
    {
        TiXmlDocument doc;
        ASSERT_TRUE(doc.LoadFile(path.c_str()));
        TiXmlElement* sources = doc.RootElement()->FirstChildElement("Configuration")->FirstChildElement("Sources");
        ASSERT_NE(sources, nullptr);
        int address = 3;
        for (TiXmlElement* s = sources->FirstChildElement("Source"); s != nullptr; s = s->NextSiblingElement("Source")) {
            s->SetAttribute("Enable", "True");
            s->SetAttribute("Address", address++);
            s->SetAttribute("Type", "VarnelPlus");
        }
        ASSERT_EQ(address, 7);
        ASSERT_TRUE(doc.SaveFile(path.c_str()));
    }

    const std::string config = file("four-sources.config.xml");
    const std::string scanFile = file("four-sources.scan.xml");
    const std::string callLog = file("gpib-calls.log");
};

TEST_F(CliHardwareTest, OfflineWorkMakesNoGpibCall)
{
    using Args = std::vector<std::string>;
    const std::vector<Args> commands = {
        {"--config", config, "curve", scanFile},
        {"--config", config, "analyse", scanFile, "--out", file("result.passband.xml")},
        {"--config", config, "convert", scanFile, "--to", "csv", "--out", file("out.csv")},
        {"--config", config, "convert", scanFile, "--to", "txt", "--out", file("out.txt")},
    };
    for (const bool board : {false, true}) {
        for (const Args& args : commands) {
            const CliResult r = runCli(args, onLinuxGpib(board));
            EXPECT_EQ(r.exitCode, 0) << args[2] << describe(r);
            EXPECT_TRUE(gpibCalls().empty()) << args[2] << " board " << board << ": " << readWholeFile(callLog);
        }
    }
}

TEST_F(CliHardwareTest, NoGpibCallBeforeTheUnitIsFound)
{
    using Args = std::vector<std::string>;
    const std::vector<Args> commands = {
        {"--config", config, "info"},
        {"--config", config, "scan"},
        {"--config", config, "scan", "--port", file("no-such-tty")},
    };
    for (const Args& args : commands) {
        const CliResult r = runCli(args, onLinuxGpib());
        EXPECT_EQ(r.exitCode, 3) << describe(r);
        EXPECT_NE(r.err.find("No instrument found. Please connect the VEMAR"), std::string::npos) << describe(r);
        EXPECT_TRUE(gpibCalls().empty()) << readWholeFile(callLog);
    }
}

class CliPortTest : public CliHardwareTest {
protected:
    void SetUp() override
    {
        CliHardwareTest::SetUp();
        vemarsim_unit_reset();
        char path[256] = {};
        ASSERT_EQ(vemarsim_unit_pty_start(path, sizeof path), 0);
        port = path;
    }
    void TearDown() override
    {
        vemarsim_unit_pty_stop();
        vemarsim_unit_reset();
    }
    std::string port;
};

TEST_F(CliPortTest, TheUnitOnAPortGivenByItsPath)
{
    const CliResult r = runCli({"--port", port, "info"}, environment());
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_NE(r.out.find("SN : AF0417\n"), std::string::npos) << describe(r);
    EXPECT_NE(r.out.find("DSP........: v 1.12\n"), std::string::npos) << describe(r);

    const CliResult json = runCli({"--json", "info", "--port=" + port}, environment());
    ASSERT_EQ(json.exitCode, 0) << describe(json);
    EXPECT_NE(json.out.find("\"simulated\": false"), std::string::npos) << describe(json);

    const CliResult both = runCli({"--simulate", "--port", port, "info"}, environment());
    EXPECT_EQ(both.exitCode, 2) << describe(both);
    const CliResult empty = runCli({"--port=", "info"}, environment());
    EXPECT_EQ(empty.exitCode, 2) << describe(empty);
}

TEST_F(CliPortTest, AScanWithoutAGpibBoardOpensEachSourceOnceAndSaysWhichOneFailed)
{
    const CliResult r = runCli({"--config", config, "scan", "--port", port}, onLinuxGpib());
    EXPECT_EQ(r.exitCode, 1) << describe(r);
    EXPECT_NE(r.err.find("Can't connect to TLS1 (GPIB Address=3). Please check the GPIB connection"),
              std::string::npos)
        << describe(r);
    // One attempt per source that takes part, and no call on the -1 it gave.
    EXPECT_EQ(gpibCalls(), (std::vector<std::string>{"ibdev", "ibdev", "ibdev", "ibdev"})) << describe(r);
}

}  // namespace
