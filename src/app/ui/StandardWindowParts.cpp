#include "StandardWindowParts.h"

#include <QPointer>
#include <QVBoxLayout>

#include "CalibrationPage.h"
#include "FactoryPage.h"
#include "MeasurementSession.h"
#include "Panelsourceeditor.h"
#include "Passband_panel.h"
#include "Zovezo.h"

namespace {

// The frame fills its place; it reads the scan store, so it is deleted
// with this object (before the store), not later with the window's widgets.
class PassBandFramePage : public PassBandPage {
public:
    PassBandFramePage(QWidget& place, ApplicationConfig& settings, ScanManager& scans)
    {
        auto* layout = new QVBoxLayout(&place);
        layout->setContentsMargins(0, 0, 0, 0);
        frame_ = new TPassBandFrame(settings, scans, &place);
        frame_->setObjectName("PassBandFrame");
        layout->addWidget(frame_);
    }
    ~PassBandFramePage() override { delete frame_.data(); }
    PassBandFramePage(const PassBandFramePage&) = delete;
    PassBandFramePage& operator=(const PassBandFramePage&) = delete;

    void measurementStarts() override { frame_->measurementStarts(); }
    void measurementStops() override { frame_->measurementStops(); }
    void analyse() override { frame_->analyse(); }
    void updateCurves() override { frame_->updateCurves(); }
    void setContinuous(bool continuous) override { frame_->setContinuous(continuous); }
    ConfigurationSection& configurationSection() override { return frame_->configurationSection(); }

private:
    QPointer<TPassBandFrame> frame_;
};

// The four source rows on the session's live source records; a change of
// the sources' range runs the window's range-follow handler.
class SourceRowsPanel : public SourceEditorPanel {
public:
    SourceRowsPanel(QWidget& place, TFormZovEZO& window)
    {
        auto* layout = new QVBoxLayout(&place);
        layout->setContentsMargins(0, 0, 0, 0);
        panel_ = new TPanelSourceEditor(&place, window.session().sources());
        panel_->setObjectName("SourceEditor");
        layout->addWidget(panel_);
        panel_->SetSourcesChangedHandler([&window] { window.SourcesRangeChanged(); });
    }
    ~SourceRowsPanel() override
    {
        if (panel_) panel_->SetSourcesChangedHandler({});
        delete panel_.data();
    }
    SourceRowsPanel(const SourceRowsPanel&) = delete;
    SourceRowsPanel& operator=(const SourceRowsPanel&) = delete;

    void RefreshAll() override { panel_->RefreshAll(); }
    void ApplyAll() override { panel_->ApplyAll(); }
    void SetEnabled(bool enabled) override { panel_->SetEnabled(enabled); }
    void SetRowEnabled(int row, bool enabled) override { panel_->SetRowEnabled(row, enabled); }
    void SetFibreBand(int fibreBand) override { panel_->SetFibreBand(fibreBand); }

private:
    QPointer<TPanelSourceEditor> panel_;
};

}  // namespace

WindowParts standardWindowParts()
{
    WindowParts parts;
    // The "Transfer functions" page is added by windowParts() (WindowStart.cpp).
    parts.passBand = [](QWidget& place, ApplicationConfig& settings, ScanManager& scans) {
        return std::make_unique<PassBandFramePage>(place, settings, scans);
    };
    parts.sourceEditor = [](QWidget& place, TFormZovEZO& window) {
        return std::make_unique<SourceRowsPanel>(place, window);
    };
    parts.calibration = [](QWidget& place, MaintenanceHost& host) {
        return std::make_unique<TCalibrationPage>(place, host);
    };
    parts.factory = makeFactoryPage;
    return parts;
}
