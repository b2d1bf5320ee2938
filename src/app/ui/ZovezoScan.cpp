// Scan control: the start button and the stop request, single and
// continuous runs, the range edits with their 5 nm rule, precise and
// trigger mode, the enabling of the controls, and the handling of the
// measurement thread's messages.

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <exception>

#include "About.h"
#include "Applicationconfig.h"
#include "ContinuousScanSaving.h"
#include "Doubleedit.h"
#include "Frequency.h"
#include "Intedit.h"
#include "MeasurementSession.h"
#include "Panelhint.h"
#include "QueuedToObject.h"
#include "ScanFile.h"
#include "ScanInfoCharts.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "StartButtonPictures.h"
#include "StatusPanel.h"
#include "UnitOperation.h"
#include "Zovezo.h"
#include "ZovezoSessionView.h"

using WindowRules::Control;

namespace {

constexpr double preciseSpeedNmPerS = 10.0;

// The first letter of a core text made a capital, for the status bar.
QString sentence(const std::string& text)
{
    QString t = QString::fromStdString(text);
    if (!t.isEmpty()) t[0] = t[0].toUpper();
    return t;
}

}  // namespace

MeasurementView& TFormZovEZO::measurementView() { return *view_; }

bool TFormZovEZO::frequencyDisplay() const { return chart_ && chart_->frequencyDisplay(); }

bool TFormZovEZO::externalTriggerMode() const
{
    // The store asks while the session is being built (its empty trace):
    // the settings are then the initial ones, trigger off.
    return session_ && settings().scanParameters.trigger != 0;
}

void TFormZovEZO::connectControls()
{
    connect(startButton_, &QToolButton::clicked, this, &TFormZovEZO::ButtonStartClick);
    connect(singleButton_, &QRadioButton::toggled, this, &TFormZovEZO::MeasurementTypeClick);
    connect(scanLimitBox_, &QCheckBox::toggled, this, [this](bool on) {
        settings().scanLimitEnabled = on;
        showCounterPanel();
    });
    connect(countEdit_, &TIntEdit::changed, this, [this](int value) { settings().scanLimit = value; });
    connect(autoSaveBox_, &QCheckBox::toggled, this, &TFormZovEZO::AutoSaveClick);
    connect(browseButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonBrowseDirectoryClick);
    for (QRadioButton* button : fileTypeButtons_) connect(button, &QRadioButton::toggled, this, &TFormZovEZO::FileTypeClick);
    connect(delayEdit_, &TIntEdit::changed, this, [this](int value) { settings().scanDelay = value; });
    connect(minMaxResetBox_, &QCheckBox::toggled, this, &TFormZovEZO::MinMaxResetClick);
    connect(resetModuloEdit_, &TIntEdit::changed, this, [this](int value) { settings().minMaxResetModulo = value; });
    connect(resolutionEdit_, &TIntEdit::changed, this, [this](int value) { settings().samplingStep = value; });
    connect(triggerOn_, &QRadioButton::toggled, this, &TFormZovEZO::TriggerClick);
    connect(preciseModeBox_, &QCheckBox::toggled, this, &TFormZovEZO::PreciseModeClick);
    connect(graphLimitsButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonGraphLimitsClick);
    connect(fullScanButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonFullScanClick);
    connect(loadButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonLoadClick);
    connect(saveAsButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonSaveAsClick);
    connect(startEdit_, &TDoubleEdit::entered, this, &TFormZovEZO::StartEditChange);
    connect(keepModeHopBox_, &QCheckBox::toggled, this, [this](bool on) { settings().keepModeHop = on; });

    // The hint goes as soon as the pointer moves over the window.
    for (QWidget* w : {static_cast<QWidget*>(this), centralWidget(), topPanel_,
                       static_cast<QWidget*>(scanParametersGroup_)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

bool TFormZovEZO::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && hint_ != nullptr && hint_->isVisible()) hideRangeHint();
    return QMainWindow::eventFilter(watched, event);
}

// ---- Start and stop ----------------------------------------------------------

void TFormZovEZO::ButtonStartClick()
{
    // The unit is busy with a maintenance operation (the button is then
    // disabled with the window; a click queued before is dropped).
    if (UnitOperation::anyRunning()) return;
    runGuarded([this] {
        StartEditChange();
        const WindowRules::StartClick click = WindowRules::startButtonClicked(startState_);
        if (click.requestStop) requestStop();
        applyStartClick(click);
        if (click.startMeasurement) startMeasurement();
    });
}

void TFormZovEZO::applyStartClick(const WindowRules::StartClick& click)
{
    startState_ = click.next;
    startButton_->setChecked(click.buttonDown);
    startButton_->setEnabled(click.buttonEnabled);
    WindowRules::StartState picture = click.next;
    // After the third press the button shows that it waits for the end.
    if (click.next == WindowRules::StartState::Idle && click.buttonDown)
        picture = WindowRules::StartState::StopPressedAgain;
    startButton_->setIcon(startButtonPicture(picture, startButton_->iconSize().width()));
    if (click.label != nullptr) {
        progressLabel_->setText(click.label);
        progressLabel_->show();
    }
}

void TFormZovEZO::startMeasurement()
{
    // The power control reads the unit: it stops before the measurement
    // takes the link.
    if (calibrationPage_) calibrationPage_->measurementStarts();
    counterLabel_->setText("0");
    continuousButton_->setText("Continuous");

    controlsToSettings();
    if (settings().zoomStatus == 0) resetChartAxes();

    enableControls(false);
    scanInfoCharts_->clearModeHop();
    if (chart_) chart_->setScanCommandsEnabled(false);
    blinkTimer_->start();

    if (chart_) chart_->refreshDisplayedTraces();
    settingsToControls();
    placeSimulatedInstruments();

    MeasurementStartOptions options;
    options.precise = preciseModeBox_->isChecked();
    // The wavelength calibration's boxes of the factory page choose 2 or 3.
    options.acquisitionMode = factoryPage_ ? factoryPage_->acquisitionMode() : 0;
    const int tracesBefore = scans().Count();
    try {
        // Fills the scan parameter block's per-measurement fields, prepares
        // "Last Scan" and starts the thread; from here on the live source
        // records are the thread's.
        session_->start(*view_, queuedTo(this), options);
    } catch (const MeasurementRefused& refused) {
        // Nothing was changed: the window is idle again with the reason shown.
        statusMessage(2, sentence(refused.what()));
        endOfMeasurement();
        return;
    }
    if (scans().Count() > tracesBefore && chart_) chart_->scanAdded(MeasurementSession::lastScanName);

    if (chart_) chart_->setTraceControlsEnabled(true);
    if (pages_->currentIndex() == PageParameters || pages_->currentIndex() == PageContinuous)
        pages_->setCurrentIndex(PageTransfer);
    if (passBand_) passBand_->measurementStarts();
}

void TFormZovEZO::requestStop()
{
    // The session's stop never waits: a single scan is cancelled and a
    // continuous run ends after the scan under way (at once in trigger
    // mode); either way the end message completes the stop, so the event
    // loop goes on meanwhile.
    if (measurementRunning()) {
        if (settings().measurementType != 0) delayTimer_->stop();
        session_->stop();
    }
    if (passBand_) passBand_->measurementStops();
}

// ---- The thread's messages -----------------------------------------------------

void TFormZovEZO::scanCompleted(ScanTrace& trace)
{
    runGuarded([this, &trace] { refreshScanPages(trace); });
    emit scanShown();
}

void TFormZovEZO::refreshScanInfoPages(const ScanTrace& trace)
{
    const ScanRes& result = trace.result();
    const ScanParameterBlock& block = settings().scanParameters;
    scanInfoCharts_->refresh(result, {true, block.enable2 != 0, block.enable3 != 0, block.enable4 != 0},
                             frequencyDisplay(), keepModeHopBox_->isChecked());

    QStringList lines;
    for (std::size_t i = 0; i < result.lines.size(); ++i)
        lines << QString::fromStdString(WindowRules::lineDetectionText(static_cast<int>(i), result.lines[i]));
    linesText_->setPlainText(lines.join('\n'));
}

void TFormZovEZO::refreshScanPages(ScanTrace& trace)
{
    // The trace already holds the scan: the session applied its snapshot
    // on this thread before telling the window.
    refreshScanInfoPages(trace);
    const ScanRes& result = trace.result();
    const ScanCurve* first = trace.CurveAt(0);
    const int scanCount = first != nullptr ? first->data().nbScan() : 1;
    if (!result.lines.empty() && calibrationPage_)
        calibrationPage_->lineFound(result.lines.front(), settings().measurementType == 0, scanCount);
    if (settings().measurementType == 1) counterLabel_->setText(QString::number(scanCount));
    if (chart_) chart_->refreshAfterScan();
    if (passBand_) passBand_->analyse();
}

void TFormZovEZO::displayedScanChanged()
{
    runGuarded([this] {
        refreshScanInfoPages(scans().Current());
        if (chart_) chart_->refreshAfterScan();
        if (passBand_) passBand_->updateCurves();
    });
}

void TFormZovEZO::measurementEnded()
{
    endOfMeasurement();
    // A unit that went while the thread owned the link: the detection the
    // measurement held back runs now.
    if (!instrumentPresent_) deviceDetection();
    emit measurementFinished();
}

void TFormZovEZO::endOfMeasurement()
{
    progressLabel_->hide();
    blinkTimer_->stop();
    delayTimer_->stop();
    enableControls(true);
    if (chart_) chart_->setScanCommandsEnabled(true);
    applyStartClick(WindowRules::measurementEnded());
    startButton_->setEnabled(instrumentPresent_);
    if (passBand_) passBand_->measurementStops();
}

void TFormZovEZO::samplingStepChanged()
{
    // The session has put the raised step into the settings and the block.
    settingsToControls();
}

void TFormZovEZO::statusMessage(int severity, const QString& text)
{
    statusPanel_->showStatus(severity, text);
    emit statusShown(severity, text);
}

void TFormZovEZO::waitBeforeNextScan()
{
    if (settings().scanDelay > 0 && startState_ == WindowRules::StartState::Running) {
        progressLabel_->setText(WindowRules::waitingLabel);
        delayTimer_->start(settings().scanDelay * 1000);
    } else {
        session_->Continue();
    }
}

void TFormZovEZO::TimerDelayBetweenScansTimer()
{
    delayTimer_->stop();
    if (startState_ == WindowRules::StartState::Running) progressLabel_->setText(WindowRules::inProgressLabel);
    session_->Continue();
}

void TFormZovEZO::saveContinuousScan(const std::string& fileName)
{
    // The thread waits until it is let go, whatever happens to the file.
    struct LetGo {
        MeasurementSession& session;
        ~LetGo() { session.Continue(); }
    } letGo{*session_};
    runGuarded([this, &fileName] {
        const About about(identity().summary(), dspRelease_);
        const ScanFileFrame frame{about, settings(),
                                  ConfigurationSections::of(sourcesSection_.get(), passbandSection())};
        ScanTrace* trace = session_->lastScan();
        if (trace == nullptr) return;
        const ContinuousSaveResult saved = ::saveContinuousScan(fileName, settings().fileType, *trace, frame);
        // The series goes on when a file cannot be written; the operator sees why.
        if (!saved.ok)
            statusMessage(2, QString::fromStdString(saved.error.empty() ? "Can't write " + saved.fileName
                                                                        : saved.error));
    });
}

void TFormZovEZO::resolutionWarning(const QString& caption, const QString& text)
{
    if (dialogs_.message) dialogs_.message(1, caption, text);
}

void TFormZovEZO::TimerBlinkTimer() { progressLabel_->setVisible(!progressLabel_->isVisible()); }

// ---- Range edits -----------------------------------------------------------------

void TFormZovEZO::resetChartAxes()
{
    if (chart_) chart_->resetAxesToScanRange(startEdit_->GetValue(), stopEdit_->GetValue());
}

void TFormZovEZO::StartEditChange()
{
    hideRangeHint();
    if (measurementRunning()) return;
    openTriggerBand();
    applyRange(WindowRules::startChanged(startEdit_->GetValue(), stopEdit_->GetValue(), stopEdit_->GetMax()), true);
}

void TFormZovEZO::StopEditChange()
{
    hideRangeHint();
    if (measurementRunning()) return;
    openTriggerBand();
    applyRange(WindowRules::stopChanged(startEdit_->GetValue(), stopEdit_->GetValue(), startEdit_->GetMin()), false);
}

void TFormZovEZO::openTriggerBand()
{
    // On the trigger the sources sweep whatever they are told: every record
    // opens to the whole standard band.
    if (settings().scanParameters.trigger == 0) return;
    for (SourceConfig& source : session_->sources().sources) {
        source.lambdaMin = 1240.0;
        source.lambdaMax = 1680.0;
    }
    // The records changed behind the rows.
    if (sourceEditor_) sourceEditor_->RefreshAll();
}

void TFormZovEZO::applyRange(const WindowRules::ScanRange& range, bool fromStart)
{
    {
        // The other edit's handler is detached while the rule moves it.
        const QSignalBlocker b1(startEdit_), b2(stopEdit_);
        if (startEdit_->GetValue() != range.startNm) startEdit_->SetValue(range.startNm);
        if (stopEdit_->GetValue() != range.stopNm) stopEdit_->SetValue(range.stopNm);
    }
    if (range.hint != WindowRules::RangeHint::None) showRangeHint(WindowRules::hintText(range.hint));
    ConfLaser& sources = session_->sources();
    if (fromStart) {
        sources.SetScanStart(startEdit_->GetValue());
        if (sources.lambdaMax != stopEdit_->GetValue()) sources.SetScanStop(stopEdit_->GetValue());
    } else {
        sources.SetScanStop(stopEdit_->GetValue());
        if (sources.lambdaMin != startEdit_->GetValue()) sources.SetScanStart(startEdit_->GetValue());
    }
    if (settings().zoomStatus == 0) resetChartAxes();
    scans().Current().UpdateCoverage();
}

void TFormZovEZO::showRangeHint(const char* text)
{
    hint_->SetText(text);
    hint_->adjustSize();
    // Just above the start edit, over the top of the group.
    const QPoint at = startEdit_->mapTo(centralWidget(), QPoint(0, 0));
    hint_->move(std::max(4, at.x()), std::max(2, at.y() - hint_->height() - 4));
    hint_->show();
    hint_->raise();
}

void TFormZovEZO::hideRangeHint()
{
    if (hint_ != nullptr) hint_->hide();
}

void TFormZovEZO::SourcesRangeChanged()
{
    ConfLaser& sources = session_->sources();
    bool someEnabled = false;
    for (const SourceConfig& source : sources.sources) someEnabled = someEnabled || source.enable;
    if (someEnabled && settings().scanParameters.trigger == 0) {
        const double lo = sources.LowestLambdaMin();
        const double hi = sources.HighestLambdaMax();
        const QSignalBlocker b1(startEdit_), b2(stopEdit_);
        stopEdit_->SetMax(hi);
        stopEdit_->SetValue(sources.lambdaMax);
        stopEdit_->SetMin(lo);
        startEdit_->SetMin(lo);
        startEdit_->SetValue(sources.lambdaMin);
        startEdit_->SetMax(hi);
        if (startEdit_->GetValue() < lo) startEdit_->SetValue(lo);
        if (stopEdit_->GetValue() > hi) stopEdit_->SetValue(hi);
        if (!measurementRunning()) {
            sources.lambdaMin = startEdit_->GetValue();
            sources.lambdaMax = stopEdit_->GetValue();
        }
    }
    if (measurementRunning()) return;
    sources.ApplyScanRange();
    sources.UpdateActiveRange();
    placeSimulatedInstruments();
    ScanTrace& current = scans().Current();
    if (!(current.CurveCount() > 0 && current.name() != MeasurementSession::lastScanName)) current.UpdateCoverage();
}

void TFormZovEZO::ButtonGraphLimitsClick()
{
    ConfLaser& sources = session_->sources();
    const double lo = sources.LowestLambdaMin();
    const double hi = sources.HighestLambdaMax();
    double first = startEdit_->GetValue();
    double last = stopEdit_->GetValue();
    if (chart_) std::tie(first, last) = chart_->visibleRangeNm();
    startEdit_->SetValue(std::clamp(first, lo, hi));
    stopEdit_->SetValue(std::clamp(last, lo, hi));
    if (settings().zoomStatus == 0) resetChartAxes();
}

void TFormZovEZO::ButtonFullScanClick()
{
    ConfLaser& sources = session_->sources();
    const double lo = sources.LowestLambdaMin();
    const double hi = sources.HighestLambdaMax();
    // The stop first: the start's 5 nm rule then sees the new stop.
    stopEdit_->SetValue(hi);
    startEdit_->SetValue(lo);
}

// ---- Modes ----------------------------------------------------------------------

void TFormZovEZO::TriggerClick()
{
    settings().scanParameters.trigger = triggerOn_->isChecked() ? 1 : 0;
    sourcesGroup_->setVisible(!triggerOn_->isChecked());
    settingsToControls();
}

void TFormZovEZO::PreciseModeClick()
{
    const bool on = preciseModeBox_->isChecked();
    settings().showInfoPreciseMode = on;
    settings().scanParameters.precise = on ? 1 : 0;
    if (on) {
        resolutionEdit_->SetValue(1);
        settings().samplingStep = 1;
        runGuarded([this] {
            for (SourceConfig& source : session_->sources().sources)
                if (source.enable) source.ApplySpeed(static_cast<int>(preciseSpeedNmPerS));
        });
        if (sourceEditor_) sourceEditor_->RefreshAll();
    }
    preciseNote_->setVisible(factory_ && on);
}

void TFormZovEZO::MeasurementTypeClick()
{
    settings().measurementType = continuousButton_->isChecked() ? 1 : 0;
    if (passBand_) passBand_->setContinuous(settings().measurementType == 1);
    showCounterPanel();
}

void TFormZovEZO::AutoSaveClick()
{
    settings().scanSaveEnabled = autoSaveBox_->isChecked();
    applyEnabling(idle());
}

void TFormZovEZO::MinMaxResetClick()
{
    settings().minMaxResetEnabled = minMaxResetBox_->isChecked();
    applyEnabling(idle());
}

void TFormZovEZO::FileTypeClick()
{
    settings().fileType = 0;
    for (int i = 0; i < 5; ++i) {
        if (fileTypeButtons_[i]->isChecked()) {
            settings().fileType = i;
            break;
        }
    }
}

void TFormZovEZO::ButtonBrowseDirectoryClick()
{
    const QString chosen = dialogs_.folder(QString::fromStdString(settings().dataFolder));
    if (chosen.isEmpty()) return;
    QString folder = QDir::toNativeSeparators(chosen);
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    folderLabel_->setText(folder);
    settings().scanFilesFolder = QDir::fromNativeSeparators(folder).toStdString();
}

// ---- Enabling -----------------------------------------------------------------------

WindowRules::EnableState TFormZovEZO::enableState(bool idle) const
{
    WindowRules::EnableState state;
    state.idle = idle;
    state.unitPresent = instrumentPresent_;
    state.laserInputs = identity().laserInputs();
    state.detectors = identity().detectors();
    state.autoSave = autoSaveBox_->isChecked();
    state.minMaxReset = minMaxResetBox_->isChecked();
    return state;
}

void TFormZovEZO::enableControls(bool enabled)
{
    powerEdit_->SetMin(1.0);
    applyEnabling(enabled);
}

void TFormZovEZO::applyEnabling(bool idle)
{
    const WindowRules::EnableState state = enableState(idle);
    const auto on = [&state](Control c) { return WindowRules::enabled(c, state); };
    const auto set = [](std::initializer_list<QWidget*> widgets, bool enabled) {
        for (QWidget* w : widgets)
            if (w != nullptr) w->setEnabled(enabled);
    };
    set({triggerOn_, triggerOff_}, on(Control::TriggerButtons));
    set({syncOn_, syncOff_}, on(Control::ExternalSyncButtons));
    syncFileButtonsEnabling(on(Control::SyncFileButtons));
    if (sourceEditor_) {
        // A row is usable while both it and the panel are enabled: the
        // panel follows idle, each row the unit's laser inputs.
        sourceEditor_->SetEnabled(on(Control::SourceEditor));
        for (int row = 1; row < 4; ++row) sourceEditor_->SetRowEnabled(row, state.laserInputs >= row + 1);
    }
    set({loadButton_}, on(Control::LoadConfiguration));
    set({saveAsButton_}, on(Control::SaveConfigurationAs));
    set({powerEdit_, powerLabel_}, on(Control::OutputPower));
    set({detectorBoxes_[1]}, on(Control::Detector2));
    set({detectorBoxes_[2]}, on(Control::Detector3));
    set({detectorBoxes_[3]}, on(Control::Detector4));
    set({extBox_}, on(Control::DetectorExt));
    set({orlBox_}, on(Control::DetectorOrl));
    set({resolutionEdit_}, on(Control::Resolution));
    set({startEdit_}, on(Control::StartEdit));
    set({stopEdit_}, on(Control::StopEdit));
    set({scanParametersGroup_}, on(Control::ScanParametersGroup));
    set({graphLimitsButton_}, on(Control::GraphLimits));
    set({fullScanButton_}, on(Control::FullScan));
    set({singleButton_}, on(Control::Single));
    set({continuousButton_}, on(Control::Continuous));
    set({counterLabel_}, on(Control::CounterLabel));
    set({countEdit_}, on(Control::CountEdit));
    set({scanLimitBox_}, on(Control::ScanLimitBox));
    set({autoSaveBox_}, on(Control::AutoSaveBox));
    set({browseButton_, folderLabel_, fileTypeLabel_}, on(Control::AutoSaveChoices));
    for (QRadioButton* b : fileTypeButtons_) b->setEnabled(on(Control::AutoSaveChoices));
    set({delayEdit_, delayLabel_}, on(Control::Delay));
    set({minMaxResetBox_}, on(Control::MinMaxResetBox));
    set({resetModuloEdit_, resetModuloLabel_}, on(Control::ResetModulo));
    if (chart_) chart_->setScanListEnabled(on(Control::ScanList));
    if (calibrationPage_) calibrationPage_->applyEnabling(state);
    if (factoryPage_) factoryPage_->applyEnabling(idle);
}

void TFormZovEZO::runGuarded(const std::function<void()>& command)
{
    // An exception of the core (a flash or acknowledgement failure, a file
    // that cannot be written) ends the command with its text; the window
    // stays usable and nothing stays disabled because of it.
    try {
        command();
    } catch (const std::exception& error) {
        if (dialogs_.message) dialogs_.message(2, "Error", QString::fromUtf8(error.what()));
        if (!measurementRunning()) {
            if (startState_ != WindowRules::StartState::Idle)
                endOfMeasurement();
            else
                enableControls(instrumentPresent_);
            startButton_->setEnabled(instrumentPresent_);
        }
    }
}
