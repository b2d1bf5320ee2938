#include "ThreadMeasurement.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <thread>

#include "ControlSnS.h"
#include "Log.h"
#include "MeasurementListener.h"
#include "NumberFormat.h"
#include "ScanResultText.h"
#include "Sourceconfig.h"
#include "StartAlignment.h"
#include "TabCalib.h"

namespace {
constexpr auto passPause = std::chrono::milliseconds(50);
constexpr auto shortestWait = std::chrono::milliseconds(200);

MeasurementStatus status(int severity, std::string text, std::optional<int> code = std::nullopt)
{
    return {severity, std::move(text), code};
}
}  // namespace

ThreadMeasurement::ThreadMeasurement(MeasurementListener& window, ConfLaser& sources, const ApplicationConfig& settings,
                                     const IdentityRecord& identity, std::unique_ptr<TabCalib> calib,
                                     DateTimeSource now)
    : window_(window),
      sources_(sources),
      settings_(settings),
      identity_(identity),
      calib_(std::move(calib)),
      now_(now ? std::move(now) : DateTimeSource(&ScanDateTime::now)),
      single_(settings.measurementType == 0)
{
    resume();
}

ThreadMeasurement::~ThreadMeasurement()
{
    requestCancel();
    Continue();
    wait();
}

void ThreadMeasurement::markLast()
{
    single_ = true;
    std::lock_guard lock(waitMutex_);
    waitSignal_.notify_all();
}

void ThreadMeasurement::Continue()
{
    std::lock_guard lock(waitMutex_);
    released_ = true;
    waitSignal_.notify_all();
}

void ThreadMeasurement::cancelRequestedHook()
{
    // The flag is already set: taking the lock before the signal makes sure
    // a thread about to wait sees it.
    std::lock_guard lock(waitMutex_);
    waitSignal_.notify_all();
}

void ThreadMeasurement::Execute()
{
    try {
        run();
    } catch (const std::exception& error) {
        // A link failure (a refused acknowledgement, a lost unit) ends the
        // measurement; the user sees why.
        Log::error("ThreadMeasurement: %s\n", error.what());
        window_.statusMessage(status(ScanResultText::error, error.what()));
    } catch (...) {
        window_.statusMessage(status(ScanResultText::error, "Error"));
    }
    window_.measurementEnded();
}

void ThreadMeasurement::run()
{
    window_.statusMessage(status(ScanResultText::normal, ""));
    // Without tables the levels are not calibrated, as with a missing file.
    if (!calib_) calib_ = std::make_unique<TabCalib>(settings_.calibFolder, identity_);
    controller_ = std::make_unique<ControlSnS>(settings_.scanParameters, identity_, settings_.calibFolder, *calib_);
    ScanParameterBlock& block = controller_->block();
    const bool continuous = settings_.measurementType != 0;

    const int step = controller_->MinimumSamplingStep(sources_);
    if (step != block.samplingStep) {
        window_.resolutionWarning(resolutionCaption,
                                  "The current sampling resolution do not allow to memorize all the points.\n"
                                  " The sampling resolution has been set to " +
                                      std::to_string(step) + "pm");
        block.samplingStep = static_cast<std::int16_t>(step);
        window_.samplingStepChanged(step);
    }

    int code = controller_->CheckInputPowers(sources_);
    if (code >= 100)
        if (const char* text = ScanResultText::forInputPowerCode(code))
            window_.statusMessage(status(ScanResultText::warning, text, code));

    bool first = true;
    bool ended = false;
    int resetCounter = 0;
    do {
        if (code == 0) window_.statusMessage(status(ScanResultText::normal, "Source configuration"));
        const char* failure = nullptr;
        std::string failureText;
        if (block.trigger == 0) {
            failure = sources_.Init();
            if (failure != nullptr) failureText = failure;
        }
        StartAlignment::AlignSources(sources_, *calib_, block.trigger != 0);

        if (failure != nullptr) {
            window_.statusMessage(status(ScanResultText::error, failureText));
            ended = true;
        } else {
            if (code == 0) window_.statusMessage(status(ScanResultText::normal, "Data acquisition"));
            // Each scan is built in a snapshot of its own: once published it
            // is never written again.
            auto scan = std::make_shared<ScanSnapshot>();
            code = controller_->Scan(sources_, scan->result, [this] { return cancelRequested(); });
            if (ScanResultText::isError(code)) {
                if (controller_->errorText()) {
                    window_.statusMessage(status(ScanResultText::error, *controller_->errorText(), code));
                } else {
                    const ScanResultText::Status text = ScanResultText::forScanCode(code);
                    window_.statusMessage(status(text.severity, text.text, code));
                    ended = true;
                }
            } else {
                const ScanResultText::Status text = ScanResultText::forScanCode(code);
                window_.statusMessage(status(text.severity, text.text, code));
                ++scansBuilt_;
                scan->index = scansBuilt_;
                scan->code = code;
                scan->samplingStepPm = block.samplingStep;
                scan->firstOfRun = first;
                scan->extReferenced = block.bncEnable != 0;
                first = false;
                if (continuous && settings_.minMaxResetEnabled) {
                    if (resetCounter >= settings_.minMaxResetModulo) {
                        scan->restartEnvelopes = true;
                        resetCounter = 1;
                    } else {
                        ++resetCounter;
                    }
                }
                scan->chartTitle = chartTitle(scan->result);
                window_.scanCompleted(std::move(scan));
                if (continuous && settings_.scanSaveEnabled) saveScan();
                // A run that ends after this scan has nothing to wait for.
                if (continuous && !limitReached() && !single_) {
                    {
                        std::lock_guard lock(waitMutex_);
                        released_ = false;
                    }
                    window_.waitBeforeNextScan();
                    waitForOwner();
                }
            }
        }
        std::this_thread::sleep_for(passPause);
    } while (!single_ && !limitReached() && !ended);
}

bool ThreadMeasurement::limitReached() const
{
    return settings_.scanLimitEnabled && scansBuilt_ >= settings_.scanLimit;
}

std::string ThreadMeasurement::chartTitle(const ScanRes& result) const
{
    std::string title = cformat("Sampling res.: %d pm", controller_->block().samplingStep);
    const std::vector<double>& velocities = result.sweepVelocities;
    for (std::size_t i = 0; i < velocities.size(); ++i)
        title += cformat("    TLS %d: %d nm/s", static_cast<int>(i) + 1, static_cast<int>(std::trunc(velocities[i])));
    return title;
}

void ThreadMeasurement::saveScan()
{
    const ScanDateTime when = now_();
    const std::string name = continuousScanName(when);
    std::string folder = settings_.scanFilesFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    if (runFolder_.empty()) {
        // The series folder is named after the first scan, or beside that
        // name when something else stands there.
        runFolder_ = startContinuousSeries(settings_.scanFilesFolder, when).substr(folder.size());
    }
    {
        std::lock_guard lock(waitMutex_);
        released_ = false;
    }
    window_.saveContinuousScan(folder + runFolder_ + name);
    waitForOwner();
}

void ThreadMeasurement::waitForOwner()
{
    const auto earliest = std::chrono::steady_clock::now() + shortestWait;
    const bool singleBefore = single_;
    std::unique_lock lock(waitMutex_);
    // The shortest pause is kept whatever happens meanwhile.
    waitSignal_.wait_until(lock, earliest, [] { return false; });
    waitSignal_.wait(lock, [&] { return released_ || cancelRequested() || (single_ && !singleBefore); });
}
