#include "MeasurementSession.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "ControlSnS.h"
#include "DriverPause.h"
#include "LinkTiming.h"
#include "MeasurementCalibration.h"
#include "NumberFormat.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "TabCalib.h"

// ---------------------------------------------------------------------------
// One measurement: the listener of its thread, which posts every message to
// the owner's thread.

class MeasurementSession::Run : public MeasurementListener {
public:
    Run(MeasurementSession& session, MeasurementView& view, PostToOwner post)
        : session_(session), view_(view), post_(std::move(post))
    {
    }

    // first reaches the view before anything the thread says.
    void start(const ThreadMeasurement::DateTimeSource& now, std::unique_ptr<TabCalib> calib, std::weak_ptr<Run> self,
               std::vector<MeasurementStatus> first = {})
    {
        self_ = std::move(self);
        for (MeasurementStatus& status : first) statusMessage(std::move(status));
        thread_ = std::make_unique<ThreadMeasurement>(*this, session_.sources_, session_.settings_, session_.identity_,
                                                      std::move(calib), now);
    }

    ThreadMeasurement& thread() { return *thread_; }

    // Wakes a thread waiting for the resolution box: the owner will not
    // close it any more (a cancel, the session going).
    void abandonBox()
    {
        std::lock_guard lock(boxMutex_);
        boxAbandoned_ = true;
        boxClosed_.notify_all();
    }

    // On the owner's thread, after the thread's last message: joins it.
    void finish() { thread_.reset(); }

    // ---- MeasurementListener, on the measurement thread
    void scanCompleted(ScanSnapshotPtr scan) override
    {
        toOwner([scan = std::move(scan)](Run& run) {
            // The owner keeps the trace while a measurement runs; should it
            // have gone anyway, the scan is dropped rather than written to
            // freed memory.
            ScanTrace* trace = run.session_.lastScan();
            if (!trace) return;
            applyScan(*trace, *scan, run.view_.frequencyDisplay());
            run.view_.scanCompleted(*trace, scan);
        });
    }
    void measurementEnded() override
    {
        toOwner([](Run& run) {
            MeasurementView& view = run.view_;
            // The session no longer runs a measurement once the view hears of
            // its end: the view may start the next one.
            run.finish();
            run.session_.run_.reset();
            view.measurementEnded();
        });
    }
    void samplingStepChanged(int samplingStepPm) override
    {
        toOwner([samplingStepPm](Run& run) {
            ApplicationConfig& settings = run.session_.settings_;
            settings.samplingStep = samplingStepPm;
            settings.scanParameters.samplingStep = static_cast<std::int16_t>(samplingStepPm);
            run.view_.samplingStepChanged(samplingStepPm);
        });
    }
    void statusMessage(MeasurementStatus status) override
    {
        toOwner([status = std::move(status)](Run& run) { run.view_.statusMessage(status); });
    }
    void waitBeforeNextScan() override
    {
        toOwner([](Run& run) { run.view_.waitBeforeNextScan(); });
    }
    void saveContinuousScan(std::string fileName) override
    {
        toOwner([fileName = std::move(fileName)](Run& run) { run.view_.saveContinuousScan(fileName); });
    }
    void resolutionWarning(const std::string& caption, const std::string& text) override
    {
        {
            std::lock_guard lock(boxMutex_);
            boxShown_ = false;
        }
        toOwner([caption, text](Run& run) {
            run.view_.resolutionWarning(caption, text);
            std::lock_guard lock(run.boxMutex_);
            run.boxShown_ = true;
            run.boxClosed_.notify_all();
        });
        // The thread waits for the box, as it would for a modal one.
        std::unique_lock lock(boxMutex_);
        boxClosed_.wait(lock, [this] { return boxShown_ || boxAbandoned_; });
    }

private:
    // Posts f to the owner's thread; it runs there only while the run lives.
    template <typename F>
    void toOwner(F f)
    {
        post_([weak = self_, f = std::move(f)] {
            if (const std::shared_ptr<Run> run = weak.lock()) f(*run);
        });
    }

    MeasurementSession& session_;
    MeasurementView& view_;
    PostToOwner post_;
    std::weak_ptr<Run> self_;
    std::unique_ptr<ThreadMeasurement> thread_;

    // Protects boxShown_ and boxAbandoned_.
    std::mutex boxMutex_;
    std::condition_variable boxClosed_;
    bool boxShown_ = false;
    bool boxAbandoned_ = false;
};

// ---------------------------------------------------------------------------

MeasurementSession::MeasurementSession(SessionSetup setup)
    : settings_(setup.documentsFolder ? ApplicationConfig(*setup.documentsFolder) : ApplicationConfig()),
      sources_(setup.sources != nullptr ? *setup.sources : ConfLaser::live()),
      liveConfiguration_(sources_),
      scans_(setup.form, setup.chart, &liveConfiguration_)
{
}

MeasurementSession::~MeasurementSession() { abort(); }

void MeasurementSession::abort()
{
    if (!run_) return;
    // The thread's last messages find the run gone and do nothing.
    run_->abandonBox();
    run_->finish();
    run_.reset();
}

// ---------------------------------------------------------------------------
// The simulator

bool MeasurementSession::startSimulator(const SimulatorStart& start, std::string* error)
{
    if (!SimulatorPlugin::activate(start.preset, start.seed, error)) return false;
    if (start.timeScale) {
        const double scale = *start.timeScale;
        SimulatorPlugin::setTimeScale(scale);
        LinkTiming::setScale(scale);
        DriverPause::setPauseFunction([scale](int milliseconds) {
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(milliseconds * scale));
        });
    }
    if (start.dspRelease && !SimulatorPlugin::setUnitRelease(*start.dspRelease)) {
        if (error != nullptr) *error = "the simulated unit refused the DSP release";
        return false;
    }
    if (start.unplugged) SimulatorPlugin::setUnitPlugged(false);
    for (const auto& [kind, argument] : start.unitFaults) {
        if (!SimulatorPlugin::injectUnitFault(kind, argument)) {
            if (error != nullptr) *error = "unknown simulated fault '" + kind + "'";
            return false;
        }
    }
    return true;
}

void MeasurementSession::stopSimulator() { DriverPause::setPauseFunction({}); }

void MeasurementSession::placeSimulatedInstruments() const
{
    placeSimulatedInstruments(sources_, settings_.scanParameters);
}

void MeasurementSession::placeSimulatedInstruments(const ConfLaser& sources, const ScanParameterBlock& block)
{
    if (!SimulatorPlugin::active()) return;
    std::vector<SimulatorPlugin::BenchLaser> lasers;
    for (const SourceConfig& s : sources.sources)
        lasers.push_back({s.enable, s.address, s.type, s.lambdaMin, s.lambdaMax});
    SimulatorPlugin::placeInstruments(lasers, ControlSnS::switchAddressOf(block));
}

// ---------------------------------------------------------------------------
// The unit

UnitState MeasurementSession::detectUnit(const UnitQuestions& questions)
{
    if (running()) {
        // The measurement thread owns the link: the unit is left alone and
        // is taken to be as it was when the measurement started.
        UnitState state;
        state.presence = unitPresent() ? UnitState::Presence::Present : UnitState::Presence::Absent;
        state.releaseOk = true;
        state.identity = identity_;
        return state;
    }
    UnitState state = ::detectUnit(settings_.calibFolder, questions);
    identity_ = state.usable() ? state.identity : IdentityRecord{};
    return state;
}

// ---------------------------------------------------------------------------
// A measurement

void MeasurementSession::fillMeasurementFields(const MeasurementStartOptions& options)
{
    ScanParameterBlock& block = settings_.scanParameters;
    block.flagA = 1;
    block.flagB = 1;
    block.inputIndex = static_cast<std::int16_t>(sources_.firstActive);
    block.lastInputIndex = static_cast<std::int16_t>(sources_.endActive - 1);
    block.flagC = 0;
    block.flagD = 1;
    block.precise = options.precise ? 1 : 0;
    block.samplingStep = static_cast<std::int16_t>(settings_.samplingStep);
    block.acquisitionMode = static_cast<std::int16_t>(options.acquisitionMode);
}

ScanTrace& MeasurementSession::findLastScan()
{
    int found = -1;
    for (int i = 0; i < scans_.Count() && found < 0; ++i)
        if (scans_.Get(i).name() == lastScanName) found = i;
    ScanTrace* trace = nullptr;
    if (found >= 0) {
        trace = &scans_.Select(found);
    } else {
        trace = &scans_.NewTrace(&liveConfiguration_);
        trace->setName(lastScanName);
    }
    const ScanParameterBlock& block = settings_.scanParameters;
    const bool continuous = settings_.measurementType == 1;
    const std::array<std::pair<const char*, bool>, 6> inputs = {{
        {"1", true},
        {"2", block.enable2 != 0},
        {"3", block.enable3 != 0},
        {"4", block.enable4 != 0},
        {"Ext", block.enableExt != 0},
        {"Orl", block.enableOrl != 0},
    }};
    for (const auto& [name, enabled] : inputs) {
        if (enabled)
            trace->AddCurve(name, continuous);
        else
            trace->RemoveCurve(name);
    }
    return *trace;
}

ScanTrace& MeasurementSession::start(MeasurementView& view, PostToOwner post, const MeasurementStartOptions& options)
{
    if (running()) throw MeasurementRefused(MeasurementRefused::Reason::Running, "a measurement is running");
    sources_.UpdateActiveRange();
    if (sources_.firstActive >= ConfLaser::sourceCount)
        throw MeasurementRefused(MeasurementRefused::Reason::NoSourceInRange,
                                 cformat("no enabled source covers the scan range %.1f to %.1f nm", sources_.lambdaMin,
                                         sources_.lambdaMax));
    // Read once for the whole measurement, before anything is changed: a
    // calibration that cannot be used refuses the start here.
    std::string missingCalibration;
    std::unique_ptr<TabCalib> calib =
        loadMeasurementCalibration(settings_.calibFolder, identity_, &missingCalibration);
    const std::string extCorrection =
        checkMeasurementExtCorrection(settings_.calibFolder, settings_.scanParameters.enableExt != 0);
    fillMeasurementFields(options);
    lastScan_ = &findLastScan();
    auto run = std::make_shared<Run>(*this, view, std::move(post));
    run_ = run;
    // Uncalibrated levels (and an EXT correction left out) are worth a
    // warning the operator sees, ahead of everything the thread will say.
    std::vector<MeasurementStatus> warnings;
    for (const std::string& text : {missingCalibration, extCorrection})
        if (!text.empty()) warnings.push_back(MeasurementStatus{1, text, std::nullopt});
    run->start(options.now, std::move(calib), run, std::move(warnings));
    return *lastScan_;
}

ScanTrace* MeasurementSession::lastScan() const
{
    // The store may have deleted the trace since: only a pointer it still
    // holds is handed out.
    for (int i = 0; i < scans_.Count(); ++i)
        if (&scans_.Get(i) == lastScan_) return lastScan_;
    return nullptr;
}

void MeasurementSession::stop()
{
    if (!run_) return;
    ThreadMeasurement& thread = run_->thread();
    if (settings_.measurementType == 0) {
        run_->abandonBox();
        thread.requestCancel();
    } else {
        if (settings_.scanParameters.trigger != 0) {
            run_->abandonBox();
            thread.requestCancel();
        }
        thread.markLast();
    }
    thread.Continue();
}

void MeasurementSession::cancel()
{
    if (!run_) return;
    ThreadMeasurement& thread = run_->thread();
    run_->abandonBox();
    thread.requestCancel();
    thread.markLast();
    thread.Continue();
}

void MeasurementSession::Continue()
{
    if (run_) run_->thread().Continue();
}
