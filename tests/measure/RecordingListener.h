#pragma once

// A window stand-in for the measurement thread: records every message in
// order and lets the thread go on after its waiting points.

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <mutex>
#include <string>
#include <vector>

#include "MeasurementListener.h"
#include "ThreadMeasurement.h"

class RecordingListener : public MeasurementListener {
public:
    struct Message {
        std::string kind;  // "status", "completed", "ended", "step", "wait", "save", "resolution"
        int severity = 0;
        std::string text;
    };

    // The thread to release after a waiting point; set it right after
    // creating the thread (a waiting point reached before waits for it).
    std::atomic<ThreadMeasurement*> thread{nullptr};
    // False: the waiting points are left waiting (a test releases them).
    std::atomic<bool> autoRelease{true};
    // Called after each scanCompleted and each status message (on the
    // measurement thread).
    std::function<void()> onScanCompleted;
    std::function<void(int severity, const std::string& text)> onStatus;

    void scanCompleted(std::string title) override
    {
        add({"completed", 0, std::move(title)});
        if (onScanCompleted) onScanCompleted();
    }
    void measurementEnded() override { add({"ended", 0, ""}); }
    void samplingStepChanged(int step) override { add({"step", step, ""}); }
    void statusMessage(int severity, std::string text) override
    {
        add({"status", severity, text});
        if (onStatus) onStatus(severity, text);
    }
    void waitBeforeNextScan() override
    {
        add({"wait", 0, ""});
        release();
    }
    void saveContinuousScan(std::string fileName) override
    {
        add({"save", 0, std::move(fileName)});
        release();
    }
    void resolutionWarning(const std::string& caption, const std::string& text) override
    {
        add({"resolution", 0, caption + "|" + text});
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

    // Protects messages_: written by the measurement thread, read by the test.
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
};
