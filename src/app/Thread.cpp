#include "Thread.h"

#include <system_error>

#include "Log.h"
#include "UserMessages.h"

Thread::Thread() = default;

Thread::~Thread() { wait(); }

bool Thread::resume()
{
    std::lock_guard lock(threadMutex_);
    if (launched_ || creationFailed_) return !creationFailed_;
    try {
        thread_ = std::thread([this] { run(); });
        launched_ = true;
    } catch (const std::system_error& e) {
        creationFailed_ = true;
        Log::error("Thread creation failed: %s\n", e.what());
        UserMessages::show(UserMessages::Severity::Error, "Thread Error", "Thread no created");
        return false;
    }
    return true;
}

void Thread::run()
{
    finished_ = false;
    Execute();
    exitCode_ = Completed;
    finished_ = true;
}

std::uint32_t Thread::exitCode() const { return exitCode_.load(); }

void Thread::requestCancel()
{
    cancelRequested_ = true;
    cancelRequestedHook();
    resume();
}

bool Thread::started() const
{
    std::lock_guard lock(threadMutex_);
    return launched_;
}

void Thread::wait()
{
    std::thread toJoin;
    {
        std::lock_guard lock(threadMutex_);
        if (!thread_.joinable() || thread_.get_id() == std::this_thread::get_id()) return;
        toJoin = std::move(thread_);
    }
    toJoin.join();
}
