#pragma once

// One measurement on a worker thread: the resolution check, the input power
// check, then pass after pass of source preparation, start alignment, scan
// and trace building, until a single scan is done, the scan limit is
// reached, the owner asks to stop or an error ends the run. Everything the
// window must know goes to its MeasurementListener.
//
// The owner (the window) keeps the settings, the source configuration and
// the trace untouched while the measurement runs. It may call, from any
// thread: requestCancel() (the scan in progress stops at its next step),
// markLast() (a continuous run ends after the current scan) and Continue()
// (lets the thread go on after waitBeforeNextScan or saveContinuousScan).
// Destroying the object stops the measurement and waits for its end.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "ContinuousScanSaving.h"
#include "IdentityRecord.h"
#include "Thread.h"

class ApplicationConfig;
class ConfLaser;
class ControlSnS;
class MeasurementListener;
class ScanTrace;

class ThreadMeasurement : public Thread {
public:
    using DateTimeSource = std::function<ScanDateTime()>;

    static constexpr const char* resolutionCaption = "Invalid sampling  resolution";

    // Starts the measurement at once. now gives the date and time of each
    // automatically saved scan (the local clock when empty).
    ThreadMeasurement(MeasurementListener& window, ConfLaser& sources, ApplicationConfig& settings,
                      const IdentityRecord& identity, ScanTrace& trace, DateTimeSource now = {});
    ~ThreadMeasurement() override;

    void markLast();
    void Continue();

    bool single() const { return single_.load(); }
    // The current run's folder for automatic saving, ending with "/"
    // (empty until the first save). Read it once the measurement has ended.
    const std::string& runFolder() const { return runFolder_; }

protected:
    void Execute() override;

private:
    void run();
    bool limitReached() const;
    int scanCount() const;
    std::string chartTitle() const;
    void saveScan();
    // Waits at least 200 ms and until the owner lets the thread go on or
    // asks it to stop.
    void waitForOwner();

    MeasurementListener& window_;
    ConfLaser& sources_;
    ApplicationConfig& settings_;
    const IdentityRecord identity_;
    ScanTrace& trace_;
    DateTimeSource now_;
    std::unique_ptr<ControlSnS> controller_;
    std::atomic<bool> single_;
    std::string runFolder_;
    int scansBuilt_ = 0;

    // Protects released_; signalled by Continue and markLast.
    std::mutex waitMutex_;
    std::condition_variable waitSignal_;
    bool released_ = false;
};
