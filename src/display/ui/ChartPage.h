#pragma once

// The "Transfer functions" page of the main window: the chart
// (`TransfertChart`) with the controls around it.
//   "Traces"       the visibility boxes of the curves, "Show All",
//                  "Clear All", "Show Min Max"; the selected curve's box
//                  reads "1 (S)" in bold
//   shifts         the X (nm) and Y (dB) shift of the selected curve, stepped
//                  by the axis resolution, and "Reset"
//   zoom           "Wavelength limits" / "Static", "Scale", the unit switch
//                  "=>THz" / "=>nm", "On Peak"
//   cursors        "Show" / "Hide", "Cursor" / "Marker", "Reset"
//   information    the selected curve's centre, width and slopes (with the
//                  factory switch and "Show Information" only); a click on
//                  the width or a slope caption opens its dialog
//   "Scan"         "&Load", "&Save", the scan selection list,
//                  "Clear &Current Scan", "Clear &All Scan"
//
// The window reaches it through TransferChartPage only; the page reaches
// the window through ChartPageHost. Everything runs on the user-interface
// thread. The scan store draws on this page's chart, so the window destroys
// the store before the page.

#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "ChartAxes.h"
#include "ChartPageHost.h"
#include "WindowPages.h"

class ChartPicture;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QShowEvent;
class ScanManager;
class ScanTrace;
class TDoubleEdit;
class TransfertChart;

// The page's questions and file choices, replaceable by tests.
struct ChartPageDialogs {
    // Runs a modal dialog of the page ("Scale", the width and slope
    // dialogs); QDialog::exec's result.
    std::function<int(QDialog&)> exec;
    // 0 information, 1 warning, 2 error.
    std::function<void(int severity, const QString& caption, const QString& text)> message;
    // The save dialog: filters in index order; filterIndex (1-based) is the
    // filter shown first and comes back as the one chosen last, whether or
    // not the dialog was confirmed. Empty when cancelled.
    std::function<QString(const QString& folder, const QStringList& filters, int& filterIndex)> saveFileName;
    std::function<QString(const QString& folder, const QStringList& filters)> openFileName;

    static ChartPageDialogs standard(QWidget* parent);
};

class TChartPage : public QWidget, public TransferChartPage {
    Q_OBJECT

public:
    explicit TChartPage(ChartPageHost& host, QWidget* parent = nullptr);
    // The page keeps its host (the window's factory makes one for it).
    explicit TChartPage(std::unique_ptr<ChartPageHost> host, QWidget* parent = nullptr);
    ~TChartPage() override;

    void setDialogs(ChartPageDialogs dialogs);
    TransfertChart& chart() const { return *chart_; }

    // ---- TransferChartPage ----
    ScanChart* scanChart() override;
    void resetAxesToScanRange(double startNm, double stopNm) override;
    void refreshAfterScan() override;
    void setTraceControlsEnabled(bool enabled) override;
    void setScanCommandsEnabled(bool enabled) override;
    void setScanListEnabled(bool enabled) override;
    void scanAdded(const std::string& name) override;
    void refreshDisplayedTraces() override;
    bool frequencyDisplay() const override;
    std::pair<double, double> visibleRangeNm() const override;
    void settingsToControls(const ApplicationConfig& settings, bool factory) override;
    void controlsToSettings(ApplicationConfig& settings) const override;

    // ---- Handlers (the controls call them) ----
    // The boxes' visibility (and envelopes in continuous mode) applied to the
    // current trace: one box, or all of them when box is null.
    void ChangeDisplayedFunctions(QCheckBox* box = nullptr);
    void ShowAllCurves();
    void ButtonClearAllClick();
    void CheckBoxShowMinMaxClick();
    void EditXDeltaChange();
    void EditYDeltaChange();
    void ButtonResetShiftClick();
    void RadioButtonZoomClick();
    void ButtonZoomManualClick();
    void ButtonDisplayUnitClick();
    void TRCClick();
    void RadioButtonCursorsClick();
    void ButtonResetClick();
    void RefreshCurveInformation();
    void FWHM3dBLabelClick();
    void SideFrontConfig();
    void ButtonPeakCenterClick();
    void CheckBoxShowInformationClick();
    void ButtonLoadScanClick();
    void ButtonSaveScanClick();
    void ComboBoxScanChange(int index);
    void ButtonClearCurrentScanClick();
    void ButtonClearAllScanClick();

    // The save dialog's filter remembered while the program runs (1-based).
    int saveFilterIndex() const { return saveFilterIndex_; }
    bool informationShown() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QWidget* buildTraces();
    QWidget* buildShifts();
    QWidget* buildZoom();
    QWidget* buildCursors();
    QWidget* buildInformation();
    QWidget* buildScans();

    // The scan store, the chart bound to it the first time it is asked for.
    ScanManager& scans();
    ScanTrace& currentTrace();
    // The chart's scan range taken from the live sources (the start and
    // stop edits write it there), so that an undone zoom shows the range
    // the edits hold now; not while a measurement moves the sources.
    void followScanRange();
    // The trace controls as the current trace allows.
    void updateTraceControls();
    void curveSelected(int index, double xShift, double yShift);
    void shiftIncrementsChanged(double xIncrement, double yIncrement);
    void selectedShiftsChanged(double xShift, double yShift);
    void applyLevels(const CurveLevels& levels, bool toSettings);
    void rebuildCaptions();
    void applyInformationVisibility();
    // After the current trace changed: boxes, selection, information.
    void showCurrentTrace();
    void refillScanList();
    void message(int severity, const QString& caption, const QString& text);

    std::unique_ptr<ChartPageHost> ownedHost_;
    ChartPageHost& host_;
    ChartPageDialogs dialogs_;
    TransfertChart* chart_;
    bool storeBound_ = false;
    bool factory_ = false;
    bool traceControlsEnabled_ = false;
    int saveFilterIndex_ = 1;
    std::shared_ptr<const ChartPicture> previousPicture_;
    std::shared_ptr<const ChartPicture> picture_;

    // "Traces"
    QGroupBox* tracesGroup_ = nullptr;
    std::array<QCheckBox*, 6> curveBoxes_{};  // "1" to "4", "Ext", "Orl"
    QPushButton* showAllButton_ = nullptr;
    QPushButton* clearAllButton_ = nullptr;
    QCheckBox* showMinMaxBox_ = nullptr;
    // Shifts
    QGroupBox* shiftGroup_ = nullptr;
    TDoubleEdit* xShiftEdit_ = nullptr;
    TDoubleEdit* yShiftEdit_ = nullptr;
    QPushButton* resetShiftButton_ = nullptr;
    // Zoom
    QRadioButton* zoomWavelengthButton_ = nullptr;
    QRadioButton* zoomStaticButton_ = nullptr;
    QPushButton* scaleButton_ = nullptr;
    QPushButton* unitButton_ = nullptr;
    QPushButton* peakButton_ = nullptr;
    // Cursors
    QPushButton* showCursorsButton_ = nullptr;
    QRadioButton* cursorButton_ = nullptr;
    QRadioButton* markerButton_ = nullptr;
    QPushButton* resetCursorsButton_ = nullptr;
    // Information
    QWidget* informationBlock_ = nullptr;
    QCheckBox* showInformationBox_ = nullptr;
    QLabel* centreCaption_ = nullptr;
    QLabel* widthCaption_ = nullptr;
    QLabel* leftCaption_ = nullptr;
    QLabel* rightCaption_ = nullptr;
    QLabel* centreValue_ = nullptr;
    QLabel* widthValue_ = nullptr;
    QLabel* leftValue_ = nullptr;
    QLabel* rightValue_ = nullptr;
    // "Scan"
    QPushButton* loadButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QComboBox* scanList_ = nullptr;
    QPushButton* clearCurrentButton_ = nullptr;
    QPushButton* clearAllScansButton_ = nullptr;
};

// The page laid out in the window's place, keeping its host.
std::unique_ptr<TChartPage> makeChartPage(QWidget& place, std::unique_ptr<ChartPageHost> host);
