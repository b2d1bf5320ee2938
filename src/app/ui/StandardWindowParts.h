#pragma once

// The parts of the window program as it ships: the "Band-pass filter
// analysis" page (`TPassBandFrame`) and the source rows
// (`TPanelSourceEditor`). The chart page joins here once it exists; until
// then its place stays empty.

#include "WindowPages.h"

WindowParts standardWindowParts();
