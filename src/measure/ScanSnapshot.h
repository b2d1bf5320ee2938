#pragma once

// One scan of a measurement as the measurement thread hands it over: built
// in storage of the thread's own, then published once and never changed
// again, so any thread may read it while the next scan is measured. The
// owner's "Last Scan" trace (the one the chart, the information block and
// the passband engine read) takes it on the owner's thread.

#include <memory>
#include <string>

#include "ScanRes.h"

class ScanTrace;

struct ScanSnapshot {
    ScanRes result;             // the scan's raw result, joined and resampled
    int index = 1;              // 1 for the measurement's first scan
    int code = 0;               // 0, or the warning (100 and above) the scan ended with
    std::string chartTitle;     // "Sampling res.: 5 pm    TLS 1: 19 nm/s"
    int samplingStepPm = 0;
    bool firstOfRun = true;     // the envelopes restart with this scan (scan count 1)
    bool extReferenced = false;  // the "Ext" curve is relative to the output (the EXT input is optical)
    // After this scan the envelopes start again from its points (the
    // periodic reset of a continuous run; the scan count goes on).
    bool restartEnvelopes = false;
};

using ScanSnapshotPtr = std::shared_ptr<const ScanSnapshot>;

// What the owner does with a published scan, on its own thread: the trace
// takes the result and builds its curves in the display unit given,
// envelopes accumulating over the run.
void applyScan(ScanTrace& trace, const ScanSnapshot& scan, bool frequencyDisplay);
