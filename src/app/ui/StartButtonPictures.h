#pragma once

// The four pictures of the start button, one per state: ready to start, a
// measurement running (press to stop), stop requested, stop pressed again.
// Drawn once at start-up so the program needs no picture files.

#include <QIcon>

#include "WindowRules.h"

QIcon startButtonPicture(WindowRules::StartState state, int sizePixels);
