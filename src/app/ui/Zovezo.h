#pragma once

// The main window: it owns the measurement session (the settings, the scan
// store, the unit's identity and the measurement) and the pages, starts and
// stops measurements through the session and shows what they report, finds
// the unit and adapts itself to it. Its code is split by concern:
//   Zovezo.cpp           construction, pages and layout, destruction
//   ZovezoMapping.cpp    settings <-> controls, "&Load", "Save &As...", "About"
//   ZovezoScan.cpp       scan control, range rules, enabling, the messages
//   ZovezoDetection.cpp  device detection and the USB change notifications
//   ZovezoExports.cpp    the synchronisation files and the factory charts' pictures

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "CommandLine.h"
#include "IdentityRecord.h"
#include "MaintenanceHost.h"
#include "ScanView.h"
#include "StandardWindowParts.h"
#include "WindowDialogs.h"
#include "WindowPages.h"
#include "WindowRules.h"

class ApplicationConfig;
class ConfigurationSection;
class MeasurementSession;
class MeasurementView;
class ScanTrace;
class QButtonGroup;
class QCheckBox;
class QEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QShowEvent;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSocketNotifier;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;
class ScanManager;
class SourcesSection;
class TDoubleEdit;
class TFormWait;
class TIntEdit;
class TPanelHint;
class TScanInfoCharts;
class TStatusPanel;
class UsbHotplugMonitor;

struct WindowOptions {
    CommandLine commandLine{std::vector<std::string>{}};
    // The documents folder the data folders go under (empty: the user's).
    std::string documentsFolder;
    // The folder of the program file, ending with "/" (the DSP firmware lies
    // in its "DSP" sub-folder).
    std::string programFolder = "./";
    // Watch the system's USB changes (off in tests that drive detection).
    bool watchUsb = true;
    // The chart page, the passband page and the source rows.
    WindowParts parts = standardWindowParts();
};

class TFormZovEZO : public QMainWindow, public ScanForm, public MaintenanceHost {
    Q_OBJECT

public:
    // Page indexes of the window's page control, in their order.
    enum Page {
        PageParameters,
        PageContinuous,
        PageTransfer,
        PagePassBand,  // "Band-pass filter analysis", index 3
        PageVelocity,
        PagePower,
        PageModeHop,
        PageLines,
        PageCalibration,
        PageFactory,
        PageCustomer,
        PageAbout,
        PageCount
    };

    explicit TFormZovEZO(WindowOptions options, QWidget* parent = nullptr);
    ~TFormZovEZO() override;

    static constexpr const char* caption = "VEMAR GUI";
    static constexpr const char* simulatedSuffix = "SIMULATED INSTRUMENT";
    static constexpr const char* noInstrumentText = " No instrument found. Please connect the VEMAR ";

    // ---- Settings and configuration files ----
    void settingsToControls();
    void controlsToSettings();
    void saveConfiguration(const std::string& path);
    void loadConfiguration(const std::string& path);
    std::string defaultConfigurationPath() const;
    const std::string& currentConfigurationFile() const { return currentConfigurationFile_; }
    void ButtonLoadClick();
    void ButtonSaveAsClick();

    // ---- Scan control ----
    void ButtonStartClick();
    void enableControls(bool enabled);
    // The range-follow handler: the source editor calls it whenever the
    // sources or their ranges change.
    void SourcesRangeChanged();
    void ButtonGraphLimitsClick();
    void ButtonFullScanClick();
    WindowRules::StartState startState() const { return startState_; }
    bool measurementRunning() const;
    // No measurement runs nor is being started.
    bool idle() const override { return startState_ == WindowRules::StartState::Idle && !measurementRunning(); }

    // ---- Instrument detection ----
    // Runs the detection after its 600 ms wait (without blocking).
    void deviceDetection();
    // The detection itself, at once (the wait already done).
    void detectNow();
    bool instrumentPresent() const override { return instrumentPresent_; }
    // The window's copy of the unit's identity (four laser inputs and four
    // detectors with the factory switch), the one measurements get.
    const IdentityRecord& identity() const;
    bool detectionPending() const;

    void setDialogs(WindowDialogs dialogs);

    // ---- For the pages, on user commands (never while they are built) ----
    // The measurements of this window: its settings, scan store, sources
    // and identity.
    MeasurementSession& session() override { return *session_; }
    // The displayed scan changed (a scan file loaded, another scan
    // selected, scans cleared): the passband page analyses it afresh, the
    // pages fed by the last scan and the chart's information block show it.
    void displayedScanChanged();

    // A problem with a configuration file the core announced (a damaged
    // default file): shown in the status bar, the window goes on.
    void configurationProblem(const std::string& text);

    // What the measurements tell the window; every call on its thread.
    MeasurementView& measurementView();

    ApplicationConfig& settings();
    const ApplicationConfig& settings() const;
    ScanManager& scans();
    TStatusPanel& statusPanel() const { return *statusPanel_; }
    QTabWidget& pages() const { return *pages_; }
    TScanInfoCharts& scanInfoCharts() const { return *scanInfoCharts_; }
    bool factory() const override { return factory_; }

    // MaintenanceHost (the rest of it is above)
    const WindowDialogs& dialogs() const override { return dialogs_; }
    std::string programFolder() const override { return options_.programFolder; }
    void showWait(const QString& caption, const QString& text) override;
    void hideWait() override;
    void uncheckEtalonDetectors() override;
    void unitOperationEnded() override;
    // The maintenance pages (null when not given).
    CalibrationPagePart* calibrationPage() const { return calibrationPage_.get(); }
    FactoryPagePart* factoryPage() const { return factoryPage_.get(); }

    // ScanForm
    bool frequencyDisplay() const override;
    bool externalTriggerMode() const override;

signals:
    // A device detection has run to its end.
    void detectionFinished();
    // The measurement's end message was handled.
    void measurementFinished();
    // A completed scan was shown.
    void scanShown();
    // The status bar took a text of the measurement.
    void statusShown(int severity, const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Construction (Zovezo.cpp)
    QWidget* buildTopPanel();
    QWidget* buildParametersPage();
    QWidget* buildContinuousPage();
    QWidget* buildChartPage(QWidget*& chartPlace);
    QWidget* buildLinesPage();
    QWidget* buildAboutPage();
    QWidget* emptyPage(const char* name);
    void connectControls();
    void createSourceDrivers();
    void placeSimulatedInstruments();
    void updateTitle();

    // Mapping (ZovezoMapping.cpp)
    void refreshAbout();
    void showCounterPanel();
    void applyFactoryVisibility();
    ConfigurationSection* passbandSection();

    // Scan control (ZovezoScan.cpp)
    void startMeasurement();
    void requestStop();
    void StartEditChange();
    void StopEditChange();
    void openTriggerBand();
    void applyRange(const WindowRules::ScanRange& range, bool fromStart);
    void showRangeHint(const char* text);
    void hideRangeHint();
    void resetChartAxes();
    void TimerBlinkTimer();
    void TimerDelayBetweenScansTimer();
    void TriggerClick();
    void PreciseModeClick();
    void MeasurementTypeClick();
    void AutoSaveClick();
    void MinMaxResetClick();
    void ButtonBrowseDirectoryClick();
    void FileTypeClick();
    void applyStartClick(const WindowRules::StartClick& click);
    void refreshScanPages(ScanTrace& trace);
    void refreshScanInfoPages(const ScanTrace& trace);
    void endOfMeasurement();
    WindowRules::EnableState enableState(bool idle) const;
    void applyEnabling(bool idle);
    void runGuarded(const std::function<void()>& command);

    // The session's messages (ZovezoScan.cpp), through view_.
    class SessionView;
    void scanCompleted(ScanTrace& trace);
    void measurementEnded();
    void samplingStepChanged();
    void statusMessage(int severity, const QString& text);
    void waitBeforeNextScan();
    void saveContinuousScan(const std::string& fileName);
    void resolutionWarning(const QString& caption, const QString& text);

    // Exports (ZovezoExports.cpp)
    void connectExports();
    // The save dialog of the exports in the data folder (made first when
    // missing); empty when cancelled.
    QString askExportFileName(const QString& filter, const QString& suffix);
    void exportWritten(const QString& fileName, bool written, const std::string& why);
    void Button6Click();
    void ButtonOutPowSyncFileClick();
    void saveInfoChart(int chart);
    void syncFileButtonsEnabling(bool idle);

    // Detection (ZovezoDetection.cpp)
    void watchUsbChanges();
    void usbChanged();
    void adaptToUnit(bool present);

    WindowOptions options_;
    bool factory_ = false;
    WindowDialogs dialogs_;

    // Owned state, in construction order. The chart comes first (the scan
    // store of the session is bound to it), the session before the pages
    // that read its store; they go in the reverse order.
    std::unique_ptr<TransferChartPage> chart_;
    std::unique_ptr<MeasurementSession> session_;
    std::unique_ptr<SessionView> view_;
    std::unique_ptr<PassBandPage> passBand_;
    // Without a passband page, its section is carried through the files.
    std::unique_ptr<ConfigurationSection> passbandKeeper_;
    std::unique_ptr<SourcesSection> sourcesSection_;
    std::unique_ptr<SourceEditorPanel> sourceEditor_;
    std::unique_ptr<TScanInfoCharts> scanInfoCharts_;
    std::unique_ptr<UsbHotplugMonitor> usbMonitor_;
    std::unique_ptr<CalibrationPagePart> calibrationPage_;
    std::unique_ptr<FactoryPagePart> factoryPage_;

    std::string currentConfigurationFile_;
    int dspRelease_ = 0;
    bool instrumentPresent_ = false;
    bool firstShown_ = false;
    // A detection was due while a maintenance page worked on the unit.
    bool detectionDeferred_ = false;
    WindowRules::StartState startState_ = WindowRules::StartState::Idle;

    // Controls. The window's widgets are owned by Qt's parent tree.
    QTabWidget* pages_ = nullptr;
    TFormWait* wait_ = nullptr;
    TPanelHint* hint_ = nullptr;
    TStatusPanel* statusPanel_ = nullptr;
    QWidget* topPanel_ = nullptr;
    QLabel* noInstrumentLabel_ = nullptr;
    QRadioButton* singleButton_ = nullptr;
    QRadioButton* continuousButton_ = nullptr;
    QWidget* counterPanel_ = nullptr;
    QLabel* counterLabel_ = nullptr;
    QLabel* counterSlash_ = nullptr;
    TIntEdit* countEdit_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QToolButton* startButton_ = nullptr;

    QGroupBox* sourcesGroup_ = nullptr;
    QWidget* sourceEditorPlace_ = nullptr;
    QGroupBox* scanParametersGroup_ = nullptr;
    TDoubleEdit* startEdit_ = nullptr;
    TDoubleEdit* stopEdit_ = nullptr;
    TIntEdit* resolutionEdit_ = nullptr;
    QLabel* powerLabel_ = nullptr;
    TDoubleEdit* powerEdit_ = nullptr;
    QPushButton* graphLimitsButton_ = nullptr;
    QPushButton* fullScanButton_ = nullptr;
    QCheckBox* preciseModeBox_ = nullptr;
    QLabel* preciseNote_ = nullptr;
    QGroupBox* triggerGroup_ = nullptr;
    QRadioButton* triggerOn_ = nullptr;
    QRadioButton* triggerOff_ = nullptr;
    QGroupBox* syncGroup_ = nullptr;
    QRadioButton* syncOn_ = nullptr;
    QRadioButton* syncOff_ = nullptr;
    QPushButton* wavelengthSyncButton_ = nullptr;  // "Save Wavelength Sync File"
    QPushButton* powerSyncButton_ = nullptr;       // "Save Power Sync File"
    // "Save" of each factory chart, by TScanInfoCharts::Chart.
    std::array<QPushButton*, 3> chartSaveButtons_{};
    QGroupBox* detectorGroup_ = nullptr;
    std::array<QCheckBox*, 4> detectorBoxes_{};  // "1" to "4"
    QCheckBox* extBox_ = nullptr;
    QCheckBox* orlBox_ = nullptr;
    QGroupBox* switchGroup_ = nullptr;
    QCheckBox* switchActive_ = nullptr;
    TIntEdit* switchAddress_ = nullptr;
    TIntEdit* switchStartChannel_ = nullptr;
    TIntEdit* switchPortOffset_ = nullptr;
    QPushButton* loadButton_ = nullptr;
    QPushButton* saveAsButton_ = nullptr;

    QCheckBox* scanLimitBox_ = nullptr;
    QLabel* delayLabel_ = nullptr;
    TIntEdit* delayEdit_ = nullptr;
    QCheckBox* minMaxResetBox_ = nullptr;
    QLabel* resetModuloLabel_ = nullptr;
    TIntEdit* resetModuloEdit_ = nullptr;
    QCheckBox* autoSaveBox_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QLabel* fileTypeLabel_ = nullptr;
    std::array<QRadioButton*, 5> fileTypeButtons_{};

    QCheckBox* keepModeHopBox_ = nullptr;
    QPlainTextEdit* linesText_ = nullptr;

    std::array<QLabel*, 12> aboutValues_{};

    QTimer* blinkTimer_ = nullptr;
    QTimer* delayTimer_ = nullptr;
    QTimer* detectionTimer_ = nullptr;
    QSocketNotifier* usbNotifier_ = nullptr;
};
