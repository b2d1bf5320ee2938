#pragma once

// The initialisation of one source on its own thread: power, then the move
// to the start wavelength.

#include <atomic>
#include <cstdint>

#include "Thread.h"

class SourceConfig;

class ThreadInitLaser : public Thread {
public:
    // commonSpeed > 0 is first given to the source (its result ignored).
    ThreadInitLaser(SourceConfig* source, int index, int commonSpeed = 0);
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
    SourceConfig* source_;
    std::atomic<bool> done_{false};
    std::int32_t index_;
    std::int32_t commonSpeed_;
};
