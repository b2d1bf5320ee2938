#include "CliMain.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "About.h"
#include "CliSession.h"
#include "Commands.h"
#include "ExitCode.h"
#include "NumberFormat.h"
#include "Options.h"

namespace {

using Runner = int (*)(CliSession&, const ParsedOptions&);

struct Command {
    std::string name;
    std::string operands;  // for the usage line
    std::string summary;
    std::string description;
    std::vector<OptionDefinition> options;
    std::vector<Command> subcommands;
    std::size_t minOperands = 0;
    std::size_t maxOperands = 0;
    Runner run = nullptr;
};

constexpr std::size_t anyCount = std::numeric_limits<std::size_t>::max();

using V = OptionDefinition::Value;

const OptionDefinition helpOption{"help", 'h', V::None, "", "show this help and exit"};

const std::vector<OptionDefinition>& globalOptions()
{
    static const std::vector<OptionDefinition> options = {
        {"simulate", 0, V::Optional, "PRESET",
         "run on the simulated instrument (plug-in libvemar-sim.so beside the program); PRESET chooses the "
         "bench: dwdm (default), cwdm, patchcord, etalon"},
        {"seed", 0, V::Required, "N", "seed of the simulated noise and mode hops (with --simulate)"},
        {"config", 0, V::Required, "FILE",
         "settings from FILE instead of VEMAR.config.xml in the Config folder"},
        {"save-config", 0, V::None, "", "write the settings used by this run back into the configuration file"},
        {"port", 0, V::Required, "PATH",
         "the unit is on the serial port PATH (a tty udev does not describe as the unit, or a "
         "pseudo-terminal) instead of the one found on USB"},
        {"logger", 0, V::None, "", "open the diagnostic log on stderr"},
        {"json", 0, V::None, "", "print one JSON document on stdout instead of text"},
        {"sim-time-scale", 0, V::Required, "X",
         "simulated time runs X times real time, 0 < X <= 1 (with --simulate)"},
        {"sim-dsp-release", 0, V::Required, "N",
         "the simulated unit runs DSP release N (hundredths; 111 needs the upgrade) (with --simulate)"},
        {"sim-unplugged", 0, V::None, "", "the simulated unit is unplugged (with --simulate)"},
        {"sim-fault", 0, V::Required, "KIND:N[,...]",
         "the simulated unit commits faults: no-answer:N loses its Nth answer of the run (0 = first), "
         "unplug:N vanishes after N answers, program-bit:N mis-programs its Nth flash data packet, "
         "stuck-byte:ADDRESS has a worn flash cell at that word address (with --simulate)"},
        helpOption,
        {"version", 0, V::None, "", "show the program release and exit"},
    };
    return options;
}

const Command& rootCommand()
{
    static const Command root = [] {
        Command r;
        r.name = "vemar-cli";
        r.description =
            "Measure, analyse and maintain the VEMAR swept-wavelength component tester\n"
            "without the window. Options default to the settings of VEMAR.config.xml\n"
            "(or --config); options given here change them for this run only.";

        Command info;
        info.name = "info";
        info.summary = "find the unit, check the DSP release, print the About texts";
        info.description =
            "Finds the unit on USB, keeps its identity and calibration file in step as the\n"
            "window does, checks the DSP release and prints the About texts: program and\n"
            "DSP release, serial number, type, TLS1-4 and detectors 1-4.";
        info.run = runInfo;

        Command scan;
        scan.name = "scan";
        scan.summary = "run a single or continuous measurement";
        scan.description =
            "Runs a measurement exactly as the window does. Status texts go to stderr as\n"
            "they happen, with a progress line per scan. Ctrl-C is the stop button: the\n"
            "scan under way is cancelled, files of completed scans stay, exit status 1.\n"
            "With --out BASE a single scan is saved as BASE.scan.xml (+ BASE.scan.xml.dat),\n"
            "BASE.csv, BASE.txt, BASE.png; a continuous run saves scan k as BASE_k.* (k\n"
            "zero-padded). With --analyse the passband results go to BASE.passband.xml and\n"
            "BASE.passband.txt after every scan.";
        scan.options = {
            {"continuous", 0, V::Required, "N", "N scans (N >= 1) with min/max envelopes"},
            {"delay", 0, V::Required, "S", "seconds between two scans of a continuous run (0 to 3600)"},
            {"start", 0, V::Required, "NM", "start wavelength, nm"},
            {"stop", 0, V::Required, "NM", "stop wavelength, nm (at least 5 nm above the start)"},
            {"step", 0, V::Required, "PM", "sampling resolution, pm (1 to 250)"},
            {"power", 0, V::Required, "MW", "output power of the sources, mW"},
            {"detectors", 0, V::Required, "LIST", "inputs to measure: any of 1,2,3,4,ext,orl"},
            {"out", 'o', V::Required, "BASE", "save every scan under BASE (see above)"},
            {"format", 0, V::Required, "LIST", "files to save: any of xml,csv,txt,png, or all (default xml)"},
            {"analyse", 0, V::None, "", "passband analysis after each scan; prints the result table"},
        };
        scan.run = runScan;

        Command analyse;
        analyse.name = "analyse";
        analyse.operands = "FILE.scan.xml...";
        analyse.summary = "offline passband analysis of saved scans";
        analyse.description =
            "Analyses saved scans as the window's passband page does after loading them and\n"
            "prints the text result table of the result files with the failing figures.\n"
            "Several files are analysed in the order given, their minimum and maximum\n"
            "accumulating as in a continuous run. The parameters are those stored in the\n"
            "first scan file (else those of the settings), then --params, then the options.";
        analyse.options = {
            {"grid", 0, V::Required, "0..4",
             "0 ITU-T 100GHz, 1 ITU-T 50GHz, 2 ITU-T 25GHz, 3 ITU-T 12.5GHz, 4 CWDM"},
            {"threshold", 0, V::Required, "DB", "channel detection threshold, dB (-80 to 20)"},
            {"bw1", 0, V::Required, "DB", "level of bandwidth 1, dB (-70 to 0)"},
            {"bw2", 0, V::Required, "DB", "level of bandwidth 2, dB (-70 to 0)"},
            {"bw3", 0, V::Required, "DB", "level of bandwidth 3, dB (-70 to 0)"},
            {"owr", 0, V::Required, "X", "passband half-width around the grid centre, grid unit"},
            {"params", 0, V::Required, "FILE.config.xml", "analysis parameters and alarm limits from FILE"},
            {"out", 'o', V::Required, "FILE", "also save the results: FILE.passband.xml or FILE.txt"},
        };
        analyse.minOperands = 1;
        analyse.maxOperands = anyCount;
        analyse.run = runAnalyse;

        Command curve;
        curve.name = "curve";
        curve.operands = "FILE.scan.xml";
        curve.summary = "centre, spectral width and flank slopes of a saved curve";
        curve.description =
            "The figures of the chart's information block for one curve of a saved scan,\n"
            "with the levels of the settings stored in the file (fwhmThreshold, fwhmPower,\n"
            "slopeTopLevel, slopeBottomLevel).";
        curve.options = {
            {"curve", 0, V::Required, "NAME", "the curve: 1, 2, 3, 4, Ext or Orl (default: the first one)"},
            {"thz", 0, V::None, "", "figures in THz instead of nm"},
        };
        curve.minOperands = curve.maxOperands = 1;
        curve.run = runCurve;

        Command convert;
        convert.name = "convert";
        convert.operands = "FILE.scan.xml";
        convert.summary = "export a saved scan as CSV, TXT, PNG or BMP";
        convert.description =
            "Writes the scan's text export (the chart page's column titles) or a picture of\n"
            "its transfer functions. The output defaults to FILE with .scan.xml replaced by\n"
            "the format's extension.";
        convert.options = {
            {"to", 0, V::Required, "FORMAT", "csv, txt, png or bmp"},
            {"out", 'o', V::Required, "FILE", "the file to write"},
        };
        convert.minOperands = convert.maxOperands = 1;
        convert.run = runConvert;

        Command firmware;
        firmware.name = "firmware";
        firmware.summary = "DSP firmware release and upgrade";
        firmware.description = "The release the unit's DSP runs, and its upgrade.";
        Command status;
        status.name = "status";
        status.summary = "the DSP's release and mode, and whether this program can use it";
        status.run = runFirmwareStatus;
        Command upgrade;
        upgrade.name = "upgrade";
        upgrade.operands = "[FILE.out]";
        upgrade.summary = "program a firmware file into the DSP and restart it";
        upgrade.description =
            "Brings the DSP into flash mode, uploads FILE.out (default: the file\n"
            "DSP/VEMAR_DSP V112.out beside the program), restarts the DSP and prints its\n"
            "new release.";
        upgrade.maxOperands = 1;
        upgrade.run = runFirmwareUpgrade;
        firmware.subcommands = {status, upgrade};

        Command calib;
        calib.name = "calib";
        calib.summary = "the unit's calibration file and its copy in the Calib folder";
        calib.description = "Keeps the calibration file in the unit's flash and the one in the Calib folder in step.";
        Command check;
        check.name = "check";
        check.summary = "copy the unit's file when the local one is missing; report an outdated one";
        check.run = runCalibCheck;
        Command read;
        read.name = "read";
        read.summary = "copy the unit's file into the Calib folder, replacing the local one";
        read.run = runCalibRead;
        Command program;
        program.name = "program";
        program.summary = "store the local file of this unit in the unit's flash";
        program.run = runCalibProgram;
        calib.subcommands = {check, read, program};

        Command bench;
        bench.name = "bench";
        bench.summary = "the simulated bench's truth (with --simulate)";
        bench.description =
            "The preset and seed of the simulated bench and, per detector port, the true\n"
            "channels of the device under test: centre (nm), insertion loss at the centre\n"
            "(dB) and bandwidths at -1, -3 and -20 dB (nm).";
        bench.run = runBench;

        Command serve;
        serve.name = "serve";
        serve.summary = "command server for line controllers (SCPI-style, TCP)";
        serve.description =
            "Serves the instrument to line controllers over TCP: line-oriented SCPI-style\n"
            "commands on a raw socket (PyVISA: TCPIP0::HOST::PORT::SOCKET), at most 8\n"
            "clients, one of them in control. Only loopback unless --listen names another\n"
            "address. SIGINT or SIGTERM ends it; a measurement under way ends as after the\n"
            "stop button first. The commands are listed in README.md.";
        serve.options = {
            {"listen", 0, V::Required, "ADDR:PORT",
             "address and port to listen on (default 127.0.0.1:5025; [::1]:PORT for IPv6; port 0: any free "
             "one, printed on stderr)"},
        };
        serve.run = runServe;

        r.subcommands = {info, scan, analyse, curve, convert, firmware, calib, bench, serve};
        return r;
    }();
    return root;
}

const char* const exitStatusText =
    "Exit status: 0 success, 1 a measurement or analysis error, 2 a usage error,\n"
    "3 no instrument found, 4 a file that cannot be read or written.\n";

std::string usageLine(const std::string& path, const Command& command)
{
    std::string line = "Usage: " + path;
    if (!command.subcommands.empty()) return line + " [OPTIONS] COMMAND [ARGS...]\n";
    line += " [OPTIONS]";
    if (!command.operands.empty()) line += " " + command.operands;
    return line + "\n";
}

std::string helpText(const std::string& path, const Command& command, bool root)
{
    std::string out = usageLine(path, command);
    const std::string& about = command.description.empty() ? command.summary : command.description;
    if (!about.empty()) out += "\n" + about + "\n";
    if (!command.subcommands.empty()) {
        out += "\nCommands:\n";
        std::size_t width = 0;
        for (const Command& c : command.subcommands) width = std::max(width, c.name.size());
        for (const Command& c : command.subcommands)
            out += "  " + c.name + std::string(width + 2 - c.name.size(), ' ') + c.summary + "\n";
    }
    if (!command.options.empty()) out += "\nOptions:\n" + describeOptions(command.options);
    if (root) {
        out += "\nGlobal options (accepted before or after the command):\n" + describeOptions(globalOptions());
        out += "\n";
        out += exitStatusText;
        out += "\nRun 'vemar-cli COMMAND --help' for the options of a command.\n";
    } else {
        out += "\nGlobal options: see 'vemar-cli --help'.\n";
    }
    return out;
}

std::vector<OptionDefinition> definitionsOf(const Command& command)
{
    std::vector<OptionDefinition> definitions = command.options;
    definitions.insert(definitions.end(), globalOptions().begin(), globalOptions().end());
    return definitions;
}

const Command* findCommand(const Command& parent, const std::string& name)
{
    for (const Command& c : parent.subcommands)
        if (c.name == name) return &c;
    return nullptr;
}

void printOut(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void printError(const std::string& text)
{
    const std::string line = "vemar-cli: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

int runVemarCli(int argc, const char* const* argv)
{
    useClassicNumberFormat();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");

    std::string path = "vemar-cli";
    try {
        const Command* command = &rootCommand();
        ParsedOptions all;
        std::vector<std::string> rest = arguments;
        // Walk down the command words: each level takes the global options
        // (and its own when it has no sub-commands) up to its next word.
        while (!command->subcommands.empty()) {
            const std::vector<OptionDefinition> definitions = definitionsOf(*command);
            const ParsedOptions level = parseOptions(rest, definitions, true);
            all.merge(level);
            if (all.has("help")) {
                printOut(helpText(path, *command, command == &rootCommand()));
                return 0;
            }
            if (all.has("version")) {
                printOut("vemar-cli " + About::programRelease() + "\n");
                return 0;
            }
            if (level.operands().empty()) throw UsageError("missing command");
            const std::string& word = level.operands().front();
            const Command* next = findCommand(*command, word);
            if (next == nullptr) throw UsageError("unknown command '" + word + "'");
            command = next;
            path += " " + word;
            rest.assign(level.operands().begin() + 1, level.operands().end());
        }
        const std::vector<OptionDefinition> definitions = definitionsOf(*command);
        const ParsedOptions own = parseOptions(rest, definitions, false);
        all.merge(own);
        if (all.has("help")) {
            printOut(helpText(path, *command, false));
            return 0;
        }
        if (all.has("version")) {
            printOut("vemar-cli " + About::programRelease() + "\n");
            return 0;
        }
        const std::size_t count = own.operands().size();
        if (count < command->minOperands) throw UsageError("missing operand: " + command->operands);
        if (count > command->maxOperands)
            throw UsageError("unexpected operand '" + own.operands()[command->maxOperands] + "'");
        // The command's own options and operands, with the global options wherever they stood.
        ParsedOptions options = all;
        for (const std::string& operand : own.operands()) options.addOperand(operand);
        CliSession session(GlobalOptions::from(all));
        return command->run(session, options);
    } catch (const UsageError& e) {
        printError(e.what());
        printError("Try '" + path + " --help' for more information.");
        return static_cast<int>(ExitCode::Usage);
    } catch (const CliError& e) {
        printError(e.what());
        return static_cast<int>(e.code());
    } catch (const std::bad_alloc&) {
        printError("out of memory");
        return static_cast<int>(ExitCode::Failure);
    } catch (const std::filesystem::filesystem_error& e) {
        // A file or folder the system refused: its name and the system's reason.
        printError((e.path1().empty() ? std::string() : e.path1().string() + ": ") + e.code().message());
        return static_cast<int>(ExitCode::FileError);
    } catch (const std::exception& e) {
        printError(e.what());
        return static_cast<int>(ExitCode::Failure);
    }
}
