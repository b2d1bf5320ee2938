#pragma once

// Stand-ins for the window, the chart and the source configuration, so the
// scan store can be driven without either.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ScanArea.h"
#include "ScanCurve.h"
#include "ScanView.h"
#include "SourceConfigurationView.h"

struct FakeForm : ScanForm {
    bool frequency = false;
    bool trigger = false;
    bool frequencyDisplay() const override { return frequency; }
    bool externalTriggerMode() const override { return trigger; }
};

// Records what the store asks the chart to do.
struct RecordingChart : ScanChart {
    std::vector<std::string> redrawn;  // curve names, in call order
    std::vector<std::string> removed;
    int coverageChanges = 0;
    int coverageRemovals = 0;
    PixelMapping mapping;
    std::uint32_t background = 0xFFFFFF;

    void curveChanged(const ScanCurve& curve) override { redrawn.push_back(curve.name()); }
    void curveRemoved(const ScanCurve& curve) override { removed.push_back(curve.name()); }
    void coverageChanged(const ScanArea&) override { ++coverageChanges; }
    void coverageRemoved(const ScanArea&) override { ++coverageRemovals; }
    PixelMapping pixelMapping(const ScanCurve&) const override { return mapping; }
    std::uint32_t backgroundColour() const override { return background; }
};

struct PlainSource {
    bool enabled = false;
    double lambdaMin = 1240.0;
    double lambdaMax = 1680.0;
};

// A source configuration as a plain record.
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
