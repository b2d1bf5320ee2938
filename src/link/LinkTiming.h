#pragma once

// The waits of the link (answer time-outs, flash polling, the pauses after
// a reboot) in one place. On an instrument they run at their nominal
// length; a test of the simulated unit shortens them all by one factor so
// that a missing answer costs milliseconds instead of five seconds.

#include <chrono>

namespace LinkTiming {

// 1 by default; any value in (0, 1].
void setScale(double scale);
double scale();

// A nominal duration after the scale.
std::chrono::microseconds scaled(std::chrono::milliseconds nominal);

// Sleeps for a nominal number of milliseconds, scaled.
void sleepMs(int nominalMs);

}  // namespace LinkTiming
