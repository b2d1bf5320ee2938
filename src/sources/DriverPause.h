#pragma once

// The pauses that pace the instruments (after a write, between polls). They
// are real waits; tests may replace the way they are taken so that a suite
// of driver tests does not spend minutes asleep, and may record them.

#include <functional>

namespace DriverPause {

void pauseMs(int milliseconds);

using PauseFunction = std::function<void(int milliseconds)>;
// Replaces the sleeping function for every driver; an empty one restores real sleeping.
void setPauseFunction(PauseFunction function);

}  // namespace DriverPause
