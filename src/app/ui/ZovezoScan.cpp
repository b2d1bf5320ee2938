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
#include "ConfLaserView.h"
#include "ContinuousScanSaving.h"
#include "Doubleedit.h"
#include "Frequency.h"
#include "Intedit.h"
#include "Panelhint.h"
#include "ScanFile.h"
#include "ScanInfoCharts.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "StartButtonPictures.h"
#include "StatusPanel.h"
#include "Zovezo.h"

using WindowRules::Control;

namespace {

// How long a stop in single mode waits for the thread before it lets the
// thread end by itself (its end message then completes the stop).
constexpr int singleStopWaitMs = 2000;
constexpr double preciseSpeedNmPerS = 10.0;

constexpr const char* noSourceText = "No enabled source covers the scan range";

}  // namespace

bool TFormZovEZO::frequencyDisplay() const { return chart_ && chart_->frequencyDisplay(); }

bool TFormZovEZO::externalTriggerMode() const { return settings_->scanParameters.trigger != 0; }

void TFormZovEZO::connectControls()
{
    connect(startButton_, &QToolButton::clicked, this, &TFormZovEZO::ButtonStartClick);
    connect(singleButton_, &QRadioButton::toggled, this, &TFormZovEZO::MeasurementTypeClick);
    connect(scanLimitBox_, &QCheckBox::toggled, this, [this](bool on) {
        settings_->scanLimitEnabled = on;
        showCounterPanel();
    });
    connect(countEdit_, &TIntEdit::changed, this, [this](int value) { settings_->scanLimit = value; });
    connect(autoSaveBox_, &QCheckBox::toggled, this, &TFormZovEZO::AutoSaveClick);
    connect(browseButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonBrowseDirectoryClick);
    for (QRadioButton* button : fileTypeButtons_) connect(button, &QRadioButton::toggled, this, &TFormZovEZO::FileTypeClick);
    connect(delayEdit_, &TIntEdit::changed, this, [this](int value) { settings_->scanDelay = value; });
    connect(minMaxResetBox_, &QCheckBox::toggled, this, &TFormZovEZO::MinMaxResetClick);
    connect(resetModuloEdit_, &TIntEdit::changed, this, [this](int value) { settings_->minMaxResetModulo = value; });
    connect(resolutionEdit_, &TIntEdit::changed, this, [this](int value) { settings_->samplingStep = value; });
    connect(triggerOn_, &QRadioButton::toggled, this, &TFormZovEZO::TriggerClick);
    connect(preciseModeBox_, &QCheckBox::toggled, this, &TFormZovEZO::PreciseModeClick);
    connect(graphLimitsButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonGraphLimitsClick);
    connect(fullScanButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonFullScanClick);
    connect(loadButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonLoadClick);
    connect(saveAsButton_, &QPushButton::clicked, this, &TFormZovEZO::ButtonSaveAsClick);
    connect(startEdit_, &TDoubleEdit::entered, this, &TFormZovEZO::StartEditChange);
    connect(calibrationModeBox_, &QCheckBox::toggled, this, [this] { applyEnabling(idle()); });
    connect(opticalBox_, &QCheckBox::toggled, this, [this] { applyEnabling(idle()); });
    connect(keepModeHopBox_, &QCheckBox::toggled, this, [this](bool on) { settings_->keepModeHop = on; });

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
    counterLabel_->setText("0");
    continuousButton_->setText("Continuous");

    controlsToSettings();
    ConfLaser& sources = ConfLaser::live();
    if (settings_->zoomStatus == 0) resetChartAxes();

    enableControls(false);
    scanInfoCharts_->clearModeHop();
    if (chart_) chart_->setScanCommandsEnabled(false);
    blinkTimer_->start();

    MeasurementFields fields;
    fields.precise = preciseModeBox_->isChecked();
    if (!fillMeasurementFields(*settings_, sources, fields)) {
        statusMessage(2, noSourceText);
        measurementEnded();
        return;
    }
    if (chart_) chart_->refreshDisplayedTraces();
    bool created = false;
    ScanTrace& trace = lastScanTrace(*scans_, *liveSources_, *settings_, &created);
    if (created && chart_) chart_->scanAdded(lastScanName);

    settingsToControls();
    measurement_.reset();
    measurement_ = std::make_unique<MeasurementRun>(*this, *this, sources, *settings_, identity_, trace);

    if (chart_) chart_->setTraceControlsEnabled(true);
    if (pages_->currentIndex() == PageParameters || pages_->currentIndex() == PageContinuous)
        pages_->setCurrentIndex(PageTransfer);
    if (passBand_) passBand_->measurementStarts();
}

void TFormZovEZO::requestStop()
{
    if (measurement_) {
        if (settings_->measurementType == 0) {
            measurement_->requestCancel();
            measurement_->Continue();
            if (measurement_->waitForEnd(singleStopWaitMs)) measurement_.reset();
        } else {
            if (settings_->scanParameters.trigger != 0) measurement_->requestCancel();
            measurement_->markLast();
            delayTimer_->stop();
            measurement_->Continue();
        }
    }
    if (passBand_) passBand_->measurementStops();
}

// ---- The thread's messages -----------------------------------------------------

void TFormZovEZO::scanCompleted()
{
    runGuarded([this] { refreshScanPages(); });
    emit scanShown();
}

void TFormZovEZO::refreshScanPages()
{
    ScanTrace& trace = scans_->Current();
    const ScanRes& result = trace.result();
    const ScanParameterBlock& block = settings_->scanParameters;
    scanInfoCharts_->refresh(result, {true, block.enable2 != 0, block.enable3 != 0, block.enable4 != 0},
                             frequencyDisplay(), keepModeHopBox_->isChecked());

    QStringList lines;
    for (std::size_t i = 0; i < result.lines.size(); ++i)
        lines << QString::fromStdString(WindowRules::lineDetectionText(static_cast<int>(i), result.lines[i]));
    linesText_->setPlainText(lines.join('\n'));

    const ScanCurve* first = trace.CurveAt(0);
    const int scanCount = first != nullptr ? first->data().nbScan() : 1;
    if (!result.lines.empty()) {
        // The calibration page's "Average" box joins when that page exists.
        rememberedLineNm_ = WindowRules::rememberedLineWavelength(rememberedLineNm_, result.lines.front(), false,
                                                                  settings_->measurementType == 0, scanCount);
    }
    if (settings_->measurementType == 1) counterLabel_->setText(QString::number(scanCount));
    if (chart_) chart_->refreshAfterScan();
    if (passBand_) passBand_->analyse();
}

void TFormZovEZO::measurementEnded()
{
    progressLabel_->hide();
    blinkTimer_->stop();
    delayTimer_->stop();
    enableControls(true);
    if (chart_) chart_->setScanCommandsEnabled(true);
    applyStartClick(WindowRules::measurementEnded());
    // The end message is the thread's last call: it is ending now.
    measurement_.reset();
    if (passBand_) passBand_->measurementStops();
    // A unit that went while the thread owned the link: the detection the
    // measurement held back runs now.
    if (!instrumentPresent_) deviceDetection();
    emit measurementFinished();
}

void TFormZovEZO::samplingStepChanged(int samplingStepPm)
{
    settings_->samplingStep = samplingStepPm;
    settings_->scanParameters.samplingStep = static_cast<std::int16_t>(samplingStepPm);
    settingsToControls();
}

void TFormZovEZO::statusMessage(int severity, const QString& text)
{
    statusPanel_->showStatus(severity, text);
    emit statusShown(severity, text);
}

void TFormZovEZO::waitBeforeNextScan()
{
    if (!measurement_) return;
    if (settings_->scanDelay > 0) {
        progressLabel_->setText(WindowRules::waitingLabel);
        delayTimer_->start(settings_->scanDelay * 1000);
    } else {
        measurement_->Continue();
    }
}

void TFormZovEZO::TimerDelayBetweenScansTimer()
{
    delayTimer_->stop();
    if (startState_ == WindowRules::StartState::Running) progressLabel_->setText(WindowRules::inProgressLabel);
    if (measurement_) measurement_->Continue();
}

void TFormZovEZO::saveContinuousScan(const std::string& fileName)
{
    if (!measurement_) return;
    const About about(identity_.summary(), dspRelease_);
    const ScanFileFrame frame{about, *settings_, ConfigurationSections::of(sourcesSection_.get(), passbandSection())};
    const ContinuousSaveResult saved = ::saveContinuousScan(fileName, settings_->fileType, scans_->Current(), frame);
    // The series goes on when a file cannot be written; the operator sees why.
    if (!saved.ok)
        statusMessage(2, QString::fromStdString(saved.error.empty() ? "Can't write " + saved.fileName : saved.error));
    measurement_->Continue();
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
    ConfLaser& sources = ConfLaser::live();
    if (settings_->scanParameters.trigger != 0) {
        for (SourceConfig& source : sources.sources) {
            source.lambdaMin = 1240.0;
            source.lambdaMax = 1680.0;
        }
    }
    applyRange(WindowRules::startChanged(startEdit_->GetValue(), stopEdit_->GetValue(), stopEdit_->GetMax()), true);
}

void TFormZovEZO::StopEditChange()
{
    hideRangeHint();
    if (measurementRunning()) return;
    ConfLaser& sources = ConfLaser::live();
    if (settings_->scanParameters.trigger != 0) {
        for (SourceConfig& source : sources.sources) {
            source.lambdaMin = 1240.0;
            source.lambdaMax = 1680.0;
        }
    }
    applyRange(WindowRules::stopChanged(startEdit_->GetValue(), stopEdit_->GetValue(), startEdit_->GetMin()), false);
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
    ConfLaser& sources = ConfLaser::live();
    if (fromStart) {
        sources.SetScanStart(startEdit_->GetValue());
        if (sources.lambdaMax != stopEdit_->GetValue()) sources.SetScanStop(stopEdit_->GetValue());
    } else {
        sources.SetScanStop(stopEdit_->GetValue());
        if (sources.lambdaMin != startEdit_->GetValue()) sources.SetScanStart(startEdit_->GetValue());
    }
    if (settings_->zoomStatus == 0) resetChartAxes();
    scans_->Current().UpdateCoverage();
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
    ConfLaser& sources = ConfLaser::live();
    bool someEnabled = false;
    for (const SourceConfig& source : sources.sources) someEnabled = someEnabled || source.enable;
    if (someEnabled && settings_->scanParameters.trigger == 0) {
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
    ScanTrace& current = scans_->Current();
    if (!(current.CurveCount() > 0 && current.name() != lastScanName)) current.UpdateCoverage();
}

void TFormZovEZO::ButtonGraphLimitsClick()
{
    ConfLaser& sources = ConfLaser::live();
    const double lo = sources.LowestLambdaMin();
    const double hi = sources.HighestLambdaMax();
    double first = startEdit_->GetValue();
    double last = stopEdit_->GetValue();
    if (chart_) std::tie(first, last) = chart_->visibleRangeNm();
    startEdit_->SetValue(std::clamp(first, lo, hi));
    stopEdit_->SetValue(std::clamp(last, lo, hi));
    if (settings_->zoomStatus == 0) resetChartAxes();
}

void TFormZovEZO::ButtonFullScanClick()
{
    ConfLaser& sources = ConfLaser::live();
    const double lo = sources.LowestLambdaMin();
    const double hi = sources.HighestLambdaMax();
    // The stop first: the start's 5 nm rule then sees the new stop.
    stopEdit_->SetValue(hi);
    startEdit_->SetValue(lo);
}

// ---- Modes ----------------------------------------------------------------------

void TFormZovEZO::TriggerClick()
{
    settings_->scanParameters.trigger = triggerOn_->isChecked() ? 1 : 0;
    sourcesGroup_->setVisible(!triggerOn_->isChecked());
    settingsToControls();
}

void TFormZovEZO::PreciseModeClick()
{
    const bool on = preciseModeBox_->isChecked();
    settings_->showInfoPreciseMode = on;
    settings_->scanParameters.precise = on ? 1 : 0;
    if (on) {
        resolutionEdit_->SetValue(1);
        settings_->samplingStep = 1;
        runGuarded([] {
            for (SourceConfig& source : ConfLaser::live().sources)
                if (source.laser) source.ApplySpeed(static_cast<int>(preciseSpeedNmPerS));
        });
        if (sourceEditor_) sourceEditor_->RefreshAll();
    }
    preciseNote_->setVisible(factory_ && on);
}

void TFormZovEZO::MeasurementTypeClick()
{
    settings_->measurementType = continuousButton_->isChecked() ? 1 : 0;
    if (passBand_) passBand_->setContinuous(settings_->measurementType == 1);
    showCounterPanel();
}

void TFormZovEZO::AutoSaveClick()
{
    settings_->scanSaveEnabled = autoSaveBox_->isChecked();
    applyEnabling(idle());
}

void TFormZovEZO::MinMaxResetClick()
{
    settings_->minMaxResetEnabled = minMaxResetBox_->isChecked();
    applyEnabling(idle());
}

void TFormZovEZO::FileTypeClick()
{
    settings_->fileType = 0;
    for (int i = 0; i < 5; ++i) {
        if (fileTypeButtons_[i]->isChecked()) {
            settings_->fileType = i;
            break;
        }
    }
}

void TFormZovEZO::ButtonBrowseDirectoryClick()
{
    const QString chosen = dialogs_.folder(QString::fromStdString(settings_->dataFolder));
    if (chosen.isEmpty()) return;
    QString folder = QDir::toNativeSeparators(chosen);
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    folderLabel_->setText(folder);
    settings_->scanFilesFolder = QDir::fromNativeSeparators(folder).toStdString();
}

// ---- Enabling -----------------------------------------------------------------------

WindowRules::EnableState TFormZovEZO::enableState(bool idle) const
{
    WindowRules::EnableState state;
    state.idle = idle;
    state.unitPresent = instrumentPresent_;
    state.laserInputs = identity_.laserInputs();
    state.detectors = identity_.detectors();
    state.autoSave = autoSaveBox_->isChecked();
    state.minMaxReset = minMaxResetBox_->isChecked();
    state.calibrationMode = calibrationModeBox_->isChecked();
    state.opticalChecked = opticalBox_->isChecked();
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
    if (sourceEditor_) {
        sourceEditor_->SetEnabled(on(Control::SourceEditor));
        sourceEditor_->SetRowEnabled(1, on(Control::SourceRow2));
        sourceEditor_->SetRowEnabled(2, on(Control::SourceRow3));
        sourceEditor_->SetRowEnabled(3, on(Control::SourceRow4));
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
    set({calibrationModeBox_}, on(Control::CalibrationModeBox));
    set({opticalBox_, detectorSelection_}, on(Control::CalibrationControls));
    set({bncRow_}, on(Control::BncControls));
    set({inputSelection_}, on(Control::PowerControl));
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
            if (startState_ != WindowRules::StartState::Idle) applyStartClick(WindowRules::measurementEnded());
            enableControls(true);
            startButton_->setEnabled(instrumentPresent_);
        }
    }
}
