#pragma once

// The "Factory" page: the DSP group (release display, reboot, firmware
// upgrade), the calibration file in the unit's flash, the sources' "Off",
// and the wavelength calibration against an etalon with its two charts.
// The unit is worked on off the window's thread through UnitOperation; the
// calibration's logic lives in WavelengthCalibration.

#include <QString>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "DspFirmware.h"
#include "WavelengthCalibration.h"
#include "WindowPages.h"

class MaintenanceHost;
class QCheckBox;
class QCPGraph;
class QCustomPlot;
class QLineEdit;
class QPushButton;
class QRadioButton;
class UnitOperation;

class TFactoryPage : public QWidget, public FactoryPagePart {
    Q_OBJECT

public:
    TFactoryPage(QWidget& place, MaintenanceHost& host);
    ~TFactoryPage() override;

    static constexpr const char* progCalibCaption = "Prog Calib File";
    static constexpr const char* waitCaption = "WAIT...";
    static constexpr const char* calibrationFileCaption = "Calibration file";
    static constexpr const char* replaceQuestion = "Replace calibration in Flash?";
    static constexpr const char* readDoneCaption = "Dsp Calibration file ";
    static constexpr const char* readDoneText = "Read Calibration Done.\n";
    static constexpr const char* upgradeTitle = "Upgrade DSP User code";
    static constexpr const char* upgradeFilter = "DSP upgrade files (*.out)";

    // FactoryPagePart
    void applyEnabling(bool idle) override;
    int acquisitionMode() const override;

    // The handlers of the page's controls.
    void B_FactGetVersionClick();
    void B_FactRebootDspClick();
    void B_FactUgradeDSPClick();
    void B_FactProgCalibFileClick();
    void B_FactReadCalibFileClick();
    void B_TlsOffClick();
    void CheckBox2Click();
    void CheckBox3Click();
    void Button4Click();
    void Button5Click();

    // For tests: waits for the unit operation under way to end and its end
    // to be handled; true when none runs (any more).
    bool waitForOperation(int timeoutMs);

private:
    QWidget* buildDspGroup();
    // A group of buttons one below the other.
    QWidget* buttonColumn(const char* name, const char* title, std::initializer_list<QPushButton*> buttons);
    QWidget* buildCalibrationFileGroup();
    QWidget* buildSourcesGroup();
    QWidget* buildWavelengthGroups();
    QCustomPlot* buildChart(const char* name, const char* bottom, const char* left);

    // Runs work off the window's thread with the wait window; the button
    // stays disabled until the end, then after() runs on the window's thread
    // (a failure is shown instead, titled failureCaption).
    void runOnUnit(QPushButton* button, const QString& waitCaption, const QString& waitText, const QString& failureCaption,
                   std::function<void()> work, std::function<void()> after);
    void showStatus(const DspFirmware::Status& status);
    // Reads a status off the window's thread and shows it.
    void showStatusOf(QPushButton* button, const QString& caption, const QString& waitText,
                      std::function<DspFirmware::Status()> read);
    void showMessage(const WavelengthCalibration::Message& message);
    // Asks before an existing archive is replaced; writes it unless refused.
    void archiveSweeps(const WavelengthCalibration::Archive& archive);
    std::string calibFolder() const;
    std::string etalonSerial() const;

    MaintenanceHost& host_;
    std::unique_ptr<UnitOperation> operation_;
    bool idle_ = true;
    bool updateAllowed_ = false;  // "Update calibration" after an etalon was chosen for it

    QLineEdit* dspVersion_ = nullptr;
    QLineEdit* siliconRev_ = nullptr;
    QRadioButton* inUserCode_ = nullptr;
    QRadioButton* inFlash_ = nullptr;
    QPushButton* getVersion_ = nullptr;
    QPushButton* rebootDsp_ = nullptr;
    QPushButton* upgradeDsp_ = nullptr;
    QPushButton* progCalibFile_ = nullptr;
    QPushButton* readCalibFile_ = nullptr;
    QPushButton* tlsOff_ = nullptr;
    QCheckBox* checkBox2_ = nullptr;
    QCheckBox* checkBox3_ = nullptr;
    QPushButton* button4_ = nullptr;
    QPushButton* button5_ = nullptr;
    QLineEdit* edit3_ = nullptr;
    QCustomPlot* testCurve_ = nullptr;
    QCustomPlot* chart1_ = nullptr;
    // TestCurve's green, blue and red point series; Chart1's blue and red.
    std::vector<QCPGraph*> testSeries_;
    std::vector<QCPGraph*> chart1Series_;
};

// The factory the window's parts take.
std::unique_ptr<FactoryPagePart> makeFactoryPage(QWidget& place, MaintenanceHost& host);
