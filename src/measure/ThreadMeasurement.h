#pragma once

// One measurement on a worker thread: the resolution check, the input power
// check, then pass after pass of source preparation, start alignment and
// scan, until a single scan is done, the scan limit is reached, the owner
// asks to stop or an error ends the run. Everything the owner must know goes
// to its MeasurementListener; each scan goes as an immutable snapshot.
//
// The thread works on its own copy of the settings, the calibration tables
// it was given and storage of its own for each scan: it never reads or
// writes the owner's settings or traces. It shares the source configuration,
// whose editors the owner keeps disabled while the measurement runs.
//
// The owner may call, from any thread: requestCancel() (the scan in progress
// stops at its next step), markLast() (a continuous run ends after the
// current scan) and Continue() (lets the thread go on after
// waitBeforeNextScan or saveContinuousScan); each wakes the thread where it
// waits. Destroying the object stops the measurement and waits for its end.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "Applicationconfig.h"
#include "ContinuousScanSaving.h"
#include "IdentityRecord.h"
#include "ScanSnapshot.h"
#include "Thread.h"

class ConfLaser;
class ControlSnS;
class MeasurementListener;
class TabCalib;

class ThreadMeasurement : public Thread {
public:
    using DateTimeSource = std::function<ScanDateTime()>;

    static constexpr const char* resolutionCaption = "Invalid sampling  resolution";

    // Starts the measurement at once with a copy of settings and the
    // measurement's calibration tables (loadMeasurementCalibration). now
    // gives the date and time of each automatically saved scan (the local
    // clock when empty).
    ThreadMeasurement(MeasurementListener& window, ConfLaser& sources, const ApplicationConfig& settings,
                      const IdentityRecord& identity, std::unique_ptr<TabCalib> calib, DateTimeSource now = {});
    ~ThreadMeasurement() override;

    void markLast();
    void Continue();

    bool single() const { return single_.load(); }
    // The current run's folder for automatic saving, ending with "/"
    // (empty until the first save). Read it once the measurement has ended.
    const std::string& runFolder() const { return runFolder_; }

protected:
    void Execute() override;
    void cancelRequestedHook() override;

private:
    void run();
    bool limitReached() const;
    std::string chartTitle(const ScanRes& result) const;
    void saveScan();
    // Waits at least 200 ms and until the owner lets the thread go on or
    // asks it to stop.
    void waitForOwner();

    MeasurementListener& window_;
    ConfLaser& sources_;
    const ApplicationConfig settings_;
    const IdentityRecord identity_;
    std::unique_ptr<TabCalib> calib_;
    DateTimeSource now_;
    std::unique_ptr<ControlSnS> controller_;
    std::atomic<bool> single_;
    std::string runFolder_;
    // Scans completed so far; the scan limit counts them.
    int scansBuilt_ = 0;

    // Protects released_; signalled by Continue, markLast and a cancel request.
    std::mutex waitMutex_;
    std::condition_variable waitSignal_;
    bool released_ = false;
};
