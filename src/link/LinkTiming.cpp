#include "LinkTiming.h"

#include <atomic>
#include <thread>

namespace LinkTiming {
namespace {
std::atomic<double> g_scale{1.0};
}

void setScale(double value) { g_scale.store(value > 0.0 && value <= 1.0 ? value : 1.0); }

double scale() { return g_scale.load(); }

std::chrono::microseconds scaled(std::chrono::milliseconds nominal)
{
    return std::chrono::microseconds(static_cast<long long>(nominal.count() * 1000.0 * g_scale.load()));
}

void sleepMs(int nominalMs) { std::this_thread::sleep_for(scaled(std::chrono::milliseconds(nominalMs))); }

}  // namespace LinkTiming
