#include "StopRequest.h"

#include <atomic>

namespace {

// Written by the signal handler, read by the run: lock-free, as a handler needs.
std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onStopSignal(int) { g_stop.store(true); }

}  // namespace

StopRequest::StopRequest()
{
    g_stop.store(false);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInterrupt_);
    sigaction(SIGTERM, &action, &previousTerminate_);
}

StopRequest::~StopRequest()
{
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    sigaction(SIGTERM, &previousTerminate_, nullptr);
}

bool StopRequest::requested() const { return g_stop.load(); }
