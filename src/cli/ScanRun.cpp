#include "ScanRun.h"

#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "Applicationconfig.h"
#include "CalibrationFile.h"
#include "CliSession.h"
#include "ConfLaserView.h"
#include "ContinuousScanSaving.h"
#include "ExitCode.h"
#include "LocalAutoCalibBNC.h"
#include "MeasurementStart.h"
#include "NumberFormat.h"
#include "Passband.h"
#include "PassbandReport.h"
#include "PictureSupport.h"
#include "ScanFile.h"
#include "ScanOutputFiles.h"
#include "ScanResultText.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"
#include "StopRequest.h"
#include "ThreadMeasurement.h"

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

// The result code behind a status text of the measurement, for scripts:
// the scan codes with a text of their own (a generic "Error" gives 6) and
// the codes of the input power check; none for other texts (a source that
// refused, an error text of the controller).
std::optional<int> codeOfStatusText(const std::string& text)
{
    for (int code = 1; code <= 125; ++code) {
        if (const char* power = ScanResultText::forInputPowerCode(code); power != nullptr && text == power) return code;
        if (ScanResultText::forScanCode(code).text == text) return code;
    }
    return std::nullopt;
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
    : session_(session), request_(request), unit_(unit), about_(unit.identity.summary(), unit.status.release)
{
}

ScanFileFrame ScanRun::frame() const { return {about_, session_.settings(), session_.sections()}; }

int ScanRun::run()
{
    ApplicationConfig& settings = session_.settings();
    fillMeasurementFields(settings, session_.sources());
    // A damaged calibration file would move every level: the measurement
    // does not start. Without one it runs on zero tables, as the window does.
    const std::string calibrationPath = settings.calibFolder + calibrationFileName(unit_.identity);
    const CalibrationFileCheck calibration =
        checkCalibrationFile(calibrationPath, unit_.identity.calibrationKind(), &unit_.identity);
    if (!calibration.usable()) {
        const std::string text = calibrationFileStatusText(calibrationPath, calibration);
        if (calibration.missing) {
            status(ScanResultText::warning, text);
        } else {
            status(ScanResultText::error, text + "; 'vemar-cli calib read' copies the unit's own");
            if (session_.json()) printJson();
            return static_cast<int>(ExitCode::FileError);
        }
    }
    // The local correction of the EXT input, as the calibration file: a
    // damaged one would move every EXT level, so the EXT input is not
    // measured with it; unmeasured, it is only reported.
    const std::string bncPath = settings.calibFolder + LocalAutoCalibBNC::fileName;
    const LocalAutoCalibBNCCheck bnc = checkLocalAutoCalibBNC(bncPath);
    if (!bnc.missing && !bnc.usable()) {
        const std::string text = localAutoCalibBNCStatusText(bncPath, bnc);
        if (settings.scanParameters.enableExt != 0) {
            status(ScanResultText::error, text + "; delete it to measure the EXT input without its local correction");
            if (session_.json()) printJson();
            return static_cast<int>(ExitCode::FileError);
        }
        status(ScanResultText::warning, text + "; it is not used");
    }
    trace_ = &lastScanTrace(session_.scans(), session_.liveView(), settings);
    Passband& passband = session_.passband();
    passband.clearResults();

    // Pictures are drawn on this thread, so Qt starts here, before the run.
    std::unique_ptr<PictureSupport> pictures;
    if (request_.formats.png || settingsSavePicture(settings))
        pictures = std::make_unique<PictureSupport>(settings.scanParameters.bncEnable == 0);

    const StopRequest stop;
    passband.lockParameters();
    struct Unlock {
        Passband& passband;
        ~Unlock() { passband.unlockParameters(); }
    } unlock{passband};
    {
        ThreadMeasurement thread(messages_, session_.sources(), settings, unit_.identity, *trace_);
        bool ended = false;
        while (!ended) {
            if (stop.requested() && !stopRequested_) {
                // The stop button: the scan under way ends with the cancel
                // text and a continuous run ends with it.
                stopRequested_ = true;
                session_.status("vemar-cli: stop requested");
                thread.requestCancel();
                thread.markLast();
                thread.Continue();
            }
            const std::optional<MeasurementMessage> message = messages_.next(stopPoll);
            if (!message) continue;
            if (message->kind == MeasurementMessage::Kind::MeasurementEnded)
                ended = true;
            else
                handle(*message, thread, stop);
        }
    }
    // Stopped between two scans, the thread had no scan to cancel and said
    // nothing; the run still ends as a cancelled one.
    const ScanResultText::Status cancelled = ScanResultText::forScanCode(1);
    if (stopRequested_ && !cancelReported_) status(cancelled.severity, cancelled.text);
    if (session_.json()) printJson();
    if (completed_ < (request_.continuous ? request_.scans : 1) && !failed_) {
        // A run that ended early without saying why still failed its request.
        session_.status("vemar-cli: error: the measurement ended after " + std::to_string(completed_) + " scan(s)");
        failed_ = true;
    }
    return failed_ ? static_cast<int>(ExitCode::Failure) : 0;
}

void ScanRun::handle(const MeasurementMessage& message, ThreadMeasurement& thread, const StopRequest& stop)
{
    using Kind = MeasurementMessage::Kind;
    switch (message.kind) {
    case Kind::ScanCompleted: scanCompleted(message.text); break;
    case Kind::Status: status(message.number, message.text); break;
    case Kind::SamplingStepChanged:
        session_.settings().samplingStep = message.number;
        session_.status(cformat("vemar-cli: warning: the sampling resolution is now %d pm", message.number));
        break;
    case Kind::WaitBeforeNextScan:
        waitBetweenScans(stop);
        thread.Continue();
        break;
    case Kind::SaveContinuousScan:
        saveAutomatically(message.text);
        thread.Continue();
        break;
    case Kind::MeasurementEnded: break;
    }
}

void ScanRun::status(int severity, const std::string& text)
{
    if (text.empty()) return;
    if (stopRequested_ && text == ScanResultText::forScanCode(1).text) cancelReported_ = true;
    session_.status(std::string("vemar-cli: ") + severityPrefix(severity) + text);
    if (severity >= 2) failed_ = true;
    nlohmann::json entry{{"severity", severity}, {"text", text}};
    if (const std::optional<int> code = codeOfStatusText(text)) entry["code"] = *code;
    statuses_.push_back(entry);
    pendingStatuses_.push_back(entry);
}

void ScanRun::scanCompleted(const std::string& chartTitle)
{
    ++completed_;
    const std::string count =
        request_.continuous ? cformat("%d/%d", completed_, request_.scans) : std::to_string(completed_);
    session_.status("vemar-cli: scan " + count + " completed (" + chartTitle + ")");

    nlohmann::json written = nlohmann::json::array();
    if (request_.outBase) {
        for (const std::string& file : saveScanOutputs(scanBaseName(request_, completed_), request_.formats, *trace_,
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
    // is its code (the input power check's codes belong to the run).
    int code = 0;
    for (const nlohmann::json& entry : pendingStatuses_) {
        const int c = entry.value("code", 0);
        if ((c >= 100 && c < 109) || c == 125) code = c;
    }
    scans_.push_back({{"index", completed_},
                      {"code", code},
                      {"title", chartTitle},
                      {"status", pendingStatuses_},
                      {"files", written}});
    pendingStatuses_ = nlohmann::json::array();
}

void ScanRun::waitBetweenScans(const StopRequest& stop)
{
    const int delay = session_.settings().scanDelay;
    if (delay <= 0) return;
    session_.status(cformat("vemar-cli: waiting %d s before the next scan", delay));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(delay);
    while (std::chrono::steady_clock::now() < until && !stop.requested()) std::this_thread::sleep_for(stopPoll);
}

void ScanRun::saveAutomatically(const std::string& baseName)
{
    const ContinuousSaveResult saved = saveContinuousScan(baseName, session_.settings().fileType, *trace_, frame());
    if (!saved.ok) {
        // The window goes on with the series when a save fails; so does the
        // run, but the operator must hear of it and the run fails.
        status(2, saved.error.empty() ? "can't write " + saved.fileName : saved.error);
        return;
    }
    files_.push_back(saved.fileName);
    session_.status("vemar-cli: saved " + saved.fileName);
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
