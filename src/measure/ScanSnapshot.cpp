#include "ScanSnapshot.h"

#include "ScanTrace.h"

void applyScan(ScanTrace& trace, const ScanSnapshot& scan, bool frequencyDisplay)
{
    trace.result() = scan.result;
    trace.BuildTrace(scan.firstOfRun, scan.extReferenced, true, frequencyDisplay);
    if (scan.restartEnvelopes)
        for (int c = 0; c < trace.CurveCount(); ++c) trace.CurveAt(c)->data().StartEnvelopes(false);
}
