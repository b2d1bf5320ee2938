#include "DriverPause.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace DriverPause {
namespace {
// Guards g_function (replaced by tests while no driver runs, read by every driver thread).
std::mutex g_mutex;
PauseFunction g_function;
}  // namespace

void pauseMs(int milliseconds)
{
    PauseFunction function;
    {
        std::lock_guard lock(g_mutex);
        function = g_function;
    }
    if (function) {
        function(milliseconds);
        return;
    }
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void setPauseFunction(PauseFunction function)
{
    std::lock_guard lock(g_mutex);
    g_function = std::move(function);
}

}  // namespace DriverPause
