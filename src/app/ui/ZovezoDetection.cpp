// Device detection: at the first showing of the window and after every USB
// change, find the unit, check its DSP release (offering the upgrade),
// keep its calibration file in step and adapt the window to it.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <exception>

#include "Applicationconfig.h"
#include "Doubleedit.h"
#include "MeasurementSession.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "StatusPanel.h"
#include "UnitOperation.h"
#include "UsbBridge.h"
#include "UsbHotplugMonitor.h"
#include "Wait.h"
#include "Zovezo.h"

namespace {

// The simulated unit is not a system device: its plugging in and out is
// looked at this often instead.
constexpr int simulatedHotplugPollMs = 400;

}  // namespace

void TFormZovEZO::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (firstShown_) return;
    firstShown_ = true;
    watchUsbChanges();
    deviceDetection();
}

void TFormZovEZO::watchUsbChanges()
{
    if (!options_.watchUsb) return;
    if (SimulatorPlugin::active()) {
        auto* poll = new QTimer(this);
        poll->setObjectName("SimulatedHotplug");
        auto plugged = std::make_shared<bool>(!UsbBridges::current()->presentDevices().empty());
        connect(poll, &QTimer::timeout, this, [this, plugged] {
            const bool now = !UsbBridges::current()->presentDevices().empty();
            if (now == *plugged) return;
            *plugged = now;
            deviceDetection();
        });
        poll->start(simulatedHotplugPollMs);
        return;
    }
    usbMonitor_ = std::make_unique<UsbHotplugMonitor>();
    if (!usbMonitor_->valid()) return;
    usbNotifier_ = new QSocketNotifier(usbMonitor_->fd(), QSocketNotifier::Read, this);
    connect(usbNotifier_, &QSocketNotifier::activated, this, &TFormZovEZO::usbChanged);
}

void TFormZovEZO::usbChanged()
{
    if (usbMonitor_ && usbMonitor_->drain()) deviceDetection();
}

void TFormZovEZO::deviceDetection()
{
    // The unit needs a moment after it appears; the window goes on meanwhile.
    // Changes in quick succession give one detection.
    detectionTimer_->start();
}

bool TFormZovEZO::detectionPending() const { return detectionTimer_->isActive(); }

void TFormZovEZO::detectNow()
{
    detectionTimer_->stop();
    if (UnitOperation::anyRunning()) {
        // The unit's link is busy with a firmware or flash operation: the
        // detection comes when it ends (unitOperationEnded).
        detectionDeferred_ = true;
        return;
    }
    const bool running = measurementRunning();
    bool present = false;
    try {
        UnitQuestions questions;
        questions.upgrade.askYesNo = [this](const std::string& caption, const std::string& text) {
            return dialogs_.askYesNo(QString::fromStdString(caption), QString::fromStdString(text));
        };
        questions.upgrade.waitWindow = [this](bool visible) {
            if (visible)
                wait_->showWith(DspFirmware::waitCaption, DspFirmware::waitText);
            else
                wait_->hide();
        };
        questions.firmwarePath = DspFirmware::requiredFirmwarePath(options_.programFolder);
        questions.replaceOutdated = [this](const std::string& caption, const std::string& text) {
            return dialogs_.askOkCancel(QString::fromStdString(caption), QString::fromStdString(text));
        };
        // While a measurement runs the session leaves the unit alone and
        // says only whether it is still on USB; the identity stays.
        const UnitState state = session_->detectUnit(questions);
        present = state.usable();
        if (!running) {
            dspRelease_ = present ? state.status.release : 0;
            if (present && factory_) {
                // The factory pages work on every input, whatever the unit has.
                IdentityRecord record = session_->identity();
                record.setDetectors(4);
                record.setLaserInputs(4);
                session_->setIdentity(record);
            }
            if (state.presence == UnitState::Presence::Silent)
                statusMessage(2, "The VEMAR does not answer (failure in the communication with the DSP)");
            // A damaged local calibration file refuses every measurement:
            // the operator learns why before pressing the start button.
            else if (!state.calibrationProblem.empty())
                statusMessage(1, QString::fromStdString(state.calibrationProblem));
        }
    } catch (const std::exception& error) {
        wait_->hide();
        if (!running) {
            present = false;
            session_->setIdentity(IdentityRecord{});
            dspRelease_ = 0;
        }
        if (dialogs_.message) dialogs_.message(2, "Error", QString::fromUtf8(error.what()));
    }
    adaptToUnit(present);
    emit detectionFinished();
}

void TFormZovEZO::adaptToUnit(bool present)
{
    const int detectors = identity().detectors();
    const int laserInputs = identity().laserInputs();
    for (int k = 2; k <= 4; ++k)
        if (detectors < k) detectorBoxes_[static_cast<std::size_t>(k - 1)]->setChecked(false);
    pages_->setTabVisible(PageLines, laserInputs != 1);
    if (calibrationPage_) calibrationPage_->unitAdapted(laserInputs, detectors);

    if (options_.commandLine.forceConnected()) present = true;
    instrumentPresent_ = present;
    noInstrumentLabel_->setVisible(!present);
    const bool running = measurementRunning();
    enableControls(present && !running);
    startButton_->setEnabled(present);
    // New limits may move the rows' edits, which write their records: not
    // while the thread uses them (the identity stays during a run anyway).
    if (sourceEditor_ && !running) sourceEditor_->SetFibreBand(identity().fibreBand());

    if (startButton_->isEnabled() && !running) {
        const ConfLaser& sources = session_->sources();
        startEdit_->blockSignals(true);
        stopEdit_->blockSignals(true);
        if (settings().scanParameters.trigger != 0) {
            const WindowRules::BandLimits band = WindowRules::fibreBandLimits(identity().fibreBand());
            startEdit_->SetMin(band.lowestStartNm);
            stopEdit_->SetMax(band.highestStopNm);
        }
        startEdit_->SetValue(sources.lambdaMin);
        stopEdit_->SetValue(sources.lambdaMax);
        startEdit_->blockSignals(false);
        stopEdit_->blockSignals(false);
    }
    refreshAbout();
}
