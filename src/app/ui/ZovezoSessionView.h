#pragma once

// The window's MeasurementView: what the session tells the window, on the
// window's thread and in the order the measurement thread sent it. The
// session has already done its part (the trace took the scan, the settings
// the raised step, the ended thread is joined).

#include <QString>
#include <string>

#include "MeasurementSession.h"
#include "Zovezo.h"

class TFormZovEZO::SessionView : public MeasurementView {
public:
    explicit SessionView(TFormZovEZO& window) : window_(window) {}

    void scanCompleted(ScanTrace& trace, const ScanSnapshotPtr&) override { window_.scanCompleted(trace); }
    void measurementEnded() override { window_.measurementEnded(); }
    void samplingStepChanged(int) override { window_.samplingStepChanged(); }
    void statusMessage(const MeasurementStatus& status) override
    {
        window_.statusMessage(status.severity, QString::fromStdString(status.text));
    }
    void waitBeforeNextScan() override { window_.waitBeforeNextScan(); }
    void saveContinuousScan(const std::string& fileName) override { window_.saveContinuousScan(fileName); }
    void resolutionWarning(const std::string& caption, const std::string& text) override
    {
        window_.resolutionWarning(QString::fromStdString(caption), QString::fromStdString(text));
    }
    bool frequencyDisplay() const override { return window_.frequencyDisplay(); }

private:
    TFormZovEZO& window_;
};
