#pragma once

// Records the pacing pauses the drivers ask for, and takes each one as a
// fraction of its length so that driver tests run quickly. The 10 ms pauses
// between status polls keep their length: they pace polling loops only.

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "DriverPause.h"

class PauseRecorder {
public:
    explicit PauseRecorder(double fraction = 0.02) : fraction_(fraction)
    {
        DriverPause::setPauseFunction([this](int ms) {
            {
                std::lock_guard lock(mutex_);
                pauses_.push_back(ms);
            }
            const double real = ms == pollPauseMs ? ms : ms * fraction_;
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(real));
        });
    }
    ~PauseRecorder() { DriverPause::setPauseFunction({}); }
    PauseRecorder(const PauseRecorder&) = delete;
    PauseRecorder& operator=(const PauseRecorder&) = delete;

    // The pauses asked for, leaving out the 10 ms polling pauses.
    std::vector<int> pacing() const
    {
        std::lock_guard lock(mutex_);
        std::vector<int> out;
        for (int ms : pauses_)
            if (ms != pollPauseMs) out.push_back(ms);
        return out;
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        pauses_.clear();
    }

private:
    static constexpr int pollPauseMs = 10;
    double fraction_;
    mutable std::mutex mutex_;  // guards pauses_ (drivers pause from several threads)
    std::vector<int> pauses_;
};
