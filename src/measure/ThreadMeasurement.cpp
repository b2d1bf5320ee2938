#include "ThreadMeasurement.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <thread>

#include "Applicationconfig.h"
#include "ControlSnS.h"
#include "Log.h"
#include "MeasurementListener.h"
#include "NumberFormat.h"
#include "ScanResultText.h"
#include "ScanTrace.h"
#include "Sourceconfig.h"
#include "StartAlignment.h"
#include "TabCalib.h"

namespace {
constexpr auto passPause = std::chrono::milliseconds(50);
constexpr auto shortestWait = std::chrono::milliseconds(200);
// How often a wait looks at the cancel request, which is a plain flag.
constexpr auto cancelPoll = std::chrono::milliseconds(20);
}  // namespace

ThreadMeasurement::ThreadMeasurement(MeasurementListener& window, ConfLaser& sources, ApplicationConfig& settings,
                                     const IdentityRecord& identity, ScanTrace& trace, DateTimeSource now)
    : window_(window),
      sources_(sources),
      settings_(settings),
      identity_(identity),
      trace_(trace),
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

void ThreadMeasurement::Execute()
{
    try {
        run();
    } catch (const std::exception& error) {
        // A link failure (a refused acknowledgement, a lost unit) ends the
        // measurement; the user sees why.
        Log::error("ThreadMeasurement: %s\n", error.what());
        window_.statusMessage(ScanResultText::error, error.what());
    } catch (...) {
        window_.statusMessage(ScanResultText::error, "Error");
    }
    window_.measurementEnded();
}

void ThreadMeasurement::run()
{
    window_.statusMessage(ScanResultText::normal, "");
    controller_ = std::make_unique<ControlSnS>(settings_.scanParameters, identity_, settings_.calibFolder);
    ScanParameterBlock& block = controller_->block();
    const bool continuous = settings_.measurementType != 0;

    const int step = controller_->MinimumSamplingStep(sources_);
    if (step != block.samplingStep) {
        window_.resolutionWarning(resolutionCaption,
                                  "The current sampling resolution do not allow to memorize all the points.\n"
                                  " The sampling resolution has been set to " +
                                      std::to_string(step) + "pm");
        block.samplingStep = static_cast<std::int16_t>(step);
        settings_.scanParameters.samplingStep = static_cast<std::int16_t>(step);
        window_.samplingStepChanged(step);
    }

    int code = controller_->CheckInputPowers(sources_);
    if (code >= 100)
        if (const char* text = ScanResultText::forInputPowerCode(code))
            window_.statusMessage(ScanResultText::warning, text);

    bool first = true;
    bool ended = false;
    int resetCounter = 0;
    do {
        if (code == 0) window_.statusMessage(ScanResultText::normal, "Source configuration");
        const char* failure = nullptr;
        std::string failureText;
        if (block.trigger == 0) {
            failure = sources_.Init();
            if (failure != nullptr) failureText = failure;
        }
        {
            TabCalib calib(settings_.calibFolder, identity_);
            IdentityRecord fileIdentity = identity_;
            calib.Load(fileIdentity);
            StartAlignment::AlignSources(sources_, calib, block.trigger != 0);
        }

        if (failure != nullptr) {
            window_.statusMessage(ScanResultText::error, failureText);
            ended = true;
        } else {
            if (code == 0) window_.statusMessage(ScanResultText::normal, "Data acquisition");
            code = controller_->Scan(sources_, trace_.result(), [this] { return cancelRequested(); });
            if (ScanResultText::isError(code)) {
                if (controller_->errorText()) {
                    window_.statusMessage(ScanResultText::error, *controller_->errorText());
                } else {
                    window_.statusMessage(ScanResultText::error, ScanResultText::forScanCode(code).text);
                    ended = true;
                }
            } else {
                const ScanResultText::Status status = ScanResultText::forScanCode(code);
                window_.statusMessage(status.severity, status.text);
                trace_.BuildTrace(first, block.bncEnable != 0, true);
                first = false;
                ++scansBuilt_;
                if (continuous && settings_.minMaxResetEnabled) {
                    if (resetCounter >= settings_.minMaxResetModulo) {
                        for (int c = 0; c < trace_.CurveCount(); ++c) trace_.CurveAt(c)->data().StartEnvelopes(false);
                        resetCounter = 1;
                    } else {
                        ++resetCounter;
                    }
                }
                window_.scanCompleted(chartTitle());
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

int ThreadMeasurement::scanCount() const
{
    // A trace without curves (a headless run) counts the scans built.
    const ScanCurve* firstCurve = trace_.CurveAt(0);
    return firstCurve != nullptr ? firstCurve->data().nbScan() : scansBuilt_;
}

bool ThreadMeasurement::limitReached() const
{
    return settings_.scanLimitEnabled && scanCount() >= settings_.scanLimit;
}

std::string ThreadMeasurement::chartTitle() const
{
    std::string title = cformat("Sampling res.: %d pm", controller_->block().samplingStep);
    const std::vector<double>& velocities = trace_.result().sweepVelocities;
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
    for (;;) {
        const bool stopAsked = cancelRequested() || (single_ && !singleBefore);
        if (std::chrono::steady_clock::now() >= earliest && (released_ || stopAsked)) return;
        waitSignal_.wait_for(lock, cancelPoll);
    }
}
