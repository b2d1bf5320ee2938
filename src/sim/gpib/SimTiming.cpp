#include "SimTiming.h"

#include "SimClock.h"

namespace vemarsim {
namespace {
const SimClockPoint g_loaded = std::chrono::steady_clock::now();
}

std::chrono::steady_clock::duration realDuration(double simulatedSeconds)
{
    const double real = simulatedSeconds * timeScale();
    if (!(real > 0.0)) return std::chrono::steady_clock::duration::zero();
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(real));
}

void sleepUntil(SimClockPoint t)
{
    const double scale = timeScale();
    const auto remaining = t - std::chrono::steady_clock::now();
    if (scale <= 0.0 || remaining <= std::chrono::steady_clock::duration::zero()) return;
    sleepSimulated(std::chrono::duration<double>(remaining).count() / scale);
}

double secondsSinceLoad(SimClockPoint t) { return std::chrono::duration<double>(t - g_loaded).count(); }

}  // namespace vemarsim
