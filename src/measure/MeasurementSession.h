#pragma once

// The measurements of one program run, for the window and vemar-cli alike:
// the settings, the live source configuration, the scan store with its
// "Last Scan" trace, the unit's identity and the measurement thread. The
// window's start button and "vemar-cli scan" both start a measurement
// here, so both run the same steps.
//
// Threads. The session belongs to its owner's thread (the window's, or the
// tool's main thread): every member is called there. The measurement thread
// talks to the session only; the session posts each of its messages to the
// owner's thread through the PostToOwner given at start, in the order they
// were sent, and there it first does its own part (the "Last Scan" trace
// takes the published scan, the settings take a raised sampling step, the
// ended thread is joined) and then tells the owner's MeasurementView. So the
// trace, the settings and the scan store are only ever touched on the
// owner's thread; what crosses threads is copied or an immutable snapshot.
// The one thing still shared is the live source configuration: the thread
// prepares and moves the sources and writes their aligned starts (and, in
// trigger mode, source 0's range), so the owner keeps its source editors,
// and whatever else reads the records, away from it while a measurement runs.

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Applicationconfig.h"
#include "ConfLaserView.h"
#include "IdentityRecord.h"
#include "MeasurementListener.h"
#include "ScanSnapshot.h"
#include "Scanmanager.h"
#include "ThreadMeasurement.h"
#include "UnitDetection.h"

class ConfLaser;

// What the owner of a measurement hears, always on its own thread and in the
// order the measurement thread sent it.
class MeasurementView {
public:
    virtual ~MeasurementView() = default;

    // The scan is in the trace (its result, curves and envelopes): refresh
    // the pages it feeds and run the passband analysis. The snapshot is the
    // one the thread published; it may be kept and read from any thread.
    virtual void scanCompleted(ScanTrace& trace, const ScanSnapshotPtr& scan) = 0;
    // The thread has ended and is gone; another measurement may start.
    virtual void measurementEnded() = 0;
    // The settings' sampling step (and the block's) now hold the raised step.
    virtual void samplingStepChanged(int samplingStepPm) = 0;
    virtual void statusMessage(const MeasurementStatus& status) = 0;
    // The thread waits: MeasurementSession::Continue() when the delay is over
    // (at once without a delay).
    virtual void waitBeforeNextScan() = 0;
    // The thread waits: save the trace under fileName (no extension) in the
    // chosen type, then MeasurementSession::Continue().
    virtual void saveContinuousScan(const std::string& fileName) = 0;
    // The resolution box; the thread goes on when this returns.
    virtual void resolutionWarning(const std::string& caption, const std::string& text) = 0;
    // The chart shows THz: the trace's curves are built in that unit.
    virtual bool frequencyDisplay() const { return false; }
};

// Runs a task later on the owner's thread, tasks in the order posted; called
// from the measurement thread. A window posts a queued call; a program
// without one uses a TaskQueue.
using PostToOwner = std::function<void(std::function<void()>)>;

// A measurement that cannot start; nothing was changed.
class MeasurementRefused : public std::runtime_error {
public:
    enum class Reason {
        NoSourceInRange,  // no enabled source covers the scan range
        Calibration,      // the calibration tables cannot be used
        ExtCorrection,    // the EXT input is measured and its local correction file is damaged
        Running,          // a measurement already runs
    };
    MeasurementRefused(Reason reason, const std::string& text) : std::runtime_error(text), reason_(reason) {}
    Reason reason() const { return reason_; }

private:
    Reason reason_;
};

// Where a session finds what it works with.
struct SessionSetup {
    // The source configuration measured with; the live one when null.
    ConfLaser* sources = nullptr;
    // The root of the folder tree; the user's documents folder when empty.
    std::optional<std::string> documentsFolder;
    // The window's form and chart (none without a window).
    ScanForm* form = nullptr;
    ScanChart* chart = nullptr;
};

// The per-measurement choices of the start button beyond the settings.
struct MeasurementStartOptions {
    // "Precise Mode" (factory switch).
    bool precise = false;
    // 0 normal, 2 etalon on port 1, 3 test mode (factory boxes).
    int acquisitionMode = 0;
    // The date and time of each automatically saved scan (the clock when empty).
    ThreadMeasurement::DateTimeSource now;
};

// What the simulation switch asks for, set up once when the program starts.
struct SimulatorStart {
    std::string preset;  // empty: the default bench
    std::optional<std::uint64_t> seed;
    std::optional<double> timeScale;  // simulated time against real time
    std::optional<int> dspRelease;    // the simulated unit's DSP release
    bool unplugged = false;
    // Faults the simulated unit commits (SimulatorPlugin::injectUnitFault): kind, argument.
    std::vector<std::pair<std::string, int>> unitFaults;
};

class MeasurementSession {
public:
    explicit MeasurementSession(SessionSetup setup = {});
    // Stops a running measurement and waits for its thread.
    ~MeasurementSession();
    MeasurementSession(const MeasurementSession&) = delete;
    MeasurementSession& operator=(const MeasurementSession&) = delete;

    ApplicationConfig& settings() { return settings_; }
    const ApplicationConfig& settings() const { return settings_; }
    ConfLaser& sources() { return sources_; }
    ScanManager& scans() { return scans_; }
    const SourceConfigurationView& liveConfiguration() const { return liveConfiguration_; }

    // ---- the simulator (the program's entry, at start-up)
    // Loads the plug-in with its preset and seed and applies the controls
    // (the link's and the drivers' waits follow the time scale). False with
    // the reason in *error when the plug-in is missing or refuses.
    static bool startSimulator(const SimulatorStart& start, std::string* error);
    // Ends what startSimulator changed in the program (the drivers' pauses).
    static void stopSimulator();
    // With the simulator active: builds its GPIB bus as the source records
    // and the block's switch say, once the configuration is read.
    void placeSimulatedInstruments() const;
    static void placeSimulatedInstruments(const ConfLaser& sources, const ScanParameterBlock& block);

    // ---- the unit (never while a measurement runs)
    // Device detection (the questions go to the caller); keeps the identity
    // of a usable unit (a zero record otherwise). While a measurement runs
    // the unit is left alone and the identity stays: the state then says
    // only whether the unit is still on USB.
    UnitState detectUnit(const UnitQuestions& questions = {});
    const IdentityRecord& identity() const { return identity_; }
    void setIdentity(const IdentityRecord& identity) { identity_ = identity; }

    // ---- a measurement
    // The start button: reads the calibration tables (the one place a
    // measurement reads them: loadMeasurementCalibration), fills the
    // per-measurement fields of the scan parameter block, finds (or creates) the
    // "Last Scan" trace with one curve per enabled input (envelopes in
    // continuous mode) and starts the measurement thread. Returns the trace.
    // MeasurementRefused when it cannot start (before anything changed).
    // view and post must serve until the view hears measurementEnded (or
    // abort() returns).
    ScanTrace& start(MeasurementView& view, PostToOwner post, const MeasurementStartOptions& options = {});
    bool running() const { return static_cast<bool>(run_); }
    // The "Last Scan" trace of the running (or last) measurement, or null;
    // valid while the scan store keeps it (it is not deleted during a run).
    // Null once the trace was deleted from the store (a "Clear &Current
    // Scan" after the run).
    ScanTrace* lastScan() const;

    // The stop button: a single scan is cancelled; a continuous run ends
    // after the scan under way (at once in trigger mode). The end comes, as
    // always, with measurementEnded.
    void stop();
    // Cancels the scan under way and ends the run.
    void cancel();
    // Cancels the run and waits for its thread, here and now; what it had
    // still to say is dropped (the view hears nothing more, not even
    // measurementEnded). For an owner that cannot go on with the run (an
    // error of its own) and for the session's end.
    void abort();
    // Lets the thread go on after waitBeforeNextScan or saveContinuousScan.
    void Continue();

    static constexpr const char* lastScanName = "Last Scan";

private:
    class Run;
    void fillMeasurementFields(const MeasurementStartOptions& options);
    ScanTrace& findLastScan();

    ApplicationConfig settings_;
    ConfLaser& sources_;
    ConfLaserView liveConfiguration_;
    ScanManager scans_;
    IdentityRecord identity_;
    ScanTrace* lastScan_ = nullptr;
    // The running measurement; its posted messages hold it weakly, so a
    // message that arrives after the session is gone does nothing.
    std::shared_ptr<Run> run_;
};
