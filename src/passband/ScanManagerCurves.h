#pragma once

// The scan store as the passband engine reads it: the curves of the trace
// selected for display (the store's empty trace when none is selected).

#include "SelectedTraceCurves.h"

class ScanManager;

class ScanManagerCurves : public SelectedTraceCurves {
public:
    explicit ScanManagerCurves(const ScanManager& scans) : scans_(scans) {}
    int curveCount() const override;
    std::optional<CurveView> curve(int index) const override;

private:
    const ScanManager& scans_;
};
