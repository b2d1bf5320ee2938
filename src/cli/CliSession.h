#pragma once

// What every command of vemar-cli works with: the global options, the
// measurement session (settings, live source configuration, scan store,
// unit, measurements: the same core the window uses), the configuration file
// the settings come from, the passband engine, and the two output streams
// (results on stdout, status and errors on stderr).

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ConfigurationFile.h"

class About;
class ApplicationConfig;
class ConfLaser;
class MeasurementSession;
class ParsedOptions;
class Passband;
class PassbandSection;
class ScanManager;
class SourceConfigurationView;
class SourcesSection;

struct GlobalOptions {
    bool simulate = false;
    std::string preset;  // empty: the simulator's default bench
    std::optional<std::uint64_t> seed;
    std::optional<std::string> configFile;
    // The unit's serial port, instead of the enumeration of the USB devices.
    std::optional<std::string> port;
    bool logger = false;
    bool json = false;
    bool saveConfig = false;
    // Simulation controls (only with --simulate).
    std::optional<double> simTimeScale;
    std::optional<int> simDspRelease;
    bool simUnplugged = false;
    // --sim-fault: the simulated unit's faults (kind, argument) in order.
    std::vector<std::pair<std::string, int>> simFaults;

    // Throws UsageError for values that do not parse or combinations that
    // make no sense (--seed without --simulate).
    static GlobalOptions from(const ParsedOptions& options);
};

class CliSession {
public:
    // Opens the log, starts the simulator when asked (UsageError for an
    // unknown preset, CliError when the plug-in cannot be loaded) and
    // computes the folders.
    explicit CliSession(GlobalOptions options);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    const GlobalOptions& options() const { return options_; }
    bool json() const { return options_.json; }
    bool simulated() const { return options_.simulate; }

    MeasurementSession& measurement() { return *measurement_; }
    ApplicationConfig& settings();
    ConfLaser& sources();
    ScanManager& scans();
    Passband& passband() { return *passband_; }
    const ConfigurationSections& sections() const { return sections_; }
    SourcesSection& sourcesSection() { return *sourcesSection_; }
    PassbandSection& passbandSection() { return *passbandSection_; }
    const SourceConfigurationView& liveView() const;

    // "VEMAR.config.xml" in the Config folder, or the --config file.
    std::string configPath() const;
    // Reads the configuration file into the settings, the sources and the
    // passband parameters (with --simulate the bench is then built as the
    // sources say). A missing default file is a first start; a missing or
    // malformed --config file is a FileError.
    void loadConfiguration();
    // What the window's source editors do once the settings are loaded: each
    // enabled or not, every record gets the driver of its type at its
    // address, and the file's command templates are read into the drivers
    // (a record has none before). Only a measurement needs them.
    void createSourceDrivers();
    // With --save-config: writes the settings as they stand now into the
    // configuration file (FileError when it cannot be written).
    void saveConfigurationIfAsked(const About& about);

    // The folder of the vemar-cli program file, with a trailing "/".
    static std::string programFolder();

    // Results.
    void print(const std::string& text) const;
    void printJson(const nlohmann::json& document) const;
    // A line on stderr (status texts, progress, warnings).
    void status(const std::string& text) const;

private:
    GlobalOptions options_;
    std::unique_ptr<MeasurementSession> measurement_;
    std::unique_ptr<Passband> passband_;
    std::unique_ptr<SourcesSection> sourcesSection_;
    std::unique_ptr<PassbandSection> passbandSection_;
    ConfigurationSections sections_;
};
