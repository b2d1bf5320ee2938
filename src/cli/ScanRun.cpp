#include "ScanRun.h"

#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "Applicationconfig.h"
#include "CliSession.h"
#include "ContinuousScanSaving.h"
#include "ControlSnS.h"
#include "ExitCode.h"
#include "NumberFormat.h"
#include "Passband.h"
#include "PassbandReport.h"
#include "PictureSupport.h"
#include "ScanFile.h"
#include "ScanOutputFiles.h"
#include "ScanResultText.h"
#include "StopRequest.h"
#include "UserMessages.h"

namespace {

// How often the main thread looks at Ctrl-C while no message arrives.
constexpr auto stopPoll = std::chrono::milliseconds(50);

const char* severityPrefix(int severity)
{
    switch (severity) {
    case 1: return "warning: ";
    case 2: return "error: ";
    default: return "";
    }
}

// The automatic saving of the settings writes a picture.
bool settingsSavePicture(const ApplicationConfig& settings)
{
    return settings.measurementType == 1 && settings.scanSaveEnabled &&
           (settings.fileType == static_cast<int>(ContinuousFileType::Bitmap) ||
            settings.fileType == static_cast<int>(ContinuousFileType::Png));
}

}  // namespace

ScanRun::ScanRun(CliSession& session, const ScanRequest& request, const UnitState& unit)
    : session_(session), request_(request), about_(unit.identity.summary(), unit.status.release)
{
}

ScanFileFrame ScanRun::frame() const { return {about_, session_.settings(), session_.sections()}; }

int ScanRun::run()
{
    ApplicationConfig& settings = session_.settings();
    MeasurementSession& measurement = session_.measurement();
    Passband& passband = session_.passband();

    // Pictures are drawn on this thread, so Qt starts here, before the run.
    std::unique_ptr<PictureSupport> pictures;
    if (request_.formats.png || settingsSavePicture(settings))
        pictures = std::make_unique<PictureSupport>(settings.scanParameters.bncEnable == 0);

    const StopRequest stop;
    stop_ = &stop;
    try {
        trace_ = &measurement.start(*this, owner_.poster());
    } catch (const MeasurementRefused& refused) {
        using Reason = MeasurementRefused::Reason;
        if (refused.reason() != Reason::Calibration && refused.reason() != Reason::ExtCorrection)
            throw CliError(ExitCode::Failure, refused.what());
        // A damaged calibration file would move every level (a damaged EXT
        // correction every EXT level): nothing is measured, and the way out
        // is named.
        const char* wayOut = refused.reason() == Reason::Calibration ? "; 'vemar-cli calib read' copies the unit's own" : "";
        status(ScanResultText::error, std::string(refused.what()) + wayOut);
        if (session_.json()) printJson();
        return static_cast<int>(ExitCode::FileError);
    }
    // What the window's passband page does when a measurement starts and ends.
    passband.lockParameters();
    passband.clearResults();
    struct Unlock {
        Passband& passband;
        MeasurementSession& measurement;
        // A file error of a completed scan leaves the loop: the run is
        // stopped before its queue goes.
        ~Unlock()
        {
            measurement.abort();
            passband.unlockParameters();
        }
    } unlock{passband, measurement};
    while (!ended_) {
        if (stop.requested() && !stopRequested_) {
            // The stop button: the scan under way ends with the cancel text
            // and a continuous run ends with it.
            stopRequested_ = true;
            session_.status("vemar-cli: stop requested");
            measurement.cancel();
        }
        owner_.runNext(stopPoll);
    }
    stop_ = nullptr;
    // Stopped between two scans, the thread had no scan to cancel and said
    // nothing; the run still ends as a cancelled one.
    const ScanResultText::Status cancelled = ScanResultText::forScanCode(ControlSnS::Cancelled);
    if (stopRequested_ && !cancelReported_) status(cancelled.severity, cancelled.text, ControlSnS::Cancelled);
    if (session_.json()) printJson();
    if (completed_ < (request_.continuous ? request_.scans : 1) && !failed_) {
        // A run that ended early without saying why still failed its request.
        session_.status("vemar-cli: error: the measurement ended after " + std::to_string(completed_) + " scan(s)");
        failed_ = true;
    }
    return failed_ ? static_cast<int>(ExitCode::Failure) : 0;
}

void ScanRun::measurementEnded() { ended_ = true; }

void ScanRun::samplingStepChanged(int samplingStepPm)
{
    session_.status(cformat("vemar-cli: warning: the sampling resolution is now %d pm", samplingStepPm));
}

void ScanRun::statusMessage(const MeasurementStatus& message) { status(message.severity, message.text, message.code); }

void ScanRun::resolutionWarning(const std::string& caption, const std::string& text)
{
    UserMessages::show(UserMessages::Severity::Warning, caption, text);
}

void ScanRun::status(int severity, const std::string& text, std::optional<int> code)
{
    if (text.empty()) return;
    if (stopRequested_ && code == ControlSnS::Cancelled) cancelReported_ = true;
    session_.status(std::string("vemar-cli: ") + severityPrefix(severity) + text);
    if (severity >= 2) failed_ = true;
    nlohmann::json entry{{"severity", severity}, {"text", text}};
    if (code) entry["code"] = *code;
    statuses_.push_back(entry);
    pendingStatuses_.push_back(entry);
}

void ScanRun::scanCompleted(ScanTrace& trace, const ScanSnapshotPtr& published)
{
    const ScanSnapshot& scan = *published;
    ++completed_;
    const std::string count =
        request_.continuous ? cformat("%d/%d", completed_, request_.scans) : std::to_string(completed_);
    session_.status("vemar-cli: scan " + count + " completed (" + scan.chartTitle + ")");

    nlohmann::json written = nlohmann::json::array();
    if (request_.outBase) {
        for (const std::string& file : saveScanOutputs(scanBaseName(request_, completed_), request_.formats, trace,
                                                       frame()))
            written.push_back(file);
    }
    if (request_.analyse) {
        Passband& passband = session_.passband();
        passband.analyse();
        if (!session_.json()) session_.print((completed_ > 1 ? "\n" : "") + passbandTable(passband));
        if (request_.outBase)
            for (const std::string& file : savePassbandOutputs(*request_.outBase, passband)) written.push_back(file);
    }
    for (const auto& file : written) files_.push_back(file);
    // A completed scan ended with 0 or a warning; the warning it reported
    // (one with a text) is its code.
    const int code = ScanResultText::forScanCode(scan.code).severity == ScanResultText::warning ? scan.code : 0;
    scans_.push_back({{"index", completed_},
                      {"code", code},
                      {"title", scan.chartTitle},
                      {"status", pendingStatuses_},
                      {"files", written}});
    pendingStatuses_ = nlohmann::json::array();
}

void ScanRun::waitBeforeNextScan()
{
    const int delay = session_.settings().scanDelay;
    if (delay > 0) {
        session_.status(cformat("vemar-cli: waiting %d s before the next scan", delay));
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(delay);
        while (std::chrono::steady_clock::now() < until && !(stop_ != nullptr && stop_->requested()))
            std::this_thread::sleep_for(stopPoll);
    }
    session_.measurement().Continue();
}

void ScanRun::saveContinuousScan(const std::string& baseName)
{
    const ContinuousSaveResult saved = ::saveContinuousScan(baseName, session_.settings().fileType, *trace_, frame());
    if (!saved.ok) {
        // The window goes on with the series when a save fails; so does the
        // run, but the operator must hear of it and the run fails.
        status(2, saved.error.empty() ? "can't write " + saved.fileName : saved.error);
    } else {
        files_.push_back(saved.fileName);
        session_.status("vemar-cli: saved " + saved.fileName);
    }
    session_.measurement().Continue();
}

void ScanRun::printJson() const
{
    nlohmann::json document;
    if (request_.analyse) document = passbandJson(session_.passband());
    document["requested"] = request_.continuous ? request_.scans : 1;
    document["completed"] = completed_;
    document["cancelled"] = stopRequested_;
    document["scans"] = scans_;
    document["status"] = statuses_;
    document["files"] = files_;
    session_.printJson(document);
}
