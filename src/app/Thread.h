#pragma once

// Base class of the worker threads (the measurement thread, the source
// initialisation threads). One operating-system thread per object.
//
// The object is created "suspended": the thread starts running Execute() on
// the first resume(). Nothing suspends or kills a running thread from
// outside; a worker is asked to stop through requestCancel() and reads
// cancelRequested() at its own pace. The destructor joins, so an object is
// never released while its thread still runs; a derived class whose
// Execute() uses its own members must call wait() in its own destructor.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

class Thread {
public:
    // Exit code reported while the work has not ended (the platform's "still active").
    static constexpr std::uint32_t StillActive = 259;
    // Exit code of a thread whose work has returned.
    static constexpr std::uint32_t Completed = 1;

    Thread();
    virtual ~Thread();

    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts the work on the first call; later calls do nothing. Returns false
    // when the operating system refused the thread ("Thread no created" has
    // then been shown and the object keeps no thread).
    bool resume();

    // StillActive until Execute() has returned, then Completed.
    std::uint32_t exitCode() const;

    // Asks the work to stop, then resumes it (a never-started worker runs and
    // sees the request at once).
    void requestCancel();

    bool finished() const { return finished_.load(); }
    bool cancelRequested() const { return cancelRequested_.load(); }
    bool started() const;

    // Blocks until the work has returned (returns at once when never started).
    void wait();

protected:
    virtual void Execute() = 0;
    // Called by requestCancel() once the flag is set: a worker that waits on
    // its own signal wakes itself here.
    virtual void cancelRequestedHook() {}

private:
    void run();

    // Guards thread_, launched_ and creationFailed_ (creation and joining).
    mutable std::mutex threadMutex_;
    std::thread thread_;
    bool launched_ = false;
    bool creationFailed_ = false;

    std::atomic<bool> finished_{false};
    std::atomic<bool> cancelRequested_{false};
    std::atomic<std::uint32_t> exitCode_{StillActive};
};
