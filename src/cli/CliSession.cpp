#include "CliSession.h"

#include <tinyxml.h>
#include <unistd.h>

#include <chrono>
#include <limits>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "About.h"
#include "Applicationconfig.h"
#include "AtomicFile.h"
#include "ConfLaserView.h"
#include "DriverPause.h"
#include "ExitCode.h"
#include "LinkTiming.h"
#include "Log.h"
#include "OptionValues.h"
#include "Options.h"
#include "Passband.h"
#include "PassbandSection.h"
#include "Scanmanager.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "UserMessages.h"

GlobalOptions GlobalOptions::from(const ParsedOptions& options)
{
    GlobalOptions g;
    g.simulate = options.has("simulate");
    g.preset = options.value("simulate").value_or("");
    if (const auto seed = integerOption(options, "seed", 0, std::numeric_limits<long long>::max()))
        g.seed = static_cast<std::uint64_t>(*seed);
    g.configFile = options.value("config");
    if (g.configFile && g.configFile->empty()) throw UsageError("option '--config' needs a file name");
    g.logger = options.has("logger");
    g.json = options.has("json");
    g.saveConfig = options.has("save-config");
    g.simTimeScale = doubleOption(options, "sim-time-scale", 1e-6, 1.0);
    if (const auto release = integerOption(options, "sim-dsp-release", 1, 32767))
        g.simDspRelease = static_cast<int>(*release);
    g.simUnplugged = options.has("sim-unplugged");
    if (!g.simulate) {
        for (const char* name : {"seed", "sim-time-scale", "sim-dsp-release", "sim-unplugged"})
            if (options.has(name)) throw UsageError(std::string("option '--") + name + "' needs --simulate");
    }
    return g;
}

namespace {

template <typename F>
F simulatorEntry(const char* name)
{
    return reinterpret_cast<F>(SimulatorPlugin::symbol(name));
}

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

void applySimulationControls(const GlobalOptions& g)
{
    if (g.simTimeScale) {
        const double scale = *g.simTimeScale;
        if (auto set = simulatorEntry<void (*)(double)>("vemarsim_set_time_scale")) set(scale);
        LinkTiming::setScale(scale);
        DriverPause::setPauseFunction([scale](int milliseconds) {
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(milliseconds * scale));
        });
    }
    if (g.simDspRelease) {
        auto set = simulatorEntry<int (*)(int)>("vemarsim_unit_set_release");
        if (set == nullptr || set(*g.simDspRelease) != 0)
            throw CliError(ExitCode::Failure, "the simulated unit refused the DSP release");
    }
    if (g.simUnplugged) {
        if (auto plug = simulatorEntry<void (*)(int)>("vemarsim_unit_set_plugged")) plug(0);
    }
}

}  // namespace

CliSession::CliSession(GlobalOptions options) : options_(std::move(options))
{
    if (options_.logger) Log::openLog(5);
    UserMessages::setPresenter(printMessageBox);
    if (options_.simulate) {
        std::string why;
        if (!SimulatorPlugin::activate(options_.preset, options_.seed, &why)) {
            if (why.rfind("unknown bench preset", 0) == 0) throw UsageError(why);
            throw CliError(ExitCode::Failure, why);
        }
        applySimulationControls(options_);
    }
    settings_ = std::make_unique<ApplicationConfig>();
    liveView_ = std::make_unique<ConfLaserView>(ConfLaser::live());
    scans_ = std::make_unique<ScanManager>(nullptr, nullptr, liveView_.get());
    passband_ = std::make_unique<Passband>(*scans_);
    sourcesSection_ = std::make_unique<SourcesSection>(ConfLaser::live());
    passbandSection_ = std::make_unique<PassbandSection>(*passband_);
    sections_ = ConfigurationSections::of(sourcesSection_.get(), passbandSection_.get());
}

CliSession::~CliSession()
{
    // The engine and the store refer to each other's objects: engine first.
    passbandSection_.reset();
    passband_.reset();
    scans_.reset();
    UserMessages::setPresenter({});
    if (options_.simTimeScale) DriverPause::setPauseFunction({});
    Log::closeLog();
}

ConfLaser& CliSession::sources() { return ConfLaser::live(); }

std::string CliSession::configPath() const
{
    return options_.configFile ? *options_.configFile : settings_->configFolder + ConfigurationFile::defaultFileName;
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
        ConfigurationFile::loadConfiguration(path, *settings_, sections_);
        return;
    }
    const std::string note = ConfigurationFile::loadDefaultConfiguration(path, *settings_, sections_);
    if (!note.empty()) status("vemar-cli: warning: " + note);
}

void CliSession::createSourceDrivers()
{
    for (SourceConfig& source : ConfLaser::live().sources) source.SetType(source.type);
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
    if (!ConfigurationFile::saveConfiguration(path, about, *settings_, sections_))
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
