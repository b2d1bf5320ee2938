#pragma once

// Three samples with acquisition indexes 0, 1, 2 at 1550, 1550.01 and
// 1550.02 nm: output -10 dBm, detector 1 -13.5 dBm, Ext 0.75. The
// synchronisation files' lines of it are worked out by hand in the tests.

#include "ScanChannels.h"
#include "ScanRes.h"

inline ScanRes threeSyncSamples()
{
    ScanRes r;
    r.wavelength = {1550, 1550.01, 1550.02};
    r.sampleIndex = {0, 1, 2};
    r.values[ScanChannel::Output] = {-10, -10, -10};
    r.values[ScanChannel::Detector1] = {-13.5, -13.5, -13.5};
    r.values[ScanChannel::Ext] = {0.75, 0.75, 0.75};
    r.present[ScanChannel::Output] = r.present[ScanChannel::Detector1] = r.present[ScanChannel::Ext] = true;
    return r;
}
