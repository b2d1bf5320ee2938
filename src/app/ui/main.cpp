// The program's entry point. Until the main window exists this starts the
// process the way the window will: classic number format, the LOGGER switch,
// the folder tree, and one load and save of the default configuration file
// with all its sections.

#include <cstdio>
#include <exception>

#include "About.h"
#include "Applicationconfig.h"
#include "CommandLine.h"
#include "ConfigurationFile.h"
#include "ConfLaserView.h"
#include "Log.h"
#include "NumberFormat.h"
#include "Passband.h"
#include "PassbandSection.h"
#include "Scanmanager.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"

int main(int argc, char** argv)
{
    useClassicNumberFormat();
    const CommandLine commandLine(argc, argv);
    if (commandLine.logger()) Log::openLog(5);

    int exitCode = 0;
    try {
        if (commandLine.simulate()) {
            std::string why;
            if (!SimulatorPlugin::activate(commandLine.preset(), commandLine.seed(), &why)) {
                std::fprintf(stderr, "vemar: %s\n", why.c_str());
                exitCode = 2;
            }
        }
        if (exitCode == 0) {
            // Every section is read and written back, so a run keeps the
            // sources and passband parameters the file holds.
            ApplicationConfig settings;
            ConfLaser& sources = ConfLaser::live();
            const ConfLaserView liveSources(sources);
            ScanManager scans(nullptr, nullptr, &liveSources);
            Passband passband(scans);
            SourcesSection sourcesSection(sources);
            PassbandSection passbandSection(passband);
            const auto sections = ConfigurationSections::of(&sourcesSection, &passbandSection);

            const std::string path = settings.configFolder + ConfigurationFile::defaultFileName;
            ConfigurationFile::loadConfiguration(path, settings, sections);
            ConfigurationFile::saveConfiguration(path, About(UnitIdentitySummary{}, 0), settings, sections);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vemar: %s\n", e.what());
        exitCode = 1;
    }

    Log::closeLog();
    return exitCode;
}
