// The offline commands on saved scans: curve, analyse, convert, and what
// they do with damaged files.

#include <nlohmann/json.hpp>

#include <filesystem>
#include <cstring>
#include <functional>
#include <limits>

#include "CliFixture.h"
#include "Crc32.h"
#include "FileUtil.h"
#include "NumberFormat.h"
#include "SyntheticScan.h"

namespace {

class CliOfflineTest : public CliTest {
protected:
    void SetUp() override { writeSyntheticScan(scanFile); }
    const std::string scanFile = file("filter.scan.xml");
};

bool exists(const std::string& path) { return std::filesystem::exists(path); }

TEST_F(CliOfflineTest, CurveFiguresWithTheLevelsStoredInTheFile)
{
    // Peak -1 dB at 1550 nm, flanks of 20 dB/nm: 4 dB below the peak the
    // width runs from 1549.8 to 1550.2 nm; the slope levels 3 and 40 dB
    // below the peak lie 0.15 and 2.0 nm from it, 37 dB over 1.85 nm.
    const CliResult text = cli({"curve", scanFile});
    ASSERT_EQ(text.exitCode, 0) << describe(text);
    EXPECT_EQ(text.out, "Curve 1 of " + scanFile +
                            "\n"
                            "Central Wavelength : 1550.0000 nm\n"
                            "Spectral Width (4.00 dB) : 0.4000 nm\n"
                            "Left Slope [-3.00, -40.00 dB] : 20.00 dB/nm\n"
                            "Right Slope [-3.00, -40.00 dB] : -20.00 dB/nm\n");

    const CliResult json = cli({"--json", "curve", scanFile, "--thz"});
    ASSERT_EQ(json.exitCode, 0) << describe(json);
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc.at("unit"), "THz");
    EXPECT_NEAR(doc.at("centre").get<double>(), 299792.458 / 1550.0, 1e-6);
    EXPECT_NEAR(doc.at("width").get<double>(), 0.4 * 299792.458 / (1550.0 * 1550.0), 1e-7);
    EXPECT_GT(doc.at("leftSlope").get<double>(), 0.0);

    // The flat curve never falls 3 dB: every figure is empty.
    const CliResult flat = cli({"--json", "curve", scanFile, "--curve", "2"});
    ASSERT_EQ(flat.exitCode, 0) << describe(flat);
    const nlohmann::json none = nlohmann::json::parse(flat.out);
    for (const char* key : {"centre", "width", "leftSlope", "rightSlope"}) EXPECT_TRUE(none.at(key).is_null()) << key;
    EXPECT_EQ(none.at("unit"), "nm");

    const CliResult unknown = cli({"curve", scanFile, "--curve", "4"});
    EXPECT_EQ(unknown.exitCode, 1) << describe(unknown);
    EXPECT_NE(unknown.err.find("has no curve \"4\" (curves: 1, 2)"), std::string::npos) << describe(unknown);
}

TEST_F(CliOfflineTest, AnalyseWritesTheResultFiles)
{
    const std::string xml = file("result.passband.xml");
    const std::string txt = file("result.txt");
    const CliResult r = cli({"analyse", scanFile, "--out", xml});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out.rfind("Threshold -30.0 dB\nGrid\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\n26,1,"), std::string::npos) << "the channel at 1550 nm (193.4 THz)\n" << r.out;
    EXPECT_NE(r.out.find("Alarms"), std::string::npos);
    EXPECT_NE(readWholeFile(xml).find("<Passband"), std::string::npos);

    // The text file holds the table as printed, without the alarm summary.
    ASSERT_EQ(cli({"analyse", scanFile, "--out", txt}).exitCode, 0);
    EXPECT_EQ(r.out.substr(0, readWholeFile(txt).size()), readWholeFile(txt));

    // Options change the parameters for the run.
    const CliResult cwdm = cli({"--json", "analyse", scanFile, "--grid", "4", "--threshold", "-20.5"});
    ASSERT_EQ(cwdm.exitCode, 0) << describe(cwdm);
    const nlohmann::json doc = nlohmann::json::parse(cwdm.out);
    EXPECT_EQ(doc.at("grid").at("type"), 4);
    EXPECT_EQ(doc.at("grid").at("unit"), "nm");
    EXPECT_EQ(doc.at("parameters").at("threshold"), -20.5);
}

TEST_F(CliOfflineTest, AnalyseJsonShape)
{
    const CliResult r = cli({"--json", "analyse", scanFile});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const nlohmann::json doc = nlohmann::json::parse(r.out);
    const nlohmann::json& grid = doc.at("grid");
    EXPECT_EQ(grid.at("type"), 0);
    EXPECT_EQ(grid.at("unit"), "GHz");
    EXPECT_EQ(grid.at("start"), 195900.0);
    EXPECT_EQ(grid.at("spacing"), 100.0);
    EXPECT_TRUE(grid.at("subdivision").is_number_integer());
    const nlohmann::json& traces = doc.at("traces");
    ASSERT_EQ(traces.size(), 1u) << "the flat curve 2 has no channel above the threshold";
    EXPECT_EQ(traces[0].at("name"), "1");
    const nlohmann::json& channels = traces[0].at("channels");
    ASSERT_EQ(channels.size(), 1u);
    const nlohmann::json& channel = channels[0];
    EXPECT_EQ(channel.at("channel"), 26);
    EXPECT_EQ(channel.at("duplicate"), false);
    for (const char* which : {"current", "min", "max"}) {
        ASSERT_EQ(channel.at(which).size(), 10u) << which;
        ASSERT_EQ(channel.at("alarm").at(which).size(), 10u) << which;
        for (const nlohmann::json& flag : channel.at("alarm").at(which)) EXPECT_TRUE(flag.is_boolean());
        for (const nlohmann::json& figure : channel.at(which))
            EXPECT_TRUE(figure.is_number() || figure.is_null()) << which;
    }
    // One scan: its latest figures are its minimum and maximum.
    EXPECT_EQ(channel.at("current"), channel.at("min"));
    EXPECT_EQ(channel.at("current"), channel.at("max"));
    // Peak level -1 dB; central frequency near 193.4145 THz (1550 nm).
    EXPECT_NEAR(channel.at("current")[9].get<double>(), -1.0, 0.01);
    EXPECT_NEAR(channel.at("current")[0].get<double>(), 193.4145, 0.001);
}

TEST_F(CliOfflineTest, ConvertWritesEachForm)
{
    struct Case {
        const char* format;
        std::function<void(const std::string&)> check;
    };
    const Case cases[] = {
        {"csv", [](const std::string& s) { EXPECT_EQ(s.substr(0, s.find('\n')), "WL[nm]; Output[dBm]; Det1_IL[dB]; Det2_IL[dB]"); }},
        {"txt", [](const std::string& s) { EXPECT_EQ(s.substr(0, s.find('\n')), "WL[nm]\tOutput[dBm]\tDet1_IL[dB]\tDet2_IL[dB]"); }},
        {"png", [](const std::string& s) { EXPECT_EQ(s.substr(0, 8), "\x89PNG\r\n\x1a\n"); }},
        {"bmp", [](const std::string& s) { EXPECT_EQ(s.substr(0, 2), "BM"); }},
    };
    for (const Case& c : cases) {
        if (!picturesBuilt && (std::string(c.format) == "png" || std::string(c.format) == "bmp")) continue;
        const CliResult r = cli({"convert", scanFile, "--to", c.format});
        const std::string written = file(std::string("filter.") + c.format);
        ASSERT_EQ(r.exitCode, 0) << c.format << describe(r);
        EXPECT_EQ(r.out, written + "\n");
        EXPECT_EQ(r.err, "") << c.format;
        ASSERT_TRUE(exists(written)) << written;
        c.check(readWholeFile(written));
    }
    const CliResult unwritable = cli({"convert", scanFile, "--to", "csv", "--out", file("no/such/folder/x.csv")});
    EXPECT_EQ(unwritable.exitCode, 4) << describe(unwritable);
}

TEST_F(CliOfflineTest, DamagedScanFileExitsWithFourAndWritesNothing)
{
    const std::string xml = readWholeFile(scanFile);
    const std::string side = readWholeFile(scanFile + ".dat");
    struct Damage {
        const char* what;
        std::function<void(const std::string& path)> make;
    };
    const Damage damages[] = {
        {"missing file", [](const std::string&) {}},
        {"not XML", [](const std::string& p) { writeWholeFile(p, "this is not a scan"); }},
        {"XML cut short", [&](const std::string& p) {
             writeWholeFile(p, xml.substr(0, xml.size() / 2));
             writeWholeFile(p + ".dat", side);
         }},
        {"other root", [&](const std::string& p) {
             writeWholeFile(p, "<?xml version=\"1.0\" ?>\n<Other><Scan/></Other>\n");
             writeWholeFile(p + ".dat", side);
         }},
        {"no side file", [&](const std::string& p) { writeWholeFile(p, xml); }},
        {"side file cut short", [&](const std::string& p) {
             writeWholeFile(p, xml);
             writeWholeFile(p + ".dat", side.substr(0, side.size() - 100));
         }},
        {"side file with bytes to spare", [&](const std::string& p) {
             writeWholeFile(p, xml);
             writeWholeFile(p + ".dat", side + std::string(24, '\0'));
         }},
        {"absurd block count", [&](const std::string& p) {
             writeWholeFile(p, xml);
             std::string damaged = side;
             damaged[0] = '\xff';
             damaged[1] = '\xff';
             damaged[2] = '\xff';
             damaged[3] = '\x7f';
             writeWholeFile(p + ".dat", damaged);
         }},
    };
    int n = 0;
    for (const Damage& d : damages) {
        const std::string input = file("damaged" + std::to_string(++n) + ".scan.xml");
        d.make(input);
        const std::string result = file("out" + std::to_string(n) + ".passband.xml");
        const std::string csv = file("out" + std::to_string(n) + ".csv");
        const std::vector<std::vector<std::string>> commands = {
            {"analyse", scanFile, input, "--out", result},
            {"convert", input, "--to", "csv", "--out", csv},
            {"--json", "curve", input},
        };
        for (const auto& args : commands) {
            const CliResult r = cli(args);
            EXPECT_EQ(r.exitCode, 4) << d.what << " / " << args[0] << describe(r);
            EXPECT_NE(r.err.find("can't read the scan file " + input), std::string::npos) << d.what << describe(r);
            EXPECT_EQ(r.out, "") << d.what;
        }
        EXPECT_FALSE(exists(result)) << d.what;
        EXPECT_FALSE(exists(csv)) << d.what;
    }
}

// The fixture's XML with one attribute of the first element that starts
// with element given another value (none: removed).
std::string withAttribute(std::string xml, const std::string& element, const std::string& attribute,
                          const char* value)
{
    const std::size_t at = xml.find("<" + element);
    const std::size_t end = xml.find('>', at);
    const std::size_t name = xml.find(" " + attribute + "=\"", at);
    if (at == std::string::npos || name == std::string::npos || name > end) {
        ADD_FAILURE() << element << " " << attribute;
        return xml;
    }
    const std::size_t valueStart = name + attribute.size() + 3;
    const std::size_t valueEnd = xml.find('"', valueStart);
    if (value == nullptr) return xml.erase(name, valueEnd + 1 - name);
    return xml.replace(valueStart, valueEnd - valueStart, value);
}

// The side file with the value at byte offset replaced.
std::string withDouble(std::string side, std::size_t offset, double value)
{
    std::memcpy(side.data() + offset, &value, sizeof value);
    return side;
}

// The scan file's record of its side file made to name side: the pair of a
// save that wrote these values.
std::string recording(const std::string& xml, const std::string& side)
{
    const std::string crc = cformat("%08X", static_cast<unsigned>(crc32(side.data(), side.size())));
    return withAttribute(withAttribute(xml, "Scan", "SideFileSize", std::to_string(side.size()).c_str()), "Scan",
                         "SideFileCrc32", crc.c_str());
}

TEST_F(CliOfflineTest, ScanFilesWithValuesOutOfRangeAreRefused)
{
    const std::string xml = readWholeFile(scanFile);
    const std::string side = readWholeFile(scanFile + ".dat");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Blocks 1 and 2 hold no values, block 3 (the wavelengths) starts at 8 + 4.
    const std::size_t wavelengths = 12;
    const std::size_t samples = 2001;
    const std::size_t output = wavelengths + samples * 8 + 4 + samples * 8 + 4;  // after the velocities
    const std::size_t detector1 = output + samples * 8 + 4;
    struct Damage {
        const char* what;
        std::string xml;
        std::string side;
        const char* problem;
    };
    const Damage damages[] = {
        {"sampling step 1e9", withAttribute(xml, "Sampling_Step", "Value", "1e9"), side,
         "Sampling_Step Value \"1e9\" is not a sampling step in pm of 1 to 250"},
        {"sampling step 0", withAttribute(xml, "Sampling_Step", "Value", "0"), side, "Sampling_Step Value \"0\""},
        {"sampling step -5", withAttribute(xml, "Sampling_Step", "Value", "-5"), side,
         "Sampling_Step Value \"-5\""},
        {"no sampling step", withAttribute(xml, "Sampling_Step", "Value", nullptr), side,
         "Sampling_Step has no Value"},
        {"NaN scan start", withAttribute(xml, "Common", "Lambda_Min", "nan"), side,
         "Common Lambda_Min \"nan\" is not a wavelength of 0 to 2000"},
        {"infinite scan stop", withAttribute(xml, "Common", "Lambda_Max", "inf"), side,
         "Common Lambda_Max \"inf\" is not a wavelength"},
        {"1e99999x", withAttribute(xml, "Common", "Lambda_Max", "1e99999x"), side,
         "Common Lambda_Max \"1e99999x\" is not a wavelength"},
        {"start above stop", withAttribute(xml, "Common", "Lambda_Min", "1600"), side,
         "Common Lambda_Min 1600 lies above its Lambda_Max 1555"},
        {"no scan range", withAttribute(withAttribute(xml, "Common", "Lambda_Min", nullptr), "Common", "Lambda_Max", nullptr),
         side, "Common has no Lambda_Min"},
        {"NaN source range", withAttribute(xml, "Source Name=\"TLS_0\"", "Lambda_Max", "nan"), side,
         "Source TLS_0 Lambda_Max \"nan\" is not a wavelength"},
        {"negative power", withAttribute(xml, "Common", "Power", "-1"), side, "Common Power \"-1\" is not a power"},
        {"negative point count", withAttribute(xml, "Curve", "NbPoints", "-4"), side,
         "Curve 1 NbPoints \"-4\" is not a count"},
        {"a curve without a Name", withAttribute(xml, "Curve", "Name", nullptr), side, "Curve element 1 has no Name"},
        {"a curve with an empty Name", withAttribute(xml, "Curve", "Name", ""), side, "Curve element 1 has no Name"},
        {"NaN wavelength", xml, withDouble(side, wavelengths + 8 * 10, nan),
         "side file block 3 (sample wavelengths) holds a value that is not a finite number (value 11)"},
        {"infinite wavelength", xml, withDouble(side, wavelengths, inf),
         "side file block 3 (sample wavelengths) holds a value that is not a finite number (value 1)"},
        {"NaN output", xml, withDouble(side, output + 8 * 5, nan),
         "side file block 5 (output) holds a value that is not a finite number (value 6)"},
        {"NaN detector level", xml, withDouble(side, detector1 + 8 * 1000, nan),
         "side file block 6 (detector 1) holds a value that is not a finite number (value 1001)"},
    };
    int n = 0;
    for (const Damage& d : damages) {
        const std::string input = file("values" + std::to_string(++n) + ".scan.xml");
        writeWholeFile(input, d.side == side ? d.xml : recording(d.xml, d.side));
        writeWholeFile(input + ".dat", d.side);
        const std::string result = file("values" + std::to_string(n) + ".passband.xml");
        const std::string csv = file("values" + std::to_string(n) + ".csv");
        const std::vector<std::vector<std::string>> commands = {
            {"analyse", input, "--out", result},
            {"convert", input, "--to", "csv", "--out", csv},
            {"curve", input},
        };
        for (const auto& args : commands) {
            const CliResult r = cli(args);
            EXPECT_EQ(r.exitCode, 4) << d.what << " / " << args[0] << describe(r);
            EXPECT_NE(r.err.find("can't read the scan file " + input + ": " + d.problem), std::string::npos)
                << d.what << describe(r);
            EXPECT_EQ(r.out, "") << d.what;
        }
        EXPECT_FALSE(exists(result)) << d.what;
        EXPECT_FALSE(exists(csv)) << d.what;
    }
}

// A side file of another save (here: one value changed since) beside the
// scan file: the new values would be read on the old grid.
TEST_F(CliOfflineTest, AScanFileAndASideFileOfDifferentSavesAreRefused)
{
    const std::string xml = readWholeFile(scanFile);
    const std::string side = readWholeFile(scanFile + ".dat");
    const std::string other = withDouble(side, side.size() / 2 & ~std::size_t{7}, -3.25);
    writeWholeFile(scanFile + ".dat", other);
    const std::string csv = file("out.csv");
    const std::vector<std::vector<std::string>> commands = {
        {"analyse", scanFile, "--out", file("out.passband.xml")},
        {"convert", scanFile, "--to", "csv", "--out", csv},
        {"curve", scanFile},
    };
    for (const auto& args : commands) {
        const CliResult r = cli(args);
        EXPECT_EQ(r.exitCode, 4) << args[0] << describe(r);
        EXPECT_NE(r.err.find("can't read the scan file " + scanFile +
                             ": the scan file and its side file belong to different saves (the side file holds " +
                             std::to_string(side.size()) + " bytes with CRC "),
                  std::string::npos)
            << args[0] << describe(r);
        EXPECT_EQ(r.out, "") << args[0];
    }
    EXPECT_FALSE(exists(csv));

    // The same pair from a program that kept no record is taken as it comes.
    writeWholeFile(scanFile, withAttribute(withAttribute(xml, "Scan", "SideFileSize", nullptr), "Scan",
                                           "SideFileCrc32", nullptr));
    const CliResult older = cli({"convert", scanFile, "--to", "csv", "--out", csv});
    EXPECT_EQ(older.exitCode, 0) << describe(older);
}

}  // namespace
