#pragma once

// What the measurement thread tells the window. Calls come from the
// measurement thread; a window adapter posts each one to its own thread
// (texts travel by value, so they outlive the call). After
// waitBeforeNextScan and saveContinuousScan the thread waits until the
// owner lets it go on (ThreadMeasurement::Continue) or asks it to stop.

#include <string>

class MeasurementListener {
public:
    virtual ~MeasurementListener() = default;

    // A scan was turned into the trace; chartTitle is the transfer-function
    // chart's title for it ("Sampling res.: ...").
    virtual void scanCompleted(std::string chartTitle) = 0;
    virtual void measurementEnded() = 0;
    // The thread raised the sampling step of the settings' scan parameter block.
    virtual void samplingStepChanged(int samplingStepPm) = 0;
    // Severity 0 normal, 1 warning (yellow), 2 error (red); an empty text clears.
    virtual void statusMessage(int severity, std::string text) = 0;
    virtual void waitBeforeNextScan() = 0;
    // fileName has no extension; the scan is saved under it in the chosen type.
    virtual void saveContinuousScan(std::string fileName) = 0;

    // The one dialog of a measurement: shown, owned by no window, and the
    // thread goes on once it was closed. Without a window it is a log line.
    virtual void resolutionWarning(const std::string& caption, const std::string& text);
};
