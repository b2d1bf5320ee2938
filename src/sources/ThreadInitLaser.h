#pragma once

// The initialisation of one source on its own thread. The thread knows
// nothing of the source: it runs the job it is given (the source
// configuration's power and move to the start wavelength) and keeps its
// result.

#include <atomic>
#include <cstdint>
#include <functional>

#include "Thread.h"

class ThreadInitLaser : public Thread {
public:
    // The job returns a source operation code (0 when the source is ready).
    using Job = std::function<int()>;

    ThreadInitLaser(Job job, int index);
    ~ThreadInitLaser() override;

    int result() const { return result_.load(); }
    bool done() const { return done_.load(); }
    int index() const { return index_; }

    // Runs the work on the calling thread (when no thread could be created).
    void runHere() { Execute(); }

protected:
    void Execute() override;

private:
    std::atomic<std::int32_t> result_{0};
    Job job_;
    std::atomic<bool> done_{false};
    std::int32_t index_;
};
