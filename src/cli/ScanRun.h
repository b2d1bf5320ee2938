#pragma once

// One measurement of "vemar-cli scan", driven the way the window's scan
// control drives it: the measurement thread runs the scans and posts its
// messages; the tool's main thread handles them in order (status texts to
// stderr, a progress line per scan, the files, the passband analysis) and
// lets the thread go on after its pauses. Ctrl-C is the stop button.

#include <nlohmann/json.hpp>

#include <string>

#include "About.h"
#include "MeasurementMessages.h"
#include "ScanRequest.h"
#include "UnitConnection.h"

class CliSession;
class ScanTrace;
class StopRequest;
class ThreadMeasurement;
struct ScanFileFrame;

class ScanRun {
public:
    ScanRun(CliSession& session, const ScanRequest& request, const UnitState& unit);

    // Runs the measurement to its end; returns the exit code (1 when a scan
    // ended with an error or was cancelled). FileError when a file of a
    // completed scan cannot be written: the run is stopped first.
    int run();

    const About& about() const { return about_; }

private:
    void handle(const MeasurementMessage& message, ThreadMeasurement& thread, const StopRequest& stop);
    void scanCompleted(const std::string& chartTitle);
    void status(int severity, const std::string& text);
    void waitBetweenScans(const StopRequest& stop);
    void saveAutomatically(const std::string& baseName);
    ScanFileFrame frame() const;
    void printJson() const;

    CliSession& session_;
    const ScanRequest& request_;
    const UnitState& unit_;
    const About about_;
    MeasurementMessages messages_;
    ScanTrace* trace_ = nullptr;
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
