#include "CliSession.h"

#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>

#include "About.h"
#include "Applicationconfig.h"
#include "AtomicFile.h"
#include "ExitCode.h"
#include "Log.h"
#include "MeasurementSession.h"
#include "OptionValues.h"
#include "Options.h"
#include "Passband.h"
#include "PassbandSection.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "UsbBridge.h"
#include "UserMessages.h"

namespace {

// "no-answer:3,unplug:40": the simulated unit's faults, kind and argument.
std::vector<std::pair<std::string, int>> simulatorFaults(const std::string& text)
{
    std::vector<std::pair<std::string, int>> faults;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        const std::size_t colon = item.find(':');
        long long argument = -1;
        if (colon != std::string::npos && colon + 1 < item.size()) {
            char* rest = nullptr;
            argument = std::strtoll(item.c_str() + colon + 1, &rest, 0);
            if (*rest != '\0') argument = -1;
        }
        if (colon == 0 || argument < 0 || argument > 0x7FFFFFFF)
            throw UsageError("option '--sim-fault' needs KIND:N, not '" + item + "'");
        faults.emplace_back(item.substr(0, colon), static_cast<int>(argument));
        start = end + 1;
    }
    return faults;
}

}  // namespace

GlobalOptions GlobalOptions::from(const ParsedOptions& options)
{
    GlobalOptions g;
    g.simulate = options.has("simulate");
    g.preset = options.value("simulate").value_or("");
    if (const auto seed = integerOption(options, "seed", 0, std::numeric_limits<long long>::max()))
        g.seed = static_cast<std::uint64_t>(*seed);
    g.configFile = options.value("config");
    if (g.configFile && g.configFile->empty()) throw UsageError("option '--config' needs a file name");
    g.port = options.value("port");
    if (g.port && g.port->empty()) throw UsageError("option '--port' needs a path");
    if (g.port && g.simulate) throw UsageError("option '--port' can't be used with --simulate");
    g.logger = options.has("logger");
    g.json = options.has("json");
    g.saveConfig = options.has("save-config");
    g.simTimeScale = doubleOption(options, "sim-time-scale", 1e-6, 1.0);
    if (const auto release = integerOption(options, "sim-dsp-release", 1, 32767))
        g.simDspRelease = static_cast<int>(*release);
    g.simUnplugged = options.has("sim-unplugged");
    if (const auto faults = options.value("sim-fault")) g.simFaults = simulatorFaults(*faults);
    if (!g.simulate) {
        for (const char* name : {"seed", "sim-time-scale", "sim-dsp-release", "sim-unplugged", "sim-fault"})
            if (options.has(name)) throw UsageError(std::string("option '--") + name + "' needs --simulate");
    }
    return g;
}

namespace {

// One line per message box: the caption, then the text with its line breaks
// folded, so that a log of stderr keeps one message per line.
void printMessageBox(UserMessages::Severity severity, const std::string& caption, const std::string& text)
{
    std::string folded;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!folded.empty() && folded.back() != ' ') folded += ' ';
        } else {
            folded += c;
        }
    }
    while (!folded.empty() && folded.back() == ' ') folded.pop_back();
    const char* kind = severity == UserMessages::Severity::Error     ? "error: "
                       : severity == UserMessages::Severity::Warning ? "warning: "
                                                                     : "";
    std::string line = "vemar-cli: " + std::string(kind);
    std::string title = caption;
    while (!title.empty() && (title.back() == ' ' || title.back() == ':')) title.pop_back();
    if (!title.empty()) line += title + ": ";
    line += folded + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

CliSession::CliSession(GlobalOptions options) : options_(std::move(options))
{
    if (options_.logger) Log::openLog(5);
    UserMessages::setPresenter(printMessageBox);
    if (options_.simulate) {
        SimulatorStart start;
        start.preset = options_.preset;
        start.seed = options_.seed;
        start.timeScale = options_.simTimeScale;
        start.dspRelease = options_.simDspRelease;
        start.unplugged = options_.simUnplugged;
        start.unitFaults = options_.simFaults;
        std::string why;
        if (!MeasurementSession::startSimulator(start, &why)) {
            if (why.rfind("unknown bench preset", 0) == 0 || why.rfind("unknown simulated fault", 0) == 0)
                throw UsageError(why);
            throw CliError(ExitCode::Failure, why);
        }
    }
    if (options_.port) UsbBridges::useExplicitPort(*options_.port);
    measurement_ = std::make_unique<MeasurementSession>();
    passband_ = std::make_unique<Passband>(measurement_->scans());
    sourcesSection_ = std::make_unique<SourcesSection>(measurement_->sources());
    passbandSection_ = std::make_unique<PassbandSection>(*passband_);
    sections_ = ConfigurationSections::of(sourcesSection_.get(), passbandSection_.get());
}

CliSession::~CliSession()
{
    // The engine and the store refer to each other's objects: engine first.
    passbandSection_.reset();
    passband_.reset();
    measurement_.reset();
    UserMessages::setPresenter({});
    if (options_.simulate) MeasurementSession::stopSimulator();
    Log::closeLog();
}

ApplicationConfig& CliSession::settings() { return measurement_->settings(); }

ConfLaser& CliSession::sources() { return measurement_->sources(); }

ScanManager& CliSession::scans() { return measurement_->scans(); }

const SourceConfigurationView& CliSession::liveView() const { return measurement_->liveConfiguration(); }

std::string CliSession::configPath() const
{
    return options_.configFile ? *options_.configFile
                               : measurement_->settings().configFolder + ConfigurationFile::defaultFileName;
}

void CliSession::loadConfiguration()
{
    const std::string path = configPath();
    if (options_.configFile) {
        TiXmlDocument probe;
        std::string why;
        if (!ConfigurationFile::parseFile(path, probe, &why))
            throw CliError(ExitCode::FileError, "can't read the configuration file " + path + ": " + why);
        if (ConfigurationFile::findRoot(probe) == nullptr)
            throw CliError(ExitCode::FileError, path + " is not a VEMAR configuration file");
        ConfigurationFile::loadConfiguration(path, measurement_->settings(), sections_);
        measurement_->placeSimulatedInstruments();
        return;
    }
    const std::string note = ConfigurationFile::loadDefaultConfiguration(path, measurement_->settings(), sections_);
    if (!note.empty()) status("vemar-cli: warning: " + note);
    measurement_->placeSimulatedInstruments();
}

void CliSession::createSourceDrivers()
{
    for (SourceConfig& source : measurement_->sources().sources) source.SetType(source.type);
    TiXmlDocument doc;
    if (!ConfigurationFile::parseFile(configPath(), doc)) return;
    const TiXmlElement* root = ConfigurationFile::findRoot(doc);
    const TiXmlElement* configuration = root != nullptr ? root->FirstChildElement("Configuration") : nullptr;
    if (const TiXmlElement* sources = configuration != nullptr ? configuration->FirstChildElement("Sources") : nullptr)
        sourcesSection_->readSection(sources);
}

void CliSession::saveConfigurationIfAsked(const About& about)
{
    if (!options_.saveConfig) return;
    const std::string path = configPath();
    if (!ConfigurationFile::saveConfiguration(path, about, measurement_->settings(), sections_))
        throw CliError(ExitCode::FileError, "can't write the configuration file " + path + ": " + lastWriteFailure());
    status("configuration saved to " + path);
}

std::string CliSession::programFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return exe.parent_path().string() + "/";
}

void CliSession::print(const std::string& text) const
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void CliSession::printJson(const nlohmann::json& document) const { print(document.dump(2) + "\n"); }

void CliSession::status(const std::string& text) const
{
    const std::string line = text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}
