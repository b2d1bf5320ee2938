// The program's entry point. Until the main window exists this starts the
// process the way the window will: classic number format, the LOGGER switch,
// the folder tree, and one load and save of the default configuration file.

#include <cstdio>
#include <exception>

#include "About.h"
#include "Applicationconfig.h"
#include "CommandLine.h"
#include "ConfigurationFile.h"
#include "Log.h"
#include "NumberFormat.h"
#include "SimulatorPlugin.h"

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
            ApplicationConfig settings;
            const std::string path = settings.configFolder + ConfigurationFile::defaultFileName;
            ConfigurationFile::loadConfiguration(path, settings, {});
            ConfigurationFile::saveConfiguration(path, About(UnitIdentitySummary{}, 0), settings, {});
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vemar: %s\n", e.what());
        exitCode = 1;
    }

    Log::closeLog();
    return exitCode;
}
