#include "ScanFileInput.h"

#include "Applicationconfig.h"
#include "CliSession.h"
#include "ConfLaserView.h"
#include "ConfigurationFile.h"
#include "ExitCode.h"
#include "ScanFile.h"
#include "ScanFileCheck.h"
#include "Scanmanager.h"

namespace {

[[noreturn]] void damaged(const std::string& path, const std::string& why)
{
    throw CliError(ExitCode::FileError, "can't read the scan file " + path + ": " + why);
}

}  // namespace

void checkScanFile(const std::string& path)
{
    if (const std::string problem = scanFileProblem(path); !problem.empty()) damaged(path, problem);
}

ScanTrace& loadScanFile(CliSession& session, const std::string& path, bool withPassband)
{
    checkScanFile(path);
    ConfigurationSections sections = session.sections();
    if (!withPassband) sections.passbandReader = nullptr;
    ScanLoadReport report;
    // The scan's settings were its station's: a folder of theirs missing here is no news.
    struct Quiet {
        ApplicationConfig& settings;
        bool was;
        ~Quiet() { settings.announceFallbacks = was; }
    } quiet{session.settings(), session.settings().announceFallbacks};
    session.settings().announceFallbacks = false;
    const int status =
        loadFromChartPage(path, session.scans(), session.settings(), sections, &session.liveView(), &report);
    if (status == -3) damaged(path, report.pairMismatch);
    if (status != 0) damaged(path, "the format is invalid");
    if (!report.nonFinite.empty()) {
        session.scans().DeleteCurrent();
        damaged(path, report.nonFinite);
    }
    return session.scans().Current();
}
