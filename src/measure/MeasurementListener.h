#pragma once

// What the measurement thread tells its owner. Every call comes from the
// measurement thread; an owner with a window posts each one to its own
// thread (MeasurementSession does). Everything travels by value: texts are
// copies and a scan is an immutable snapshot. After waitBeforeNextScan and
// saveContinuousScan the thread waits until the owner lets it go on
// (ThreadMeasurement::Continue) or asks it to stop.

#include <optional>
#include <string>

#include "ScanSnapshot.h"

// A status-bar message of the measurement.
struct MeasurementStatus {
    int severity = 0;  // 0 normal, 1 warning (yellow), 2 error (red)
    std::string text;  // an empty text clears the status bar
    // The result code the text reports: the scan's (an error, a warning, or
    // 0 for the empty text of a clean scan) or the input power check's (109
    // to 124). None for the progress texts, a source that could not be
    // prepared and a failure of the link.
    std::optional<int> code;
};

class MeasurementListener {
public:
    virtual ~MeasurementListener() = default;

    // A scan ended with 0 or a warning; the snapshot carries its result and
    // how the trace takes it.
    virtual void scanCompleted(ScanSnapshotPtr scan) = 0;
    virtual void measurementEnded() = 0;
    // The thread had to raise the sampling step: the owner copies it into
    // its settings (the thread never writes them).
    virtual void samplingStepChanged(int samplingStepPm) = 0;
    virtual void statusMessage(MeasurementStatus status) = 0;
    virtual void waitBeforeNextScan() = 0;
    // fileName has no extension; the scan is saved under it in the chosen type.
    virtual void saveContinuousScan(std::string fileName) = 0;

    // The one dialog of a measurement: the thread goes on once it returns.
    // Without a window it is a log line.
    virtual void resolutionWarning(const std::string& caption, const std::string& text);
};
