// Measurements end to end: vemar-cli on the simulated bench, its files read
// back by the offline commands, Ctrl-C as the stop button.

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "FileUtil.h"

namespace {

using Args = std::vector<std::string>;

// The settings of the README's demonstration run, on a DWDM band short
// enough to keep the runs quick.
const Args demo{"--config", VEMAR_DEMO_CONFIG};
const Args dwdmBand{"--start", "1538", "--stop", "1548"};

// The demonstration settings, the command, the short band.
Args demoRun(const Args& command)
{
    Args args = demo;
    args.insert(args.end(), command.begin(), command.end());
    args.insert(args.end(), dwdmBand.begin(), dwdmBand.end());
    return args;
}

// The result tables printed one after the other, split where each begins.
std::vector<std::string> tables(const std::string& out)
{
    std::vector<std::string> list;
    std::size_t at = out.find("Threshold ");
    while (at != std::string::npos) {
        const std::size_t next = out.find("\nThreshold ", at);
        list.push_back(out.substr(at, next == std::string::npos ? std::string::npos : next + 1 - at));
        at = next == std::string::npos ? next : next + 1;
    }
    // A blank line separates two tables.
    for (std::string& t : list)
        while (t.size() >= 2 && t.compare(t.size() - 2, 2, "\n\n") == 0) t.pop_back();
    return list;
}

bool exists(const std::string& path) { return std::filesystem::exists(path); }

TEST_F(CliTest, ContinuousRunWritesEveryFileAndAnalyseReproducesTheLastTable)
{
    const std::string base = file("x");
    const std::string formats = picturesBuilt ? "all" : "xml,csv,txt";
    const CliResult run = sim(demoRun({"scan", "--continuous", "3", "--analyse", "--out", base, "--format", formats}));
    ASSERT_EQ(run.exitCode, 0) << describe(run);
    const std::vector<std::string> printed = tables(run.out);
    ASSERT_EQ(printed.size(), 3u) << run.out;
    for (int k = 1; k <= 3; ++k) {
        const std::string scan = base + "_" + std::to_string(k);
        for (const char* suffix : {".scan.xml", ".scan.xml.dat", ".csv", ".txt", ".png"})
            EXPECT_EQ(exists(scan + suffix), picturesBuilt || std::string(suffix) != ".png") << scan + suffix;
        EXPECT_NE(run.err.find("scan " + std::to_string(k) + "/3 completed"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(exists(base + ".passband.xml"));
    EXPECT_EQ(readWholeFile(base + ".passband.txt"), printed.back().substr(0, readWholeFile(base + ".passband.txt").size()));

    // The saved scans, analysed in order, give the last table again, with
    // its minimum and maximum over the three scans.
    const CliResult again = cli({"analyse", base + "_1.scan.xml", base + "_2.scan.xml", base + "_3.scan.xml"});
    ASSERT_EQ(again.exitCode, 0) << describe(again);
    EXPECT_EQ(again.out, printed.back());
}

TEST_F(CliTest, ConvertingASavedScanGivesTheExportsOfScanTime)
{
    // The whole band (the default settings) at seed 3, and a continuous run.
    struct Case {
        Args global;
        Args scan;
    };
    const Case cases[] = {
        {{"--simulate", "--seed", "3", "--sim-time-scale", "0.01"}, {}},
        {{"--simulate=dwdm-hops", "--seed", "5", "--sim-time-scale", "0.01", "--config", VEMAR_DEMO_CONFIG},
         {"--continuous", "2", "--start", "1538", "--stop", "1548"}},
    };
    for (const Case& c : cases) {
        Args args = c.global;
        for (const char* a : {"scan", "--out"}) args.push_back(a);
        args.push_back(file("x"));
        for (const char* a : {"--format", "xml,csv,txt"}) args.push_back(a);
        args.insert(args.end(), c.scan.begin(), c.scan.end());
        const CliResult run = cli(args);
        ASSERT_EQ(run.exitCode, 0) << describe(run);
        const std::string base = file(c.scan.empty() ? "x" : "x_2");
        for (const char* form : {"csv", "txt"}) {
            const std::string out = file(std::string("again.") + form);
            const CliResult convert = cli({"convert", base + ".scan.xml", "--to", form, "--out", out});
            ASSERT_EQ(convert.exitCode, 0) << describe(convert);
            EXPECT_EQ(readWholeFile(out), readWholeFile(base + "." + form)) << form;
        }
    }
}

// The longest base names whose files the file system takes: ".scan.xml.dat"
// and ".passband.xml" bring a base of 242 characters to 255.
TEST_F(CliTest, LongBaseNamesWhoseFilesAreLegalAreSaved)
{
    const std::string base = file(std::string(242, 'b'));
    const CliResult run = sim(demoRun({"scan", "--analyse", "--out", base, "--format", "xml,csv,txt"}));
    ASSERT_EQ(run.exitCode, 0) << describe(run);
    for (const char* ending : {".scan.xml", ".scan.xml.dat", ".csv", ".txt", ".passband.xml", ".passband.txt"})
        EXPECT_TRUE(std::filesystem::exists(base + ending)) << ending;
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(work.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 6u);  // no temporary file left behind
}

TEST_F(CliTest, ScanJsonAndTheBenchTruth)
{
    const CliResult run = sim(demoRun({"--json", "scan", "--analyse"}));
    ASSERT_EQ(run.exitCode, 0) << describe(run);
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc.at("completed"), 1);
    ASSERT_EQ(doc.at("scans").size(), 1u);
    EXPECT_TRUE(doc.at("scans")[0].at("title").is_string());
    EXPECT_EQ(doc.at("grid").at("unit"), "GHz");
    const nlohmann::json& traces = doc.at("traces");
    ASSERT_FALSE(traces.empty());

    const CliResult bench = sim({"--json", "bench"});
    ASSERT_EQ(bench.exitCode, 0) << describe(bench);
    const nlohmann::json truth = nlohmann::json::parse(bench.out);
    EXPECT_EQ(truth.at("preset"), "dwdm");
    EXPECT_EQ(truth.at("seed"), 7);
    ASSERT_FALSE(truth.at("ports").empty());
    const nlohmann::json& port = truth.at("ports")[0];
    EXPECT_EQ(port.at("detector"), 1);
    ASSERT_FALSE(port.at("channels").empty());
    for (const char* level : {"1", "3", "20"}) EXPECT_TRUE(port.at("channels")[0].at("bw_nm").at(level).is_number());

    // Every channel measured on detector 1 is one of the bench's, at its
    // true centre.
    const nlohmann::json* measured = nullptr;
    for (const nlohmann::json& t : traces)
        if (t.at("name") == "1") measured = &t;
    ASSERT_NE(measured, nullptr);
    ASSERT_FALSE(measured->at("channels").empty());
    for (const nlohmann::json& channel : measured->at("channels")) {
        const double centreNm = 299792.458 / channel.at("current")[0].get<double>();
        double nearest = 1e9;
        for (const nlohmann::json& c : port.at("channels"))
            nearest = std::min(nearest, std::abs(c.at("centre_nm").get<double>() - centreNm));
        EXPECT_LT(nearest, 0.01) << "channel " << channel.at("channel") << " at " << centreNm << " nm";
    }
}

TEST_F(CliTest, SingleScanFilesAndCurve)
{
    const std::string base = file("single");
    // Options change the settings for the run; --save-config keeps them.
    const std::string config = file("own.config.xml");
    writeWholeFile(config, readWholeFile(VEMAR_DEMO_CONFIG));
    Args args = demoRun({"scan", "--out", base, "--format", "xml,csv", "--detectors", "1,3", "--save-config"});
    args.insert(args.end(), {"--config", config});
    const CliResult run = sim(args);
    ASSERT_EQ(run.exitCode, 0) << describe(run);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(exists(base + ".scan.xml"));
    const std::string csv = readWholeFile(base + ".csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "WL[nm]; Output[dBm]; Det1_IL[dB]; Det3_IL[dB]");
    const std::string saved = readWholeFile(config);
    EXPECT_NE(saved.find("Lambda_Min=\"1538.000000\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("Enable2=\"False\" Enable3=\"True\" Enable4=\"False\""), std::string::npos) << saved;
    EXPECT_FALSE(exists(base + ".png"));
    EXPECT_FALSE(exists(base + "_1.scan.xml"));
    const CliResult curve = cli({"--json", "curve", base + ".scan.xml"});
    ASSERT_EQ(curve.exitCode, 0) << describe(curve);
    EXPECT_TRUE(nlohmann::json::parse(curve.out).at("centre").is_number());
}

TEST_F(CliTest, WithoutOutAContinuousRunSavesAsTheSettingsSay)
{
    // The demonstration settings with automatic saving of CSV files into the work folder.
    std::string settings = readWholeFile(VEMAR_DEMO_CONFIG);
    const std::string measurement = "<Measurement Is_Scan_Save=\"True\" Continuous_Scan_Files_Directory=\"" +
                                    work.str() + "/\" File_Type=\"CSV\" />";
    settings.replace(settings.find("<Sampling_Step"), 0, measurement);
    const std::string config = file("autosave.config.xml");
    writeWholeFile(config, settings);
    const CliResult run = sim({"--config", config, "scan", "--continuous", "2", "--start", "1538", "--stop", "1548"});
    ASSERT_EQ(run.exitCode, 0) << describe(run);
    std::vector<std::string> saved;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(work.path()))
        if (entry.path().string().find(".scan.csv") != std::string::npos) saved.push_back(entry.path().string());
    ASSERT_EQ(saved.size(), 2u) << describe(run);
    for (const std::string& name : saved) {
        EXPECT_NE(name.find("/Continuous_Scan__y"), std::string::npos) << name;
        EXPECT_NE(run.err.find("saved " + name), std::string::npos) << describe(run);
    }
}

TEST_F(CliTest, WarningsArePrintedErrorsExitWithOne)
{
    // Too little light from the source: a warning, and the scan goes on.
    const CliResult weak = sim(demoRun({"--json", "scan", "--power", "0.01"}));
    EXPECT_EQ(weak.exitCode, 0) << describe(weak);
    EXPECT_NE(weak.err.find("vemar-cli: warning: in one TLS input power: check TLS sources"), std::string::npos)
        << describe(weak);
    EXPECT_NE(weak.err.find("scan 1 completed"), std::string::npos);
    const nlohmann::json doc = nlohmann::json::parse(weak.out);
    ASSERT_EQ(doc.at("scans").size(), 1u);
    EXPECT_EQ(doc.at("scans")[0].at("code"), 106);

    // Two sources on a bench where the second one's light never arrives:
    // its sweep cannot be referenced, an error.
    const std::string config = file("two.config.xml");
    writeWholeFile(config,
                   "<VEMAR><Configuration><Sources>"
                   "<Common Power=\"1.0\" Lambda_Min=\"1530.0\" Lambda_Max=\"1560.0\" />"
                   "<Source Name=\"TLS_0\" Enable=\"True\" Address=\"2\" Lambda_Min=\"1500.0\" "
                   "Lambda_Max=\"1546.0\" Type=\"Manual\" />"
                   "<Source Name=\"TLS_1\" Enable=\"True\" Address=\"3\" Lambda_Min=\"1544.0\" "
                   "Lambda_Max=\"1630.0\" Type=\"Manual\" />"
                   "</Sources></Configuration></VEMAR>");
    const CliResult lost = cli({"--simulate=faultypower", "--sim-time-scale", "0.01", "--config", config, "scan"});
    EXPECT_EQ(lost.exitCode, 1) << describe(lost);
    EXPECT_NE(lost.err.find("vemar-cli: error: error in the wavelength referencing: check TLS sources"),
              std::string::npos)
        << describe(lost);

    // A delay between two scans is waited for, and said.
    const CliResult paced = sim(demoRun({"scan", "--continuous", "2", "--delay", "1"}));
    EXPECT_EQ(paced.exitCode, 0) << describe(paced);
    EXPECT_NE(paced.err.find("waiting 1 s before the next scan"), std::string::npos) << describe(paced);
}

TEST_F(CliTest, CtrlCIsTheStopButton)
{
    const std::string base = file("stopped");
    // Simulated time at a tenth of real time: the third scan's acquisition
    // lasts long enough for the interrupt to arrive while it runs.
    Args args{"--simulate", "--seed", "7", "--sim-time-scale", "0.1"};
    for (const std::string& a : demoRun({"scan", "--continuous", "50", "--out", base})) args.push_back(a);
    const CliResult run = runCliInterruptedAfter(args, environment(), "Data acquisition", 3);
    EXPECT_EQ(run.exitCode, 1) << describe(run);
    EXPECT_NE(run.err.find("The measurement has been canceled by the user"), std::string::npos) << describe(run);
    // Every file left behind is a complete scan.
    int scans = 0;
    for (const auto& entry : std::filesystem::directory_iterator(work.path())) {
        const std::string name = entry.path().string();
        if (name.size() < 9 || name.compare(name.size() - 9, 9, ".scan.xml") != 0) continue;
        ++scans;
        const CliResult check = cli({"curve", name});
        EXPECT_EQ(check.exitCode, 0) << name << describe(check);
    }
    EXPECT_GE(scans, 2);
    EXPECT_LT(scans, 50);
}

}  // namespace
