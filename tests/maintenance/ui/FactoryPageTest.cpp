// The "Factory" page of the main window on the simulated instrument: the
// DSP group against the simulated unit's release and mode, the calibration
// file through the simulated flash (and a flash fault on the way), the
// etalon boxes with their French messages and their effect on the window,
// and a wavelength calibration run from the page. Simulated time runs a
// hundred times faster.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>
#include <filesystem>
#include <qcustomplot.h>

#include "Applicationconfig.h"
#include "DriverPause.h"
#include "FactoryPage.h"
#include "FastSimulation.h"
#include "FileUtil.h"
#include "FlashControl.h"
#include "FlashZones.h"
#include "MeasurementSession.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "TabCalib.h"
#include "WindowFixture.h"
#include "vemar_sim.h"
#include "vemar_sim_bench.h"
#include "vemar_sim_gpib.h"
#include "vemar_sim_usb.h"

namespace {

constexpr double timeScale = 0.01;
constexpr int operationTimeoutMs = 120000;
constexpr int scanTimeoutMs = 60000;

// A sixth of the zone is more than any calibration file of the simulator.
std::string zoneFileBytes()
{
    std::vector<std::uint8_t> header(28);
    vemarsim_unit_read_flash(0x3D8000, header.data(), 28);
    const std::uint32_t size = header[4] | (header[5] << 8) | (header[6] << 16) | (std::uint32_t(header[7]) << 24);
    std::string bytes(size, '\0');
    vemarsim_unit_read_flash(0x3D8000 + 14, bytes.data(), size);
    return bytes;
}

}  // namespace

class FactoryPageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dspVersionRebootAndUpgradeChangeTheDisplay();
    void upgradeCancelledOrRefused();
    void calibrationFileRoundTripThroughTheFlash();
    void flashFaultDuringProgCalibFileLeavesThePageUsable();
    void etalonBoxesMessagesAndTheWindow();
    void buttonsWaitForTheMeasurement();
    void offSwitchesEverySourceOff();
    void wavelengthCalibrationFromThePage();

private:
    std::unique_ptr<WindowFixture> detected();
    static TFactoryPage* page(WindowFixture& f) { return f.find<TFactoryPage>("TFactoryPage"); }
    static QPushButton* button(WindowFixture& f, const char* name) { return f.find<QPushButton>(name); }
    static QString release(WindowFixture& f) { return f.find<QLineEdit>("E_FactDspVersion")->text(); }
    static bool inUserCode(WindowFixture& f) { return f.find<QRadioButton>("RB_FactDspInSNS")->isChecked(); }
    static bool inFlash(WindowFixture& f) { return f.find<QRadioButton>("RB_FactDspInRWFlash")->isChecked(); }
    void press(WindowFixture& f, const char* name);
    std::string calibPath(WindowFixture& f) const;
};

void FactoryPageTest::initTestCase()
{
    std::string why;
    QVERIFY2(SimulatorPlugin::activate("", 1, &why), why.c_str());
}

void FactoryPageTest::init()
{
    QVERIFY(startFastSimulation("dwdm", 1, timeScale));
}

void FactoryPageTest::cleanup()
{
    vemarsim_unit_clear_faults();
    DriverPause::setPauseFunction({});
}

std::unique_ptr<WindowFixture> FactoryPageTest::detected()
{
    auto f = std::make_unique<WindowFixture>(std::vector<std::string>{"QZRT"}, dwdmConfiguration);
    f->window->detectNow();
    return f;
}

void FactoryPageTest::press(WindowFixture& f, const char* name)
{
    QPushButton* b = button(f, name);
    QVERIFY2(b != nullptr && b->isEnabled(), name);
    b->click();
    QVERIFY2(page(f)->waitForOperation(operationTimeoutMs), name);
}

std::string FactoryPageTest::calibPath(WindowFixture& f) const
{
    return f.window->session().settings().calibFolder + calibrationFileName(f.window->identity());
}

void FactoryPageTest::dspVersionRebootAndUpgradeChangeTheDisplay()
{
    auto f = detected();
    QVERIFY(f->window->instrumentPresent());
    QVERIFY(page(*f) != nullptr);
    // A unit of release 1.11 (after detection, which would offer the upgrade).
    QCOMPARE(vemarsim_unit_set_release(111), 0);
    QCOMPARE(f->window->pages().tabText(TFormZovEZO::PageFactory), QString("Factory"));

    press(*f, "B_FactGetVersion");
    QCOMPARE(release(*f), QString("1.11"));
    QVERIFY(inUserCode(*f));
    QVERIFY(!inFlash(*f));
    QVERIFY(f->find<QLineEdit>("E_FactDspSiliconRev")->text().isEmpty());

    // "Upgrade DSP" with the firmware file of release 1.12, chosen in the dialog.
    const std::string firmware = f->program.file("VEMAR_DSP V112.out");
    QCOMPARE(vemarsim_unit_write_firmware_file(firmware.c_str(), 112), 0);
    f->chosenFile = QString::fromStdString(firmware);
    press(*f, "B_FactUgradeDSP");
    QVERIFY2(f->dialogs.empty(), f->dialogs.empty() ? "" : qPrintable(f->dialogs[0].text));
    QCOMPARE(release(*f), QString("1.12"));

    // Reboot: into the boot code, then back into the new user code.
    press(*f, "B_FactRebootDsp");
    QVERIFY(inFlash(*f));
    QVERIFY(!inUserCode(*f));
    press(*f, "B_FactRebootDsp");
    QVERIFY(inUserCode(*f));
    QCOMPARE(release(*f), QString("1.12"));
    int flashMode = -1, unitRelease = 0;
    vemarsim_unit_status(&flashMode, &unitRelease);
    QCOMPARE(flashMode, 0);
    QCOMPARE(unitRelease, 112);
    QVERIFY(button(*f, "B_FactRebootDsp")->isEnabled());
}

void FactoryPageTest::upgradeCancelledOrRefused()
{
    auto f = detected();
    // Cancelled: nothing happens, the button comes back.
    f->chosenFile.clear();
    button(*f, "B_FactUgradeDSP")->click();
    QVERIFY(button(*f, "B_FactUgradeDSP")->isEnabled());
    QVERIFY(f->dialogs.empty());

    // A file that is no firmware: refused with its text, the unit untouched.
    const std::string bad = f->program.file("bad.out");
    writeWholeFile(bad, "not a firmware");
    f->chosenFile = QString::fromStdString(bad);
    press(*f, "B_FactUgradeDSP");
    QCOMPARE(int(f->dialogs.size()), 1);
    QCOMPARE(f->dialogs[0].severity, 2);
    QCOMPARE(f->dialogs[0].caption, QString("DSP Error : "));
    QVERIFY2(f->dialogs[0].text.contains("bad.out"), qPrintable(f->dialogs[0].text));
    QCOMPARE(release(*f), QString("1.12"));
    QVERIFY(button(*f, "B_FactUgradeDSP")->isEnabled());
}

void FactoryPageTest::calibrationFileRoundTripThroughTheFlash()
{
    auto f = detected();
    const std::string path = calibPath(*f);
    const std::string original = zoneFileBytes();
    QVERIFY(!original.empty());

    // "Read Calib File": the unit's file into the Calib folder, byte for byte.
    std::filesystem::remove(path);
    press(*f, "B_FactReadCalibFile");
    QCOMPARE(int(f->dialogs.size()), 1);
    QCOMPARE(f->dialogs[0].severity, 0);
    QCOMPARE(f->dialogs[0].caption, QString("Dsp Calibration file "));
    QCOMPARE(f->dialogs[0].text, QString("Read Calibration Done.\n"));
    QVERIFY(readWholeFile(path) == original);

    // A changed local file goes into the flash with "Prog Calib File" after the question.
    {
        TabCalib calib(f->window->session().settings().calibFolder, f->window->identity());
        IdentityRecord identity = f->window->identity();
        QCOMPARE(calib.Load(identity), 0);
        calib.ScaleLineTables(1.000001);
        QCOMPARE(calib.Save(identity), 0);
    }
    const std::string changed = readWholeFile(path);
    QVERIFY(changed != original);
    f->dialogs.clear();
    f->answerYes = true;
    press(*f, "B_FactProgCalibFile");
    QCOMPARE(int(f->dialogs.size()), 1);
    QCOMPARE(f->dialogs[0].kind, QString("okcancel"));
    QCOMPARE(f->dialogs[0].caption, QString("Calibration file"));
    QCOMPARE(f->dialogs[0].text, QString("Replace calibration in Flash?"));
    QVERIFY(zoneFileBytes() == changed);
    QCOMPARE(button(*f, "B_FactProgCalibFile")->text(), QString("Prog Calib File"));

    // And back out again.
    std::filesystem::remove(path);
    press(*f, "B_FactReadCalibFile");
    QVERIFY(readWholeFile(path) == changed);

    // Cancelled: the caption comes back at once and the unit is not touched.
    f->answerYes = false;
    vemarsim_unit_clear_record();
    button(*f, "B_FactProgCalibFile")->click();
    QCOMPARE(button(*f, "B_FactProgCalibFile")->text(), QString("Prog Calib File"));
    QVERIFY(button(*f, "B_FactProgCalibFile")->isEnabled());
    QCOMPARE(vemarsim_unit_recorded_packets(nullptr, 0), 0);
}

void FactoryPageTest::flashFaultDuringProgCalibFileLeavesThePageUsable()
{
    auto f = detected();
    f->answerYes = true;
    QPushButton* prog = button(*f, "B_FactProgCalibFile");
    const std::string local = readWholeFile(calibPath(*f));
    struct Case {
        const char* what;
        int fault;
        std::uint32_t arg;
        bool fails;
    };
    // A flash error on one acknowledgement is overcome by the second pass;
    // a worn cell of the zone fails both, and the unit's calibration is then
    // incomplete: the operator reads why.
    const Case cases[] = {
        {"flash error acknowledgement", VEMARSIM_FAULT_ACK_FLASH_ERROR, 0, false},
        {"worn cell", VEMARSIM_FAULT_STUCK_BYTE, 0x3D8000 + 40, true},
    };
    for (const Case& c : cases) {
        f->dialogs.clear();
        QCOMPARE(vemarsim_unit_inject_fault(c.fault, int(c.arg)), 0);
        press(*f, "B_FactProgCalibFile");
        vemarsim_unit_clear_faults();
        QVERIFY2(!f->dialogs.empty(), c.what);
        QCOMPARE(f->dialogs.front().kind, QString("okcancel"));
        if (c.fails) {
            QCOMPARE(int(f->dialogs.size()), 2);
            const RecordedDialog& shown = f->dialogs.back();
            QCOMPARE(shown.kind, QString("message"));
            QCOMPARE(shown.severity, 2);
            QCOMPARE(shown.caption, QString("Calibration file"));
            QVERIFY2(shown.text.contains("Prog Calib File"), qPrintable(shown.text));
        } else {
            QVERIFY2(f->dialogs.size() == 1, qPrintable(f->dialogs.back().text));
            QVERIFY(zoneFileBytes() == local);
        }
        // A failure must not leave the button disabled with "WAIT..." on it.
        QVERIFY2(prog->isEnabled(), c.what);
        QCOMPARE(prog->text(), QString("Prog Calib File"));
    }

    // The page goes on: the faults gone, the same button programs the file.
    f->dialogs.clear();
    press(*f, "B_FactProgCalibFile");
    QCOMPARE(int(f->dialogs.size()), 1);
    QVERIFY(zoneFileBytes() == local);
    press(*f, "B_FactGetVersion");
    QCOMPARE(release(*f), QString("1.12"));
    QVERIFY(inUserCode(*f));
}

void FactoryPageTest::etalonBoxesMessagesAndTheWindow()
{
    auto f = detected();
    TFactoryPage* p = page(*f);
    auto* box2 = f->find<QCheckBox>("CheckBox2");
    auto* box3 = f->find<QCheckBox>("CheckBox3");
    auto* edit3 = f->find<QLineEdit>("Edit3");
    QCOMPARE(box2->text(), QString("Etalon on port 1 for wavelength  referencing"));
    QCOMPARE(box3->text(), QString("Scan on test mode (Etalon on port 1)"));
    QVERIFY(!button(*f, "Button4")->isEnabled());
    QCOMPARE(p->acquisitionMode(), 0);
    const std::string calib = f->window->session().settings().calibFolder;

    // No serial: refused, both boxes.
    for (QCheckBox* box : {box2, box3}) {
        f->dialogs.clear();
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(int(f->dialogs.size()), 1);
        QCOMPARE(f->dialogs[0].caption, QString(""));
        QCOMPARE(f->dialogs[0].text, QString("Remplir S/N Etalon!"));
    }
    // No etalon file of that serial.
    edit3->setText("E1");
    f->dialogs.clear();
    box2->click();
    QVERIFY(!box2->isChecked());
    QCOMPARE(f->dialogs.at(0).caption, QString("Erreur"));
    QCOMPARE(f->dialogs.at(0).text, QString::fromStdString("Fichier " + calib + "Etalon_E1.txt absent!"));

    // With the file: chosen, the other detectors off, mode 2.
    QCOMPARE(vemarsim_bench_write_etalon_file((calib + "Etalon_E1.txt").c_str()) > 0, true);
    writeWholeFile(calib + "ValeursWL.txt", "1 0 1 0  \n");
    for (const char* name : {"Detector2", "Detector3", "Detector4", "DetectorExt", "DetectorOrl"}) {
        f->find<QCheckBox>(name)->setEnabled(true);
        f->find<QCheckBox>(name)->setChecked(true);
    }
    f->dialogs.clear();
    box2->click();
    QVERIFY(box2->isChecked());
    QVERIFY(f->dialogs.empty());
    QVERIFY(button(*f, "Button4")->isEnabled());
    QCOMPARE(p->acquisitionMode(), 2);
    for (const char* name : {"Detector2", "Detector3", "Detector4", "DetectorExt", "DetectorOrl"})
        QVERIFY2(!f->find<QCheckBox>(name)->isChecked(), name);
    QVERIFY(f->find<QCheckBox>("Detector1")->isChecked());
    QVERIFY(readWholeFile(calib + "Etalon.txt") == readWholeFile(calib + "Etalon_E1.txt"));
    QVERIFY(!std::filesystem::exists(calib + "ValeursWL.txt"));

    // Test mode takes over: mode 3, "Update calibration" off.
    box3->click();
    QVERIFY(box3->isChecked());
    QVERIFY(!box2->isChecked());
    QCOMPARE(p->acquisitionMode(), 3);
    QVERIFY(!button(*f, "Button4")->isEnabled());

    // "Show results" without sweeps.
    f->dialogs.clear();
    press(*f, "Button5");
    QCOMPARE(f->dialogs.at(0).caption, QString("Erreur"));
    QCOMPARE(f->dialogs.at(0).text, QString("Fichier inexistant!"));
    box3->click();
    QCOMPARE(p->acquisitionMode(), 0);
}

void FactoryPageTest::buttonsWaitForTheMeasurement()
{
    auto f = detected();
    const char* buttons[] = {"B_FactGetVersion", "B_FactRebootDsp", "B_FactUgradeDSP", "B_FactProgCalibFile",
                             "B_FactReadCalibFile", "B_FactTlsOff", "Button5"};
    f->find<QToolButton>("StartButton")->click();
    QVERIFY(f->window->measurementRunning());
    for (const char* name : buttons) QVERIFY2(!button(*f, name)->isEnabled(), name);
    QVERIFY(!f->find<QCheckBox>("CheckBox2")->isEnabled());
    QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, scanTimeoutMs));
    for (const char* name : buttons) QVERIFY2(button(*f, name)->isEnabled(), name);
}

void FactoryPageTest::offSwitchesEverySourceOff()
{
    auto f = detected();
    // The configuration's one source, TLS_0 at address 2, lit by hand.
    ConfLaser& sources = f->window->session().sources();
    QCOMPARE(sources.sources[0].SwitchOutput(true), 0);
    VemarSimGpibLaserState state{};
    QCOMPARE(vemarsim_gpib_laser_state(2, &state), 0);
    QCOMPARE(state.outputOn, 1);
    press(*f, "B_FactTlsOff");
    QCOMPARE(vemarsim_gpib_laser_state(2, &state), 0);
    QCOMPARE(state.outputOn, 0);
    QVERIFY(f->dialogs.empty());
}

void FactoryPageTest::wavelengthCalibrationFromThePage()
{
    QCOMPARE(vemarsim_init("etalon", 1, 1), 0);
    auto f = detected();
    const std::string calib = f->window->session().settings().calibFolder;
    QVERIFY(vemarsim_bench_write_etalon_file((calib + "Etalon_E1.txt").c_str()) > 0);
    f->find<QLineEdit>("Edit3")->setText("E1");
    f->find<QCheckBox>("CheckBox2")->click();
    QVERIFY(f->find<QCheckBox>("CheckBox2")->isChecked());

    // A scan started from the window in mode 2 adds its sweep.
    f->find<QToolButton>("StartButton")->click();
    QCOMPARE(f->window->session().settings().scanParameters.acquisitionMode, std::int16_t(2));
    QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, scanTimeoutMs));
    QVERIFY(std::filesystem::exists(calib + "ValeursWL.txt"));

    f->dialogs.clear();
    press(*f, "Button4");
    QVERIFY2(f->dialogs.empty(), f->dialogs.empty() ? "" : qPrintable(f->dialogs[0].text));
    QVERIFY(std::filesystem::exists(calib + "PicsWL.txt"));
    const std::string archive = calib + "CalibWL_" + f->window->identity().serialNumber() + "_E1.txt";
    QVERIFY(std::filesystem::exists(archive));
    QVERIFY(!f->find<QCheckBox>("CheckBox2")->isChecked());
    QVERIFY(!button(*f, "Button4")->isEnabled());
    auto* testCurve = f->find<QCustomPlot>("TestCurve");
    QCOMPARE(testCurve->xAxis->label(), QString("Wavelength (nm)"));
    QCOMPARE(testCurve->yAxis->label(), QString("Wavelength detuning (pm)"));
    QVERIFY(testCurve->graph(0)->dataCount() > 100);
    QCOMPARE(f->find<QCustomPlot>("Chart1")->xAxis->label(), QString("Wavelength (nm) / Temp"));

    // Again: the archive exists, the question comes, No keeps it.
    f->find<QCheckBox>("CheckBox2")->click();
    f->find<QToolButton>("StartButton")->click();
    QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, scanTimeoutMs));
    const std::string kept = readWholeFile(archive);
    f->answerYes = false;
    press(*f, "Button4");
    QCOMPARE(f->dialogs.at(0).kind, QString("yesno"));
    QCOMPARE(f->dialogs.at(0).caption, QString("Test et calibrage"));
    QCOMPARE(f->dialogs.at(0).text, QString::fromStdString("Remplacer fichier" + archive));
    QVERIFY(readWholeFile(archive) == kept);

    // Test mode, then "Show results": residuals of a few pm at most.
    f->find<QCheckBox>("CheckBox3")->click();
    f->find<QToolButton>("StartButton")->click();
    QCOMPARE(f->window->session().settings().scanParameters.acquisitionMode, std::int16_t(3));
    QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, scanTimeoutMs));
    f->dialogs.clear();
    press(*f, "Button5");
    QVERIFY2(f->dialogs.empty(), f->dialogs.empty() ? "" : qPrintable(f->dialogs[0].text));
    QVERIFY(!f->find<QCheckBox>("CheckBox3")->isChecked());
    int points = 0;
    for (int g = 0; g < testCurve->graphCount(); ++g) {
        for (auto it = testCurve->graph(g)->data()->constBegin(); it != testCurve->graph(g)->data()->constEnd(); ++it) {
            ++points;
            QVERIFY2(std::fabs(it->value) < 3.0, qPrintable(QString::number(it->value)));
        }
    }
    QVERIFY(points > 10);
    QVERIFY(std::filesystem::exists(calib + "TestWL_" + f->window->identity().serialNumber() + "_E1.txt"));
}

QTEST_MAIN(FactoryPageTest)
#include "FactoryPageTest.moc"
