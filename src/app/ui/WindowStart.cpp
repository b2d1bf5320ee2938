#include "WindowStart.h"

#include <tinyxml.h>

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>

#include "ChartPage.h"
#include "ChartPicture.h"
#include "ChartPictureRenderer.h"
#include "ConfigurationFile.h"
#include "Log.h"
#include "MeasurementSession.h"
#include "NumberFormat.h"
#include "StandardWindowParts.h"
#include "UsbBridge.h"
#include "Zovezo.h"

namespace {

// What the "Transfer functions" page asks of the window.
class WindowChartPageHost : public ChartPageHost {
public:
    explicit WindowChartPageHost(TFormZovEZO& window) : window_(window) {}

    MeasurementSession& session() override { return window_.session(); }
    void displayedScanChanged() override { window_.displayedScanChanged(); }
    bool configurationFrame(TiXmlDocument& document, std::string* error) override
    {
        // The window writes its configuration file with every section it
        // holds; the scan file starts with exactly that.
        const QTemporaryDir folder;
        const std::string path = folder.isValid() ? folder.filePath("frame.config.xml").toStdString() : std::string();
        if (!path.empty()) window_.saveConfiguration(path);
        if (path.empty() || !ConfigurationFile::parseFile(path, document)) {
            if (error != nullptr) *error = "The configuration could not be written to a temporary file";
            return false;
        }
        return true;
    }
    void loadConfiguration(const std::string& fileName) override { window_.loadConfiguration(fileName); }
    void configurationLoaded() override
    {
        window_.settingsToControls();
        window_.SourcesRangeChanged();
    }

private:
    TFormZovEZO& window_;
};

}  // namespace

WindowParts windowParts()
{
    WindowParts parts = standardWindowParts();
    parts.transferChart = [](QWidget& place, TFormZovEZO& window) -> std::unique_ptr<TransferChartPage> {
        return makeChartPage(place, std::make_unique<WindowChartPageHost>(window));
    };
    return parts;
}

std::string windowHelpText()
{
    return "Usage: vemar [SWITCH...]\n"
           "The VEMAR control window.\n"
           "\n"
           "  LOGGER               open the diagnostic log on the terminal (stderr)\n"
           "  QZRT                 show the factory pages and expert options\n"
           "  XWEP                 behave as if a unit were connected\n"
           "  --simulate[=PRESET]  run on the simulated instrument (bench preset, default dwdm);\n"
           "                       the title bar then says SIMULATED INSTRUMENT\n"
           "  --seed N             with --simulate: seed of the simulated noise and mode hops\n"
           "  --port PATH          talk to the unit on this tty only\n"
           "  --help, -h           print this text\n"
           "\n"
           "The historical switches are compared upper-cased, so 'logger' works as well.\n";
}

std::string unknownArgument(const CommandLine& commandLine)
{
    for (const std::string& argument : commandLine.others())
        if (argument.rfind("-", 0) == 0) return argument;
    return {};
}

std::string programFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return exe.parent_path().string() + "/";
}

int runWindowProgram(int argc, char** argv)
{
    useClassicNumberFormat();
    // Asking for the switches needs no display.
    if (CommandLine(argc, argv).help()) {
        std::fputs(windowHelpText().c_str(), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("VEMAR");
    QLocale::setDefault(QLocale::c());
    // Qt has taken its own switches (-platform ...) out of argv by now.
    const CommandLine commandLine(argc, argv);
    if (const std::string unknown = unknownArgument(commandLine); !unknown.empty()) {
        std::fprintf(stderr, "vemar: unknown switch '%s'\n\n%s", unknown.c_str(), windowHelpText().c_str());
        return 2;
    }
    if (commandLine.logger()) Log::openLog(5);
    struct CloseLog {
        ~CloseLog() { Log::closeLog(); }
    } closeLog;

    if (commandLine.simulate()) {
        SimulatorStart simulator;
        simulator.preset = commandLine.preset();
        simulator.seed = commandLine.seed();
        std::string why;
        if (!MeasurementSession::startSimulator(simulator, &why)) {
            std::fprintf(stderr, "vemar: %s\n", why.c_str());
            return 2;
        }
    }
    struct StopSimulator {
        ~StopSimulator() { MeasurementSession::stopSimulator(); }
    } stopSimulator;
    if (commandLine.port()) UsbBridges::useExplicitPort(*commandLine.port());
    // Scan pictures saved automatically are drawn by the chart code.
    if (!ChartPictures::installed()) ChartPictures::install(std::make_shared<ChartPictureRenderer>());

    try {
        WindowOptions options;
        options.commandLine = commandLine;
        options.programFolder = programFolder();
        options.parts = windowParts();
        TFormZovEZO window(std::move(options));
        window.show();
        return application.exec() == 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vemar: %s\n", error.what());
        return 1;
    }
}
