#pragma once

// Real-time bookkeeping of the simulated GPIB instruments. A move that takes
// s simulated seconds ends timeScale() * s real seconds after it began; every
// wait for such a moment goes through the simulator's clock.

#include <chrono>

namespace vemarsim {

using SimClockPoint = std::chrono::steady_clock::time_point;

// The real duration of the given simulated seconds at the current time scale.
std::chrono::steady_clock::duration realDuration(double simulatedSeconds);

// Waits (through sleepSimulated) until the real moment t.
void sleepUntil(SimClockPoint t);

// Real seconds from the plug-in's load to t.
double secondsSinceLoad(SimClockPoint t);

}  // namespace vemarsim
