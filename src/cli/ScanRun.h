#pragma once

// One measurement of "vemar-cli scan", started through the measurement
// session exactly as the window's start button starts it. The session posts
// the measurement thread's messages to the tool's main thread, which runs
// them in order (status texts to stderr, a progress line per scan, the
// files, the passband analysis) and lets the thread go on after its pauses.
// Ctrl-C is the stop button.

#include <nlohmann/json.hpp>

#include <string>

#include "About.h"
#include "MeasurementSession.h"
#include "ScanRequest.h"
#include "TaskQueue.h"
#include "UnitConnection.h"

class CliSession;
class StopRequest;
struct ScanFileFrame;

class ScanRun : private MeasurementView {
public:
    ScanRun(CliSession& session, const ScanRequest& request, const UnitState& unit);

    // Runs the measurement to its end; returns the exit code (1 when a scan
    // ended with an error or was cancelled). FileError when a file of a
    // completed scan cannot be written: the run is stopped first.
    int run();

    const About& about() const { return about_; }

private:
    // MeasurementView, on the main thread.
    void scanCompleted(ScanTrace& trace, const ScanSnapshotPtr& scan) override;
    void measurementEnded() override;
    void samplingStepChanged(int samplingStepPm) override;
    void statusMessage(const MeasurementStatus& status) override;
    void waitBeforeNextScan() override;
    void saveContinuousScan(const std::string& fileName) override;
    void resolutionWarning(const std::string& caption, const std::string& text) override;

    void status(int severity, const std::string& text, std::optional<int> code = std::nullopt);
    ScanFileFrame frame() const;
    void printJson() const;

    CliSession& session_;
    const ScanRequest& request_;
    const About about_;
    TaskQueue owner_;
    const StopRequest* stop_ = nullptr;
    ScanTrace* trace_ = nullptr;
    bool ended_ = false;
    int completed_ = 0;
    bool failed_ = false;
    bool stopRequested_ = false;
    bool cancelReported_ = false;
    // The JSON document's parts, filled as the run goes.
    nlohmann::json scans_ = nlohmann::json::array();
    nlohmann::json statuses_ = nlohmann::json::array();
    nlohmann::json pendingStatuses_ = nlohmann::json::array();
    nlohmann::json files_ = nlohmann::json::array();
};
