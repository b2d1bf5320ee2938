#include "SimClock.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "vemar_sim.h"

namespace vemarsim {
namespace {
std::atomic<double> g_scale{1.0};
}

double timeScale() { return g_scale.load(); }

void setTimeScale(double scale) { g_scale = scale < 0.0 ? 0.0 : scale; }

void sleepSimulated(double seconds)
{
    const double real = seconds * g_scale.load();
    if (real > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(real));
}

}  // namespace vemarsim

extern "C" {
void vemarsim_set_time_scale(double scale) { vemarsim::setTimeScale(scale); }
double vemarsim_time_scale(void) { return vemarsim::timeScale(); }
}
