#pragma once

// Simulated time. Everything in the simulator that takes time on a real
// instrument (a laser moving, a sweep, a flash erase) waits through this
// clock, which runs at real speed times a scale: 1 for interactive use, much
// less in tests so that a 5 s sweep passes in a few milliseconds.

namespace vemarsim {

double timeScale();
void setTimeScale(double scale);

// Waits the real-time equivalent of the given simulated seconds.
void sleepSimulated(double seconds);

}  // namespace vemarsim
