#pragma once

// A window stand-in for the measurement thread: records every message in
// order, lets the thread go on after its waiting points and, as an owner
// does, has the trace it is given take each published scan (here on the
// measurement thread: the test reads the trace only once the thread has
// ended, or from the callbacks below).

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <mutex>
#include <string>
#include <vector>

#include <optional>

#include "MeasurementListener.h"
#include "ScanTrace.h"
#include "ThreadMeasurement.h"

class RecordingListener : public MeasurementListener {
public:
    struct Message {
        std::string kind;  // "status", "completed", "ended", "step", "wait", "save", "resolution"
        int severity = 0;
        std::string text;
        std::optional<int> code;  // of a status
    };

    explicit RecordingListener(ScanTrace* trace = nullptr) : trace_(trace) {}
    void setTrace(ScanTrace* trace) { trace_ = trace; }

    // The thread to release after a waiting point; set it right after
    // creating the thread (a waiting point reached before waits for it).
    std::atomic<ThreadMeasurement*> thread{nullptr};
    // False: the waiting points are left waiting (a test releases them).
    std::atomic<bool> autoRelease{true};
    // Called after each scanCompleted and each status message (on the
    // measurement thread).
    std::function<void()> onScanCompleted;
    std::function<void(int severity, const std::string& text)> onStatus;

    void scanCompleted(ScanSnapshotPtr scan) override
    {
        if (trace_ != nullptr) applyScan(*trace_, *scan, false);
        {
            std::lock_guard lock(mutex_);
            snapshots_.push_back(scan);
        }
        add({"completed", 0, scan->chartTitle, std::nullopt});
        if (onScanCompleted) onScanCompleted();
    }
    void measurementEnded() override { add({"ended", 0, "", std::nullopt}); }
    void samplingStepChanged(int step) override { add({"step", step, "", std::nullopt}); }
    void statusMessage(MeasurementStatus status) override
    {
        add({"status", status.severity, status.text, status.code});
        if (onStatus) onStatus(status.severity, status.text);
    }
    void waitBeforeNextScan() override
    {
        add({"wait", 0, "", std::nullopt});
        release();
    }
    void saveContinuousScan(std::string fileName) override
    {
        add({"save", 0, std::move(fileName), std::nullopt});
        release();
    }
    void resolutionWarning(const std::string& caption, const std::string& text) override
    {
        add({"resolution", 0, caption + "|" + text, std::nullopt});
    }

    std::vector<ScanSnapshotPtr> snapshots() const
    {
        std::lock_guard lock(mutex_);
        return snapshots_;
    }
    std::vector<Message> messages() const
    {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<Message> of(const std::string& kind) const
    {
        std::vector<Message> out;
        for (const Message& m : messages())
            if (m.kind == kind) out.push_back(m);
        return out;
    }
    // The status texts, in order.
    std::vector<std::string> statusTexts() const
    {
        std::vector<std::string> out;
        for (const Message& m : of("status")) out.push_back(m.text);
        return out;
    }
    // The last status message with a non-empty text.
    Message lastStatus() const
    {
        Message last;
        for (const Message& m : of("status"))
            if (!m.text.empty()) last = m;
        return last;
    }

private:
    void add(Message m)
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(std::move(m));
    }
    void release()
    {
        if (!autoRelease) return;
        for (int i = 0; i < 5000 && thread.load() == nullptr; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (ThreadMeasurement* t = thread.load()) t->Continue();
    }

    ScanTrace* trace_;
    // Protects messages_ and snapshots_: written by the measurement thread,
    // read by the test.
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::vector<ScanSnapshotPtr> snapshots_;
};
