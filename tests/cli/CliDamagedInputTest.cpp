// Damaged settings and files that are not what they claim to be: the
// default configuration file, values no source can take, special files in
// place of scan and side files, relative or impossible folders and names
// longer than the system allows.

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "FileUtil.h"
#include "SyntheticScan.h"

namespace {

class CliDamagedInputTest : public CliTest {
protected:
    void SetUp() override { writeSyntheticScan(scanFile); }
    std::string configFile() const { return documents.file("Zelmora Optics/VEMAR/Config/VEMAR.config.xml"); }
    const std::string scanFile = file("filter.scan.xml");
};

bool exists(const std::string& path) { return std::filesystem::exists(path); }

// A configuration file of the program, as a first run's --save-config writes it.
std::string savedConfiguration(const CliDamagedInputTest& t, const std::string& configPath, const CliResult& first)
{
    EXPECT_EQ(first.exitCode, 0) << describe(first);
    return readWholeFile(configPath);
}

TEST_F(CliDamagedInputTest, ADamagedDefaultConfigurationIsKeptAsideAndSaid)
{
    // A good file first, written by the program itself.
    const CliResult first = sim({"--save-config", "scan", "--start", "1545", "--stop", "1550"});
    const std::string good = savedConfiguration(*this, configFile(), first);
    ASSERT_NE(good.find("<VEMAR>"), std::string::npos);
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += "<a>";
    const std::pair<const char*, std::string> damages[] = {
        {"empty", ""},
        {"truncated", good.substr(0, good.size() / 2)},
        {"random bytes", std::string("\x13\x99\xfe\x01<\x7f\xc3\0 not a file", 19)},
        {"wrong root", "<Other><Configuration/></Other>\n"},
        {"too deep", "<VEMAR>" + deep},
    };
    for (const auto& [what, contents] : damages) {
        writeWholeFile(configFile(), contents);
        std::filesystem::remove(configFile() + ".damaged");
        const CliResult r = cli({"--save-config", "analyse", scanFile});
        EXPECT_EQ(r.exitCode, 0) << what << describe(r);
        EXPECT_NE(r.err.find("vemar-cli: warning: the configuration file " + configFile() + " is damaged ("),
                  std::string::npos)
            << what << describe(r);
        EXPECT_NE(r.err.find("it is kept as " + configFile() + ".damaged"), std::string::npos) << what << describe(r);
        // The damaged file is kept as it was; nothing was written over it.
        EXPECT_EQ(readWholeFile(configFile() + ".damaged"), contents) << what;
    }
    // A second damaged file does not replace the first one kept.
    writeWholeFile(configFile(), "<Other/>");
    const CliResult again = cli({"analyse", scanFile});
    EXPECT_NE(again.err.find("it is kept as " + configFile() + ".damaged.2"), std::string::npos) << describe(again);
    EXPECT_EQ(readWholeFile(configFile() + ".damaged"), damages[4].second);
}

TEST_F(CliDamagedInputTest, SourceValuesNoSourceCanTakeAreRefusedWhereTheyAreRead)
{
    const std::string config = file("bad.config.xml");
    const CliResult first = sim({"--save-config", "scan", "--start", "1545", "--stop", "1550"});
    const std::string good = savedConfiguration(*this, configFile(), first);
    struct Damage {
        const char* what;
        std::string from, to;
        const char* said;
    };
    const Damage damages[] = {
        {"negative speed", "Speed=\"99\"", "Speed=\"-1\"",
         "Settings: Source TLS_0 Speed \"-1\" is not a speed of 1 to 200 nm/s: the speed 99 nm/s kept"},
        {"NaN source range", "Lambda_Min=\"1240.000000\" Lambda_Max=\"1680.000000\" Speed",
         "Lambda_Min=\"nan\" Lambda_Max=\"1680.000000\" Speed",
         "Settings: Source TLS_0 Lambda_Min \"nan\" is not a wavelength of 0 to 2000 nm: the range 1240 to 1680 nm kept"},
        {"reversed scan range", "<Common Power=\"1.000000\" Lambda_Min=\"1545.000000\"",
         "<Common Power=\"1.000000\" Lambda_Min=\"1700.000000\"",
         "Settings: Common Lambda_Min 1700 lies above its Lambda_Max 1550"},
        {"infinite power", "<Common Power=\"1.000000\"", "<Common Power=\"1e99999x\"",
         "Settings: Common Power \"1e99999x\" is not a power of 0.001 to 1000 mW: the power 1 mW kept"},
    };
    for (const Damage& d : damages) {
        std::string text = good;
        const std::size_t at = text.find(d.from);
        ASSERT_NE(at, std::string::npos) << d.what;
        text.replace(at, d.from.size(), d.to);
        writeWholeFile(config, text);
        const CliResult r = cli({"--config", config, "--save-config", "analyse", scanFile});
        EXPECT_EQ(r.exitCode, 0) << d.what << describe(r);
        EXPECT_NE(r.err.find("vemar-cli: warning: " + std::string(d.said)), std::string::npos) << d.what << describe(r);
    }
    // A range of NaN to infinity once made the scan print a 309-digit number.
    std::string range = good;
    const std::string tls0 = "Lambda_Min=\"1240.000000\" Lambda_Max=\"1680.000000\" Speed";
    range.replace(range.find(tls0), tls0.size(), "Lambda_Min=\"nan\" Lambda_Max=\"1e99999x\" Speed");
    writeWholeFile(config, range);
    const CliResult scan = sim({"--config", config, "scan", "--start", "1545", "--stop", "1550"});
    EXPECT_EQ(scan.exitCode, 0) << describe(scan);
    EXPECT_NE(scan.err.find("Source TLS_0 Lambda_Min \"nan\" is not a wavelength"), std::string::npos) << describe(scan);
    EXPECT_EQ(scan.err.find("0000000000"), std::string::npos) << describe(scan);

    // What is kept is what a run writes back.
    std::string speed = good;
    speed.replace(speed.find("Speed=\"99\""), 10, "Speed=\"-1\"");
    writeWholeFile(config, speed);
    ASSERT_EQ(sim({"--config", config, "--save-config", "scan", "--start", "1545", "--stop", "1550"}).exitCode, 0);
    EXPECT_EQ(readWholeFile(config).find("Speed=\"-1\""), std::string::npos);
}

TEST_F(CliDamagedInputTest, PassbandValuesFromFilesFollowTheRuleOfTheOptions)
{
    // The option refuses it (exit 2); from a scan or a parameter file it is
    // refused too, said, and the value held is used.
    const CliResult option = cli({"analyse", scanFile, "--owr", "-10"});
    EXPECT_EQ(option.exitCode, 2) << describe(option);
    std::string xml = readWholeFile(scanFile);
    const std::string passband = "<Passband />";
    ASSERT_NE(xml.find(passband), std::string::npos);
    xml.replace(xml.find(passband), passband.size(),
                "<Passband><Configuration Threshold=\"-30\" Grid=\"0\" OWR=\"-10\" /></Passband>");
    const std::string damaged = file("owr.scan.xml");
    writeWholeFile(damaged, xml);
    std::filesystem::copy_file(scanFile + ".dat", damaged + ".dat");
    const CliResult fromScan = cli({"analyse", damaged});
    EXPECT_EQ(fromScan.exitCode, 0) << describe(fromScan);
    EXPECT_NE(fromScan.err.find("vemar-cli: warning: Passband: OWR -10 lies outside 0 to 50: 10 kept"),
              std::string::npos)
        << describe(fromScan);
    EXPECT_NE(fromScan.out.find("Passband 10.0 GHz"), std::string::npos) << describe(fromScan);

    const std::string params = file("params.config.xml");
    writeWholeFile(params, "<VEMAR><Configuration><Passband><Configuration Threshold=\"-100\" /></Passband>"
                           "</Configuration></VEMAR>\n");
    const CliResult fromParams = cli({"analyse", scanFile, "--params", params});
    EXPECT_EQ(fromParams.exitCode, 0) << describe(fromParams);
    EXPECT_NE(fromParams.err.find("vemar-cli: warning: Passband: Threshold -100 lies outside -80 to 20: -30 kept"),
              std::string::npos)
        << describe(fromParams);
    EXPECT_NE(fromParams.out.find("Threshold -30.0 dB"), std::string::npos) << describe(fromParams);
}

TEST_F(CliDamagedInputTest, OnlyRegularFilesAreOpenedForReading)
{
    const std::string xml = readWholeFile(scanFile);
    const std::string side = readWholeFile(scanFile + ".dat");
    const std::string folder = file("folder.scan.xml");
    std::filesystem::create_directory(folder);
    const std::string fifo = file("fifo.scan.xml");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string fifoSide = file("fifoside.scan.xml");
    writeWholeFile(fifoSide, xml);
    ASSERT_EQ(::mkfifo((fifoSide + ".dat").c_str(), 0600), 0);
    const std::string zero = file("zero.scan.xml");
    std::filesystem::create_symlink("/dev/zero", zero);
    const std::string zeroSide = file("zeroside.scan.xml");
    writeWholeFile(zeroSide, xml);
    std::filesystem::create_symlink("/dev/zero", zeroSide + ".dat");
    const std::string longName = file(std::string(300, 'x') + ".scan.xml");
    struct Case {
        std::string path;
        std::string problem;
    };
    const Case cases[] = {
        {folder, "not a regular file (a directory)"},
        {fifo, "not a regular file (a FIFO)"},
        {fifoSide, "its side file " + fifoSide + ".dat can't be read: not a regular file (a FIFO)"},
        {zero, "not a regular file (a character device)"},
        {zeroSide, "its side file " + zeroSide + ".dat can't be read: not a regular file (a character device)"},
        {longName, "File name too long"},
    };
    for (const Case& c : cases) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"analyse", c.path}, {"convert", c.path, "--to", "csv", "--out", file("x.csv")},
              {"curve", c.path}}) {
            // A FIFO opened for reading would wait for a writer for ever.
            const CliResult r = runCli(args, environment(), 20.0);
            EXPECT_FALSE(r.timedOut) << c.path;
            EXPECT_EQ(r.exitCode, 4) << args[0] << describe(r);
            EXPECT_NE(r.err.find("can't read the scan file " + c.path + ": " + c.problem), std::string::npos)
                << args[0] << describe(r);
        }
    }
    EXPECT_FALSE(exists(file("x.csv")));

    // Settings and parameters files alike.
    const CliResult config = runCli({"--config", fifo, "analyse", scanFile}, environment(), 20.0);
    EXPECT_EQ(config.exitCode, 4) << describe(config);
    EXPECT_NE(config.err.find("can't read the configuration file " + fifo + ": not a regular file (a FIFO)"),
              std::string::npos)
        << describe(config);
    const CliResult params = runCli({"analyse", scanFile, "--params", folder}, environment(), 20.0);
    EXPECT_EQ(params.exitCode, 4) << describe(params);
    EXPECT_NE(params.err.find("can't read " + folder + ": not a regular file (a directory)"), std::string::npos)
        << describe(params);
}

TEST_F(CliDamagedInputTest, NamesTooLongForTheSystemExitWithItsReason)
{
    const std::string longBase = file(std::string(300, 'y'));
    const CliResult convert = cli({"convert", scanFile, "--to", "csv", "--out", longBase + ".csv"});
    EXPECT_EQ(convert.exitCode, 4) << describe(convert);
    EXPECT_NE(convert.err.find("File name too long"), std::string::npos) << describe(convert);
    const CliResult analyse = cli({"analyse", scanFile, "--out", longBase + ".passband.xml"});
    EXPECT_EQ(analyse.exitCode, 4) << describe(analyse);
    EXPECT_NE(analyse.err.find("can't write " + longBase + ".passband.xml: File name too long"), std::string::npos)
        << describe(analyse);
    const CliResult scan = sim({"scan", "--start", "1545", "--stop", "1550", "--out", longBase});
    EXPECT_EQ(scan.exitCode, 4) << describe(scan);
    EXPECT_NE(scan.err.find("File name too long"), std::string::npos) << describe(scan);

    // A documents folder deeper than the system allows: said at once, and
    // no exception text of the file system library.
    const std::string deep = documents.file(std::string(300, 'd'));
    const CliResult tooDeep = runCli({"--simulate", "--sim-time-scale", "0.01", "scan", "--start", "1545", "--stop",
                                      "1550"},
                                     {{"XDG_DOCUMENTS_DIR", deep}, {"LC_ALL", "C"}});
    EXPECT_EQ(tooDeep.exitCode, 4) << describe(tooDeep);
    EXPECT_NE(tooDeep.err.find("vemar-cli: warning: Settings: Can't create the folder " + deep), std::string::npos)
        << describe(tooDeep);
    EXPECT_NE(tooDeep.err.find("File name too long"), std::string::npos) << describe(tooDeep);
    EXPECT_EQ(tooDeep.err.find("filesystem error"), std::string::npos) << describe(tooDeep);
    EXPECT_EQ(tooDeep.err.find("damaged"), std::string::npos) << describe(tooDeep);
}

TEST_F(CliDamagedInputTest, RelativeFoldersAreRefusedAndTheFallbackIsSaid)
{
    // XDG_DOCUMENTS_DIR must be absolute: a relative one would follow the
    // working directory. The documents folder under the home folder is used.
    TempDir home;
    const CliResult relative =
        runCli({"analyse", scanFile}, {{"XDG_DOCUMENTS_DIR", "../../x"}, {"HOME", home.str()}, {"LC_ALL", "C"}});
    EXPECT_EQ(relative.exitCode, 0) << describe(relative);
    EXPECT_NE(relative.err.find("vemar-cli: warning: Settings: XDG_DOCUMENTS_DIR \"../../x\" is a relative path"),
              std::string::npos)
        << describe(relative);
    EXPECT_TRUE(exists(home.file("Documents/Zelmora Optics/VEMAR/Config")));

    // A relative, missing or file-instead-of-folder continuous-scan folder
    // in the settings: the Data folder, said.
    const std::string data = documents.file("Zelmora Optics/VEMAR/Data/");
    writeWholeFile(file("plain-file"), "");
    for (const auto& [folder, reason] : {std::pair<std::string, std::string>{"../../x", "a relative path"},
                                         {file("gone/"), "No such file or directory"},
                                         {file("plain-file"), "not a folder"},
                                         {"/" + std::string(300, 'z') + "/", "File name too long"}}) {
        const std::string config = file("folder.config.xml");
        writeWholeFile(config, "<VEMAR><Configuration><Application><Measurement Continuous_Scan_Files_Directory=\"" +
                                   folder + "\" /></Application></Configuration></VEMAR>\n");
        const CliResult r = cli({"--config", config, "analyse", scanFile});
        EXPECT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_NE(r.err.find("vemar-cli: warning: Settings: Continuous_Scan_Files_Directory \"" + folder +
                             "\" can't be used (" + reason + "): the Data folder " + data + " is used instead"),
                  std::string::npos)
            << describe(r);
    }
}

}  // namespace
