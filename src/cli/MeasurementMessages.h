#pragma once

// The six messages of the measurement thread (and its one dialog), carried
// to the tool's main thread in arrival order: the headless counterpart of
// the window's posted messages. The thread only ever adds; the main thread
// takes them one by one and handles them, as the window's message loop does.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "MeasurementListener.h"

struct MeasurementMessage {
    enum class Kind {
        ScanCompleted,        // text: the chart title
        MeasurementEnded,
        SamplingStepChanged,  // number: the new step, pm
        Status,               // number: severity; text
        WaitBeforeNextScan,
        SaveContinuousScan,   // text: file name without extension
    };
    Kind kind;
    int number = 0;
    std::string text;
};

class MeasurementMessages : public MeasurementListener {
public:
    // The next message, or none when nothing arrived within timeout.
    std::optional<MeasurementMessage> next(std::chrono::milliseconds timeout);

    void scanCompleted(std::string chartTitle) override;
    void measurementEnded() override;
    void samplingStepChanged(int samplingStepPm) override;
    void statusMessage(int severity, std::string text) override;
    void waitBeforeNextScan() override;
    void saveContinuousScan(std::string fileName) override;
    // The thread waits for this box: it is printed at once, from its thread.
    void resolutionWarning(const std::string& caption, const std::string& text) override;

private:
    void post(MeasurementMessage message);

    // Protects queue_.
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<MeasurementMessage> queue_;
};
