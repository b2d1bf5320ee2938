#pragma once

// One measurement started from the window: what the start button prepares
// (the per-measurement fields of the scan parameter block, the "Last Scan"
// trace and its curves) and the measurement thread, whose six messages are
// posted to the window's thread in arrival order, texts by value.
//
// The core's one measurement session (shared with vemar-cli) replaces the
// preparation here once it exists; the window only sees this class.

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>

#include "IdentityRecord.h"
#include "MeasurementListener.h"

class ApplicationConfig;
class ConfLaser;
class ScanManager;
class ScanTrace;
class SourceConfigurationView;
class ThreadMeasurement;

// The window's side of the measurement messages; every call runs on the
// window's thread.
class MeasurementMessageTarget {
public:
    virtual ~MeasurementMessageTarget() = default;
    virtual void scanCompleted() = 0;
    virtual void measurementEnded() = 0;
    virtual void samplingStepChanged(int samplingStepPm) = 0;
    virtual void statusMessage(int severity, const QString& text) = 0;
    virtual void waitBeforeNextScan() = 0;
    virtual void saveContinuousScan(const std::string& fileName) = 0;
    virtual void resolutionWarning(const QString& caption, const QString& text) = 0;
};

struct MeasurementFields {
    bool precise = false;
    // 0 normal, 2 etalon on port 1 for wavelength referencing, 3 test mode.
    int acquisitionMode = 0;
};

// Fills the per-measurement fields of the settings' scan parameter block.
// False when no enabled source covers the scan range.
bool fillMeasurementFields(ApplicationConfig& settings, ConfLaser& sources, const MeasurementFields& fields);

// The first trace named "Last Scan", made current (created when there is
// none; *created tells), with the curves of the enabled inputs.
ScanTrace& lastScanTrace(ScanManager& scans, const SourceConfigurationView& liveConfiguration,
                         const ApplicationConfig& settings, bool* created);

inline constexpr const char* lastScanName = "Last Scan";

class MeasurementRun {
public:
    // Starts the measurement thread at once. receiver is the QObject on
    // whose thread the target's calls run; both outlive nothing: a message
    // that arrives after the receiver went is dropped.
    MeasurementRun(QObject& receiver, MeasurementMessageTarget& target, ConfLaser& sources,
                   ApplicationConfig& settings, const IdentityRecord& identity, ScanTrace& trace);
    // Stops the measurement and waits for its thread.
    ~MeasurementRun();
    MeasurementRun(const MeasurementRun&) = delete;
    MeasurementRun& operator=(const MeasurementRun&) = delete;

    void requestCancel();
    // A continuous run ends after the scan under way.
    void markLast();
    // Lets the thread go on after waitBeforeNextScan or saveContinuousScan.
    void Continue();
    bool finished() const;
    // Waits at most timeoutMs for the thread's end; true when it ended.
    bool waitForEnd(int timeoutMs) const;

private:
    class Listener;
    std::unique_ptr<Listener> listener_;
    std::unique_ptr<ThreadMeasurement> thread_;
};
