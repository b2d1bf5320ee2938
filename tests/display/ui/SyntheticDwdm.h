#pragma once

// A DWDM-like scan for the chart's tests and pictures: four detector
// curves, each with a channel every 3.2 nm (the four together fill a 0.8 nm
// grid), flat-topped passbands over a -45 dB floor with noise, two sources
// with no light between 1545 and 1548 nm, and optionally several scans
// accumulated into the envelopes. Built through ScanTrace::BuildTrace, as
// a measurement builds it.

#include <array>
#include <memory>

#include "ScanTrace.h"
#include "ScanView.h"
#include "SourceConfigurationView.h"

struct PlainSource {
    bool enabled = false;
    double lambdaMin = 1240.0;
    double lambdaMax = 1680.0;
};

struct PlainSources : SourceConfigurationView {
    std::array<PlainSource, 4> sources;
    double start = 1240.0;
    double stop = 1680.0;

    std::unique_ptr<SourceConfigurationView> clone() const override { return std::make_unique<PlainSources>(*this); }
    int sourceCount() const override { return 4; }
    bool sourceEnabled(int i) const override { return sources[static_cast<std::size_t>(i)].enabled; }
    double sourceLambdaMin(int i) const override { return sources[static_cast<std::size_t>(i)].lambdaMin; }
    double sourceLambdaMax(int i) const override { return sources[static_cast<std::size_t>(i)].lambdaMax; }
    double scanStart() const override { return start; }
    double scanStop() const override { return stop; }
};

// Two sources, 1528 to 1545 and 1548 to 1568 nm.
PlainSources dwdmSources();

struct DwdmScan {
    int curves = 4;
    double stepNm = 0.005;
    int scans = 1;  // more than one: the curves keep envelopes
    unsigned seed = 1;
    double insertionLossDb = 3.0;
};

// Adds the curves to the trace, updates its coverage and builds every scan.
void fillDwdmTrace(ScanTrace& trace, const DwdmScan& scan = {});
