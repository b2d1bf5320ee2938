// The program's entry point. Until the main window exists this starts the
// process the way the window will: classic number format, the LOGGER switch,
// the simulator, the measurement session that owns the settings, the live
// source configuration and the scan store (the one the window's start button
// will start measurements with), and one load and save of the default
// configuration file with all its sections.

#include <cstdio>
#include <exception>

#include "About.h"
#include "CommandLine.h"
#include "ConfigurationFile.h"
#include "Log.h"
#include "MeasurementSession.h"
#include "NumberFormat.h"
#include "Passband.h"
#include "PassbandSection.h"
#include "SourcesSection.h"

int main(int argc, char** argv)
{
    useClassicNumberFormat();
    const CommandLine commandLine(argc, argv);
    if (commandLine.logger()) Log::openLog(5);

    int exitCode = 0;
    try {
        if (commandLine.simulate()) {
            SimulatorStart start;
            start.preset = commandLine.preset();
            start.seed = commandLine.seed();
            std::string why;
            if (!MeasurementSession::startSimulator(start, &why)) {
                std::fprintf(stderr, "vemar: %s\n", why.c_str());
                exitCode = 2;
            }
        }
        if (exitCode == 0) {
            MeasurementSession session;
            // Every section is read and written back, so a run keeps the
            // sources and passband parameters the file holds.
            Passband passband(session.scans());
            SourcesSection sourcesSection(session.sources());
            PassbandSection passbandSection(passband);
            const auto sections = ConfigurationSections::of(&sourcesSection, &passbandSection);

            const std::string path = session.settings().configFolder + ConfigurationFile::defaultFileName;
            ConfigurationFile::loadConfiguration(path, session.settings(), sections);
            session.placeSimulatedInstruments();
            ConfigurationFile::saveConfiguration(path, About(UnitIdentitySummary{}, 0), session.settings(), sections);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vemar: %s\n", e.what());
        exitCode = 1;
    }
    if (commandLine.simulate()) MeasurementSession::stopSimulator();

    Log::closeLog();
    return exitCode;
}
