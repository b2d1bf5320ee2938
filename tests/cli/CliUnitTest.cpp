// The maintenance commands on the simulated unit: info, firmware, calib.

#include <nlohmann/json.hpp>

#include <filesystem>
#include <limits>
#include <cstring>

#include "CliFixture.h"
#include "FileUtil.h"
#include "vemar_sim_usb.h"

namespace {

std::string calibFile(const TempDir& documents)
{
    return documents.file("Zelmora Optics/VEMAR/Calib/FileAF0417.dat");
}

TEST_F(CliTest, InfoPrintsTheAboutTexts)
{
    const CliResult text = sim({"info"});
    ASSERT_EQ(text.exitCode, 0) << describe(text);
    for (const char* line : {"Software: v 3.8.0\n", "DSP........: v 1.12\n", "SN : AF0417\n",
                             "VEMAR Type : SMF (1240 - 1680 nm)\n", "TLS1 : Yes\n", "Detector Array 4 : "})
        EXPECT_NE(text.out.find(line), std::string::npos) << line << describe(text);
    // The detection copies the unit's calibration file when the folder has none.
    EXPECT_TRUE(std::filesystem::exists(calibFile(documents)));

    const CliResult json = sim({"--json", "info"});
    ASSERT_EQ(json.exitCode, 0) << describe(json);
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc.at("present"), true);
    EXPECT_EQ(doc.at("simulated"), true);
    const nlohmann::json& about = doc.at("about");
    EXPECT_EQ(about.at("release"), "v 3.8.0");
    EXPECT_EQ(about.at("dspRelease"), "v 1.12");
    EXPECT_EQ(about.at("serialNumber"), "AF0417");
    EXPECT_EQ(about.at("fibreType"), "SMF (1240 - 1680 nm)");
    ASSERT_EQ(about.at("tls").size(), 4u);
    ASSERT_EQ(about.at("detectors").size(), 4u);
    EXPECT_EQ(about.at("tls")[0], "Yes");
}

TEST_F(CliTest, WrongDspReleaseMakesTheUnitUnusable)
{
    const CliResult r = sim({"--sim-dsp-release", "111", "info"});
    EXPECT_EQ(r.exitCode, 3) << describe(r);
    EXPECT_NE(r.out.find("DSP........: v 1.11"), std::string::npos) << describe(r);
    EXPECT_NE(r.err.find("vemar-cli firmware upgrade"), std::string::npos) << describe(r);

    const CliResult status = sim({"--sim-dsp-release", "111", "--json", "firmware", "status"});
    ASSERT_EQ(status.exitCode, 0) << describe(status);
    const nlohmann::json doc = nlohmann::json::parse(status.out);
    EXPECT_EQ(doc.at("releaseHundredths"), 111);
    EXPECT_EQ(doc.at("compatible"), false);
}

TEST_F(CliTest, FirmwareUpgrade)
{
    const CliResult missing = sim({"firmware", "upgrade", file("absent.out")});
    EXPECT_EQ(missing.exitCode, 4) << describe(missing);
    EXPECT_NE(missing.err.find("Can't find " + file("absent.out")), std::string::npos);

    const std::string firmware = file("VEMAR_DSP V112.out");
    ASSERT_EQ(vemarsim_unit_write_firmware_file(firmware.c_str(), 112), 0);
    const CliResult r = sim({"--sim-dsp-release", "111", "firmware", "upgrade", firmware});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "Update completed.\nNew DSP release: v 1.12\n");
    EXPECT_NE(r.err.find("DSP upgrade in progress. Please Wait."), std::string::npos);
}

TEST_F(CliTest, ADamagedFirmwareFileIsRefusedAndAFailedUpgradeSaysSo)
{
    const std::string firmware = file("VEMAR_DSP V112.out");
    ASSERT_EQ(vemarsim_unit_write_firmware_file(firmware.c_str(), 112), 0);
    const std::string good = readWholeFile(firmware);
    ASSERT_EQ(good.size(), 40070u);
    std::string random(good.size(), '\0');
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 7919 + 13) >> 3);
    std::string erased = good.substr(0, 70) + std::string(good.size() - 70, '\xFF');
    std::filesystem::create_directories(file("folder"));
    struct Case {
        const char* what;
        std::string path;
        std::string bytes;
    };
    const Case cases[] = {
        {"half an image", file("half.out"), good.substr(0, good.size() / 2)},
        {"71 bytes", file("71.out"), good.substr(0, 71)},
        {"the header alone", file("70.out"), good.substr(0, 70)},
        {"random bytes", file("random.out"), random},
        {"an erased image", file("erased.out"), erased},
        {"/dev/null", "/dev/null", ""},
        {"a directory", file("folder"), ""},
    };
    for (const Case& c : cases) {
        if (!c.bytes.empty()) writeWholeFile(c.path, c.bytes);
        const CliResult r = sim({"--sim-dsp-release", "111", "firmware", "upgrade", c.path});
        EXPECT_EQ(r.exitCode, 1) << c.what << describe(r);
        EXPECT_NE(r.err.find(c.path + " can't be used as DSP firmware: "), std::string::npos) << c.what << describe(r);
        EXPECT_NE(r.err.find("Nothing was programmed: the unit keeps its firmware."), std::string::npos)
            << c.what << describe(r);
        EXPECT_EQ(r.err.find("DSP upgrade in progress"), std::string::npos) << c.what << describe(r);
        EXPECT_EQ(r.out, "") << c.what << describe(r);
    }

    // A worn flash cell in the user-code zone: programmed twice, never complete.
    const CliResult worn = sim({"--sim-dsp-release", "111", "--sim-fault", "stuck-byte:0x3E4064", "firmware",
                                "upgrade", firmware});
    EXPECT_EQ(worn.exitCode, 1) << describe(worn);
    EXPECT_NE(worn.err.find("vemar-cli: The unit has no usable firmware: programming " + firmware +
                            " did not complete and only the DSP's boot code runs. The unit cannot measure until the "
                            "firmware is programmed again: run 'vemar-cli firmware upgrade \"" + firmware +
                            "\"' again with the unit connected."),
              std::string::npos)
        << describe(worn);
    EXPECT_NE(worn.err.find("vemar-cli: details: "), std::string::npos) << describe(worn);
    EXPECT_EQ(worn.out.find("Update completed"), std::string::npos) << describe(worn);
}

TEST_F(CliTest, CalibrationFileCommands)
{
    // No local file yet: programming refuses and leaves the unit alone.
    const CliResult program = sim({"calib", "program"});
    EXPECT_EQ(program.exitCode, 4) << describe(program);
    EXPECT_NE(program.err.find("nothing was programmed"), std::string::npos);

    struct Step {
        std::vector<std::string> args;
        std::string state;
    };
    const Step steps[] = {
        {{"calib", "check"}, "copied"},
        {{"calib", "check"}, "current"},
        {{"calib", "read"}, "read"},
        {{"calib", "program"}, "programmed"},
    };
    for (const Step& step : steps) {
        std::vector<std::string> args{"--json"};
        args.insert(args.end(), step.args.begin(), step.args.end());
        const CliResult r = sim(args);
        ASSERT_EQ(r.exitCode, 0) << step.state << describe(r);
        const nlohmann::json doc = nlohmann::json::parse(r.out);
        EXPECT_EQ(doc.at("state"), step.state);
        EXPECT_EQ(doc.at("file"), calibFile(documents));
    }
}

TEST_F(CliTest, AnInterruptedCalibrationProgrammingSaysWhatTheUnitHolds)
{
    ASSERT_EQ(sim({"calib", "check"}).exitCode, 0);
    const std::string path = calibFile(documents);
    const std::string local = readWholeFile(path);

    // A lost answer in the middle: the second pass stores it.
    const CliResult retried = sim({"--sim-fault", "no-answer:25", "calib", "program"});
    EXPECT_EQ(retried.exitCode, 0) << describe(retried);
    EXPECT_EQ(retried.out, path + ": stored in the unit\n") << describe(retried);

    // A worn cell in the calibration zone (word 0x3D8000 + 500): never read back as sent.
    const CliResult worn = sim({"--sim-fault", "stuck-byte:0x3D81F4", "calib", "program"});
    EXPECT_EQ(worn.exitCode, 1) << describe(worn);
    EXPECT_NE(worn.err.find("vemar-cli: The unit's calibration is missing or incomplete: storing " + path +
                            " in the unit did not complete. The local copy " + path +
                            " is intact. To program it again, run 'vemar-cli calib program' again.\n"),
              std::string::npos)
        << describe(worn);
    EXPECT_NE(worn.err.find("vemar-cli: details: the calibration read back differs from the file"), std::string::npos)
        << describe(worn);
    EXPECT_EQ(worn.out, "") << describe(worn);
    EXPECT_EQ(readWholeFile(path), local);

    // The unit vanishing half-way: the internal texts are only details.
    const CliResult unplugged = sim({"--sim-fault", "unplug:30", "calib", "program"});
    EXPECT_EQ(unplugged.exitCode, 1) << describe(unplugged);
    EXPECT_NE(unplugged.err.find("vemar-cli: The unit's calibration is missing or incomplete"), std::string::npos)
        << describe(unplugged);
    EXPECT_NE(unplugged.err.find("unplug the unit and plug it in again"), std::string::npos) << describe(unplugged);
    EXPECT_EQ(readWholeFile(path), local);
}

TEST_F(CliTest, ADamagedCalibrationFileStopsTheMeasurementAndIsNeverProgrammed)
{
    ASSERT_EQ(sim({"info"}).exitCode, 0);
    const std::string path = calibFile(documents);
    const std::string good = readWholeFile(path);
    ASSERT_EQ(good.size(), 22290u);
    std::string noSerial = good;
    noSerial[0] = 'X';
    struct Case {
        const char* what;
        std::string file;
        const char* problem;
    };
    const Case cases[] = {
        {"empty", "", "the file is empty"},
        {"17 bytes", good.substr(0, 17), "17 bytes long"},
        {"one byte short", good.substr(0, good.size() - 1), "22289 bytes long"},
        {"half a file", good.substr(0, good.size() / 2), "11145 bytes long"},
        {"zeroed", std::string(good.size(), '\0'), "its header names calibration kind 0, not 1 or 2"},
        {"all 0xFF", std::string(good.size(), '\xFF'), "its header names calibration kind 65535, not 1 or 2"},
        {"no serial number", noSerial, "its identity record holds no serial number"},
    };
    const std::string damaged = "The calibration file " + path + " is damaged: ";
    for (const Case& c : cases) {
        writeWholeFile(path, c.file);
        const CliResult scan = sim({"scan", "--start", "1540", "--stop", "1550", "--out", file("x")});
        EXPECT_EQ(scan.exitCode, 4) << c.what << describe(scan);
        EXPECT_NE(scan.err.find("vemar-cli: error: " + damaged + c.problem), std::string::npos)
            << c.what << describe(scan);
        EXPECT_EQ(scan.err.find("completed"), std::string::npos) << c.what << describe(scan);
        EXPECT_EQ(scan.err.find("outdated"), std::string::npos) << c.what << describe(scan);
        EXPECT_FALSE(std::filesystem::exists(file("x.scan.xml"))) << c.what;

        const CliResult info = sim({"info"});
        EXPECT_EQ(info.exitCode, 0) << c.what << describe(info);
        EXPECT_NE(info.err.find("warning: " + damaged + c.problem), std::string::npos) << c.what << describe(info);
        EXPECT_EQ(info.err.find("outdated"), std::string::npos) << c.what << describe(info);

        const CliResult check = sim({"calib", "check"});
        EXPECT_EQ(check.exitCode, 4) << c.what << describe(check);
        EXPECT_NE(check.out.find(damaged + c.problem), std::string::npos) << c.what << describe(check);

        const CliResult program = sim({"calib", "program"});
        EXPECT_EQ(program.exitCode, 4) << c.what << describe(program);
        EXPECT_NE(program.err.find(damaged + c.problem), std::string::npos) << c.what << describe(program);
        EXPECT_NE(program.err.find("nothing was programmed"), std::string::npos) << c.what << describe(program);
        EXPECT_EQ(readWholeFile(path), c.file) << c.what;  // the local file is left for the user to see
    }
    // The unit's own copy puts things right.
    ASSERT_EQ(sim({"calib", "read"}).exitCode, 0);
    EXPECT_EQ(readWholeFile(path), good);
}

TEST_F(CliTest, ADamagedExtCorrectionFileIsNeverUsedWithoutAWord)
{
    ASSERT_EQ(sim({"info"}).exitCode, 0);
    const std::string path = documents.file("Zelmora Optics/VEMAR/Calib/LocalAutoCalibBNC.dat");
    // 200 points from 1240 nm every 2.2 nm, one of them not a number.
    std::string bytes(20 + 8 * 200, '\0');
    const std::int32_t count = 200;
    const double start = 1240.0, step = 2.2, nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(bytes.data(), &count, 4);
    std::memcpy(bytes.data() + 4, &start, 8);
    std::memcpy(bytes.data() + 12, &step, 8);
    std::memcpy(bytes.data() + 20 + 8 * 137, &nan, 8);
    writeWholeFile(path, bytes);
    const std::string damaged = "The EXT correction file " + path + " is damaged: its value 137 (at 1541.400 nm) is nan";

    const CliResult withExt =
        sim({"scan", "--start", "1540", "--stop", "1545", "--detectors", "1,ext", "--out", file("ext")});
    EXPECT_EQ(withExt.exitCode, 4) << describe(withExt);
    EXPECT_NE(withExt.err.find("vemar-cli: error: " + damaged), std::string::npos) << describe(withExt);
    EXPECT_FALSE(std::filesystem::exists(file("ext.scan.xml")));

    // Not measured, not used: the operator still hears of it.
    const CliResult withoutExt = sim({"scan", "--start", "1540", "--stop", "1545", "--out", file("plain")});
    EXPECT_EQ(withoutExt.exitCode, 0) << describe(withoutExt);
    EXPECT_NE(withoutExt.err.find("vemar-cli: warning: " + damaged), std::string::npos) << describe(withoutExt);
    EXPECT_TRUE(std::filesystem::exists(file("plain.scan.xml")));
}

}  // namespace
