#pragma once

// The "Control/Calibration" page of the main window: the live power control
// with its bar chart, calibration mode, the TF calibration of a detector or
// of the EXT (BNC) input from the current scan, the BNC input's conversion,
// the wavelength-referencing correction of the line tables and "Reset
// Calibration". The work is the core's (PowerControl.h,
// CalibrationTools.h, FlashControl); the page shows, asks and forwards.

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <memory>

#include "WindowPages.h"
#include "WindowRules.h"

class MaintenanceHost;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QCPBars;
class QCustomPlot;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QWidget;
class TDoubleEdit;
class UnitOperation;
namespace PowerControl {
class Run;
struct Reading;
}  // namespace PowerControl

class TCalibrationPage : public QObject, public CalibrationPagePart {
    Q_OBJECT

public:
    TCalibrationPage(QWidget& place, MaintenanceHost& host);
    ~TCalibrationPage() override;

    // CalibrationPagePart
    void applyEnabling(const WindowRules::EnableState& state) override;
    void measurementStarts() override;
    void unitAdapted(int laserInputs, int detectors) override;
    void lineFound(double line0Nm, bool singleMode, int scanCount) override;
    void settingsToControls(const ApplicationConfig& settings) override;
    void controlsToSettings(ApplicationConfig& settings) const override;

    // Handlers.
    void ButtonStartPowerControlClick();
    void Timer4Timer();
    void CheckBoxCalibrationModeClick();
    void CBOpticalClick();
    void RadioGroup1Click(int item);
    void ButtonUpdateCalibrationClick();
    void ButtonUpdateCalibration2Click();
    void ButtonResetCalibrationClick();

    bool powerControlRunning() const { return powerControl_ != nullptr; }
    // The last reading shown (tests, screenshots): bar colours in bar order.
    QColor barColour(int bar) const;
    // Where the bar's top stands on its axis (dBm, or volts for Ext).
    double barTop(int bar) const;
    const UnitOperation& resetOperation() const { return *resetOperation_; }
    UnitOperation& resetOperation() { return *resetOperation_; }

private:
    QWidget* buildPowerControl(QWidget* parent);
    QWidget* buildChart(QWidget* parent);
    QWidget* buildTfCalibration(QWidget* parent);
    QWidget* buildBncInput(QWidget* parent);
    QWidget* buildWavelengthReferencing(QWidget* parent);
    void startPowerControl();
    void stopPowerControl();
    void showReading(const PowerControl::Reading& reading);
    void placeLabels();
    // The detector list: the unit's detectors and, while "Optical" is
    // checked, "BNC"; the selection kept where it can be.
    void setDetectorItems();
    int selectedDetector() const;
    int selectedInput() const;
    void reapplyEnabling();
    void warn(const char* text);

    MaintenanceHost& host_;
    QPointer<QWidget> page_;
    std::unique_ptr<PowerControl::Run> powerControl_;
    std::unique_ptr<UnitOperation> resetOperation_;
    WindowRules::EnableState state_;
    int detectors_ = 4;
    double rememberedLineNm_ = 0.0;

    QPushButton* startButton_ = nullptr;  // tag: powerControl_ running
    QTimer* timer4_ = nullptr;            // tag: the input last selected, in powerControl_
    QGroupBox* inputSelection_ = nullptr;
    QButtonGroup* inputButtons_ = nullptr;
    QCustomPlot* chart2_ = nullptr;
    std::array<QCPBars*, 6> bars_{};
    std::array<QLabel*, 6> valueLabels_{};
    QGroupBox* tfGroup_ = nullptr;
    QGroupBox* detectorSelection_ = nullptr;
    QButtonGroup* detectorButtons_ = nullptr;
    QPushButton* updateCalibration_ = nullptr;
    QCheckBox* calibrationModeBox_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QGroupBox* bncGroup_ = nullptr;
    QCheckBox* opticalBox_ = nullptr;
    QWidget* bncRow_ = nullptr;
    QLineEdit* bncAlpha_ = nullptr;
    QLineEdit* bncBeta_ = nullptr;
    QRadioButton* bncMw_ = nullptr;
    QRadioButton* bncDbm_ = nullptr;
    TDoubleEdit* measured_ = nullptr;
    TDoubleEdit* expected_ = nullptr;
    QCheckBox* averageBox_ = nullptr;
    QPushButton* updateCalibration2_ = nullptr;
};
