// The main window on the simulated instrument: device detection (no unit,
// the unit, a DSP of another release, an unplug), the enabling for a
// one-detector and a four-detector unit, and scans run from the start
// button. Simulated time runs a hundred times faster.

#include <QComboBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QtTest>
#include <chrono>
#include <thread>

#include "Applicationconfig.h"
#include "DriverPause.h"
#include "FastSimulation.h"
#include "FlashControl.h"
#include "GpibBinding.h"
#include "LinkTiming.h"
#include "MeasurementSession.h"
#include "Componentsourceeditor.h"
#include "Panelsourceeditor.h"
#include "Passband.h"
#include "Passband_continousrenderer.h"
#include "Passband_model.h"
#include "Passband_panel.h"
#include "Passband_tablerenderer.h"
#include "ScanInfoCharts.h"
#include "Scanmanager.h"
#include "Table.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "StatusPanel.h"
#include "UsbBridge.h"
#include "WindowFixture.h"
#include "vemar_sim.h"
#include "vemar_sim_bench.h"
#include "vemar_sim_gpib.h"
#include "vemar_sim_usb.h"

namespace {

constexpr double timeScale = 0.01;
constexpr int scanTimeoutMs = 60000;

struct Status {
    int severity;
    QString text;
};

}  // namespace

class WindowScanTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void detectionWithoutUnit();
    void detectionOfTheSimulatedUnit();
    void wrongReleaseDeclined();
    void wrongReleaseUpgraded();
    void unplugWhileIdle();
    void oneDetectorUnit();
    void factorySwitchClaimsFourDetectors();
    void sourceRowsFollowTheEnableChainAndTheUnit();
    void preciseModeSetsEverySourceTo10NmPerS();
    void singleScanFromTheStartButton();
    void displayedScanChangeRefreshesThePages();
    void continuousRunOfThreeScans();
    void stopOfASingleScanIsCompletedByTheEndMessage();
    void stopDuringAContinuousRunEndsAfterTheScanUnderWay();
    void thirdPressDisablesTheButtonUntilTheEnd();

private:
    std::unique_ptr<WindowFixture> detected(std::vector<std::string> switches = {});
    static TPanelSourceEditor* sourceRows(WindowFixture& f) { return f.find<TPanelSourceEditor>("SourceEditor"); }
    static TPassBandFrame* passBand(WindowFixture& f) { return f.find<TPassBandFrame>("PassBandFrame"); }
    void recordStatus(WindowFixture& f);
    bool hasStatus(const QString& text) const;
    bool hasError() const;

    std::vector<Status> statuses_;
};

void WindowScanTest::initTestCase()
{
    std::string why;
    QVERIFY2(SimulatorPlugin::activate("", 1, &why), why.c_str());
}

void WindowScanTest::init()
{
    QVERIFY(startFastSimulation("dwdm", 1, timeScale));
    statuses_.clear();
}

void WindowScanTest::cleanup()
{
    vemarsim_unit_set_plugged(1);
    DriverPause::setPauseFunction({});
}

std::unique_ptr<WindowFixture> WindowScanTest::detected(std::vector<std::string> switches)
{
    auto f = std::make_unique<WindowFixture>(std::move(switches), dwdmConfiguration);
    f->window->detectNow();
    recordStatus(*f);
    return f;
}

void WindowScanTest::recordStatus(WindowFixture& f)
{
    connect(f.window.get(), &TFormZovEZO::statusShown, this,
            [this](int severity, const QString& text) { statuses_.push_back({severity, text}); });
}

bool WindowScanTest::hasStatus(const QString& text) const
{
    return std::any_of(statuses_.begin(), statuses_.end(), [&](const Status& s) { return s.text == text; });
}

bool WindowScanTest::hasError() const
{
    return std::any_of(statuses_.begin(), statuses_.end(), [](const Status& s) { return s.severity == 2; });
}

void WindowScanTest::detectionWithoutUnit()
{
    vemarsim_unit_set_plugged(0);
    WindowFixture f;
    f.window->detectNow();
    QVERIFY(!f.window->instrumentPresent());
    QVERIFY(!f.find<QLabel>("NoInstrument")->isHidden());
    QCOMPARE(f.find<QLabel>("NoInstrument")->text(), QString(" No instrument found. Please connect the VEMAR "));
    QVERIFY(!f.find<QToolButton>("StartButton")->isEnabled());
    QVERIFY(!f.window->identity().isValid());
    QCOMPARE(f.find<QLabel>("About0")->text(), QString("v 3.8.0"));
    for (int i = 1; i < 12; ++i) QCOMPARE(f.find<QLabel>(qPrintable(QString("About%1").arg(i)))->text(), QString("- - - - - -"));

    // The no-instrument switch: the start button as if a unit were there.
    WindowFixture forced({"XWEP"});
    forced.window->detectNow();
    QVERIFY(forced.window->instrumentPresent());
    QVERIFY(forced.find<QLabel>("NoInstrument")->isHidden());
    QVERIFY(forced.find<QToolButton>("StartButton")->isEnabled());
    QVERIFY(!forced.window->identity().isValid());
}

void WindowScanTest::detectionOfTheSimulatedUnit()
{
    auto f = detected();
    QVERIFY(f->window->instrumentPresent());
    QVERIFY(f->find<QLabel>("NoInstrument")->isHidden());
    QVERIFY(f->find<QToolButton>("StartButton")->isEnabled());
    QVERIFY(f->window->identity().isValid());
    QCOMPARE(f->find<QLabel>("About1")->text(), QString("v 1.12"));
    QCOMPARE(f->find<QLabel>("About2")->text(), QString::fromStdString(f->window->identity().serialNumber()));
    QVERIFY(std::filesystem::exists(f->window->settings().calibFolder + calibrationFileName(f->window->identity())));
    QVERIFY(f->dialogs.empty());
}

void WindowScanTest::wrongReleaseDeclined()
{
    QCOMPARE(vemarsim_unit_set_release(111), 0);
    WindowFixture f;
    f.answerYes = false;
    f.window->detectNow();
    QCOMPARE(f.dialogs.size(), std::size_t(1));
    QCOMPARE(f.dialogs[0].kind, QString("yesno"));
    QCOMPARE(f.dialogs[0].caption, QString("Invalid DSP release"));
    QCOMPARE(f.dialogs[0].text,
             QString("The DSP release isn't compatible with this software.\n Do you want to upgrade the VEMAR DSP?"));
    QVERIFY(!f.window->instrumentPresent());
    QVERIFY(!f.find<QToolButton>("StartButton")->isEnabled());
    QVERIFY(!f.find<QLabel>("NoInstrument")->isHidden());
}

void WindowScanTest::wrongReleaseUpgraded()
{
    QCOMPARE(vemarsim_unit_set_release(111), 0);
    WindowFixture f;
    std::filesystem::create_directories(f.program.path() / "DSP");
    QCOMPARE(vemarsim_unit_write_firmware_file((f.program.path() / "DSP" / "VEMAR_DSP V112.out").c_str(), 112), 0);
    f.answerYes = true;
    f.window->detectNow();
    QVERIFY(f.window->instrumentPresent());
    QVERIFY(f.find<QToolButton>("StartButton")->isEnabled());
    QCOMPARE(f.dialogs.size(), std::size_t(2));
    QCOMPARE(f.dialogs[1].caption, QString("DSP update"));
    QCOMPARE(f.dialogs[1].text, QString("Update completed.\nNew DSP release: V1.12"));
    QVERIFY(f.find<QDialog>("WaitWindow")->isHidden());
}

void WindowScanTest::unplugWhileIdle()
{
    WindowFixture f({}, dwdmConfiguration, true);
    f.window->show();
    QVERIFY(f.waitFor(&TFormZovEZO::detectionFinished, 10000));
    QVERIFY(f.window->instrumentPresent());
    vemarsim_unit_set_plugged(0);
    QVERIFY(f.waitFor(&TFormZovEZO::detectionFinished, 10000));
    QVERIFY(!f.window->instrumentPresent());
    QVERIFY(!f.find<QToolButton>("StartButton")->isEnabled());
    QVERIFY(!f.find<QLabel>("NoInstrument")->isHidden());
    QCOMPARE(f.find<QLabel>("About2")->text(), QString("- - - - - -"));
    // Plugged in again: found again.
    vemarsim_unit_set_plugged(1);
    QVERIFY(f.waitFor(&TFormZovEZO::detectionFinished, 10000));
    QVERIFY(f.window->instrumentPresent());
    QVERIFY(f.find<QToolButton>("StartButton")->isEnabled());
}

void WindowScanTest::oneDetectorUnit()
{
    {
        FlashControl unit;
        unit.ReadIdentity();
        IdentityRecord record = unit.identity();
        record.setDetectors(1);
        record.setLaserInputs(1);
        unit.setIdentity(record);
        unit.WriteIdentity();
    }
    auto f = detected();
    QVERIFY(f->window->instrumentPresent());
    QCOMPARE(int(f->window->identity().detectors()), 1);
    for (const char* name : {"Detector2", "Detector3", "Detector4"}) {
        QVERIFY2(!f->find<QCheckBox>(name)->isEnabled(), name);
        QVERIFY2(!f->find<QCheckBox>(name)->isChecked(), name);
    }
    QVERIFY(f->find<QCheckBox>("DetectorExt")->isEnabled());
    QVERIFY(!f->window->pages().isTabVisible(TFormZovEZO::PageLines));
    QVERIFY(f->find<QRadioButton>("InputSourceSelection1") != nullptr);
    QVERIFY(f->find<QRadioButton>("InputSourceSelection2") == nullptr);
    QVERIFY(f->find<QRadioButton>("DetectorSelection2") == nullptr);
    f->window->enableControls(false);
    for (const char* name : {"DetectorExt", "DetectorOrl", "ScanLimit", "AutoSave", "MinMaxReset"})
        QVERIFY2(!f->find<QWidget>(name)->isEnabled(), name);
    f->window->enableControls(true);
    QVERIFY(!f->find<QCheckBox>("Detector2")->isEnabled());
    QVERIFY(f->find<QCheckBox>("DetectorExt")->isEnabled());
}

void WindowScanTest::factorySwitchClaimsFourDetectors()
{
    {
        FlashControl unit;
        unit.ReadIdentity();
        IdentityRecord record = unit.identity();
        record.setDetectors(1);
        record.setLaserInputs(1);
        unit.setIdentity(record);
        unit.WriteIdentity();
    }
    auto f = detected({"QZRT"});
    QCOMPARE(int(f->window->identity().detectors()), 4);
    QCOMPARE(int(f->window->identity().laserInputs()), 4);
    for (const char* name : {"Detector2", "Detector3", "Detector4"}) QVERIFY2(f->find<QCheckBox>(name)->isEnabled(), name);
    QVERIFY(f->window->pages().isTabVisible(TFormZovEZO::PageLines));
    QVERIFY(f->find<QRadioButton>("InputSourceSelection4") != nullptr);
    QVERIFY(f->find<QRadioButton>("DetectorSelection4") != nullptr);
    f->window->enableControls(false);
    for (const char* name : {"Detector2", "Detector3", "Detector4"}) QVERIFY2(!f->find<QCheckBox>(name)->isEnabled(), name);
}

void WindowScanTest::sourceRowsFollowTheEnableChainAndTheUnit()
{
    {
        // The simulated unit has two laser inputs: rows 3 and 4 cannot be used.
        auto f = detected();
        TPanelSourceEditor* rows = sourceRows(*f);
        QVERIFY(rows != nullptr);
        QCOMPARE(int(f->window->identity().laserInputs()), 2);
        QVERIFY(rows->row(0)->enableBox()->isEnabled());
        QVERIFY(rows->row(1)->enableBox()->isEnabled());
        QVERIFY(!rows->row(2)->enableBox()->isEnabled());
        QVERIFY(!rows->row(3)->enableBox()->isEnabled());
    }
    // The factory switch claims four: the chain runs over all four rows,
    // and the window's range edits follow the enabled sources.
    auto f = detected({"QZRT"});
    TPanelSourceEditor* rows = sourceRows(*f);
    auto* start = f->find<TDoubleEdit>("StartEdit");
    auto* stop = f->find<TDoubleEdit>("StopEdit");
    const ConfLaser& live = f->window->session().sources();
    QCOMPARE(start->GetMin(), 1500.0);
    QCOMPARE(stop->GetMax(), 1630.0);
    for (int i = 1; i < 4; ++i) QVERIFY(rows->row(i)->enableBox()->isEnabled());

    rows->row(3)->enableBox()->click();
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(rows->row(i)->enableBox()->isChecked(), qPrintable(QString::number(i)));
        QVERIFY(live.sources[static_cast<std::size_t>(i)].enable);
    }
    QCOMPARE(start->GetMin(), 1240.0);
    QCOMPARE(stop->GetMax(), 1680.0);

    rows->row(1)->enableBox()->click();
    QVERIFY(rows->row(0)->enableBox()->isChecked());
    for (int i = 1; i < 4; ++i) {
        QVERIFY2(!rows->row(i)->enableBox()->isChecked(), qPrintable(QString::number(i)));
        QVERIFY(!live.sources[static_cast<std::size_t>(i)].enable);
    }
    QCOMPARE(start->GetMin(), 1500.0);
    QCOMPARE(stop->GetMax(), 1630.0);

    rows->row(0)->enableBox()->click();
    QVERIFY(rows->row(0)->enableBox()->isChecked());
    QVERIFY(live.sources[0].enable);

    // A configuration saved now keeps the sources as the rows show them.
    f->window->controlsToSettings();
    QVERIFY(!live.sources[1].enable);
}

void WindowScanTest::preciseModeSetsEverySourceTo10NmPerS()
{
    auto f = detected({"QZRT"});
    TPanelSourceEditor* rows = sourceRows(*f);
    auto* precise = f->find<QCheckBox>("PreciseMode");
    const ConfLaser& live = f->window->session().sources();
    // The settings' default turns the box on without running its rule.
    QVERIFY(precise->isChecked());
    precise->setChecked(false);
    QCOMPARE(live.sources[0].speed, 40);
    QCOMPARE(rows->row(0)->speedList()->currentText(), QString("40"));
    precise->setChecked(true);
    QCOMPARE(live.sources[0].speed, 10);
    QCOMPARE(rows->row(0)->speedList()->currentText(), QString("10"));
    QCOMPARE(f->find<TIntEdit>("ResolutionEdit")->GetValue(), 1);
    QVERIFY(f->dialogs.empty());
    // Off again: speeds and resolution stay.
    precise->setChecked(false);
    QCOMPARE(live.sources[0].speed, 10);
    QCOMPARE(f->find<TIntEdit>("ResolutionEdit")->GetValue(), 1);
}

void WindowScanTest::singleScanFromTheStartButton()
{
    auto f = detected({"QZRT"});
    QVERIFY(f->window->instrumentPresent());
    TPassBandFrame* page = passBand(*f);
    QVERIFY(page != nullptr);
    QCOMPARE(page->model().rowCount(), 0);
    QSignalSpy scans(f->window.get(), &TFormZovEZO::scanShown);
    f->find<QToolButton>("StartButton")->click();
    QVERIFY(f->window->measurementRunning());
    QCOMPARE(f->window->startState(), WindowRules::StartState::Running);
    QVERIFY(f->find<QToolButton>("StartButton")->isChecked());
    QCOMPARE(f->find<QLabel>("Progress")->text(), QString(" In Progress "));
    for (const char* name : {"StartEdit", "StopEdit", "ResolutionEdit", "Single", "Continuous", "LoadConfiguration",
                             "SaveConfigurationAs", "Detector2", "TriggerOn"})
        QVERIFY2(!f->find<QWidget>(name)->isEnabled(), name);
    for (int i = 0; i < 4; ++i) QVERIFY(!sourceRows(*f)->row(i)->enableBox()->isEnabled());
    QCOMPARE(f->window->pages().currentIndex(), int(TFormZovEZO::PageTransfer));
    // The passband parameters hold still while the scan runs.
    QVERIFY(page->passband().alarms.noAdjacent.locked());

    QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, scanTimeoutMs));
    QCOMPARE(scans.count(), 1);
    QVERIFY(hasStatus("Source configuration"));
    QVERIFY(hasStatus("Data acquisition"));
    QVERIFY2(!hasError(), qPrintable(f->window->statusPanel().text()));
    QVERIFY(f->window->scanInfoCharts().velocityPoints() > 1000);
    for (int series = 0; series < 5; ++series) QVERIFY(f->window->scanInfoCharts().powerPoints(series) > 1000);
    QVERIFY(!f->find<QPlainTextEdit>("LineDetection")->toPlainText().isEmpty());
    // The DWDM filter's channels on the 100 GHz grid, in the single table.
    QVERIFY2(page->model().rowCount() >= 40, qPrintable(QString::number(page->model().rowCount())));
    QCOMPARE(static_cast<const void*>(&page->table()->renderer()),
             static_cast<const void*>(&page->singleRenderer()));
    QVERIFY(!page->passband().alarms.noAdjacent.locked());
    QCOMPARE(f->window->startState(), WindowRules::StartState::Idle);
    QVERIFY(!f->find<QToolButton>("StartButton")->isChecked());
    QVERIFY(f->find<QToolButton>("StartButton")->isEnabled());
    QVERIFY(f->find<QLabel>("Progress")->isHidden());
    for (const char* name : {"StartEdit", "StopEdit", "ResolutionEdit", "Single", "Continuous", "LoadConfiguration",
                             "Detector2", "TriggerOn"})
        QVERIFY2(f->find<QWidget>(name)->isEnabled(), name);
    for (int i = 0; i < 4; ++i) QVERIFY(sourceRows(*f)->row(i)->enableBox()->isEnabled());
    QVERIFY(!f->window->measurementRunning());
    QCOMPARE(QString::fromStdString(f->window->scans().Current().name()), QString("Last Scan"));
}

void WindowScanTest::displayedScanChangeRefreshesThePages()
{
    auto f = detected({"QZRT"});
    f->find<QToolButton>("StartButton")->click();
    QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, scanTimeoutMs));
    TPassBandFrame* page = passBand(*f);
    const int channels = page->model().rowCount();
    QVERIFY(channels > 0);
    // What the chart page does when the user selects no scan, then the
    // scan again.
    f->window->scans().Select(-1);
    f->window->displayedScanChanged();
    QCOMPARE(page->model().rowCount(), 0);
    QVERIFY(f->find<QPlainTextEdit>("LineDetection")->toPlainText().isEmpty());
    QCOMPARE(f->window->scanInfoCharts().velocityPoints(), 0);
    f->window->scans().Select(0);
    f->window->displayedScanChanged();
    QCOMPARE(page->model().rowCount(), channels);
    QVERIFY(!f->find<QPlainTextEdit>("LineDetection")->toPlainText().isEmpty());
    QVERIFY(f->window->scanInfoCharts().velocityPoints() > 1000);
}

void WindowScanTest::continuousRunOfThreeScans()
{
    auto f = detected();
    f->find<QRadioButton>("Continuous")->setChecked(true);
    f->find<QCheckBox>("ScanLimit")->setChecked(true);
    f->find<TIntEdit>("ScanCount")->SetValue(3);
    QSignalSpy scans(f->window.get(), &TFormZovEZO::scanShown);
    f->find<QToolButton>("StartButton")->click();
    QVERIFY(f->window->measurementRunning());
    for (const char* name : {"StartEdit", "Single", "ScanLimit", "AutoSave", "DelayEdit", "MinMaxReset"})
        QVERIFY2(!f->find<QWidget>(name)->isEnabled(), name);
    QVERIFY(!sourceRows(*f)->row(0)->enableBox()->isEnabled());
    QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, 3 * scanTimeoutMs));
    QCOMPARE(scans.count(), 3);
    QCOMPARE(f->find<QLabel>("ScanCounter")->text(), QString("3"));
    QCOMPARE(f->window->scans().Current().CurveAt(0)->data().nbScan(), 3);
    QVERIFY2(!hasError(), qPrintable(f->window->statusPanel().text()));
    for (const char* name : {"StartEdit", "Single", "ScanLimit", "AutoSave", "DelayEdit", "MinMaxReset"})
        QVERIFY2(f->find<QWidget>(name)->isEnabled(), name);
    QVERIFY(sourceRows(*f)->row(0)->enableBox()->isEnabled());
    QCOMPARE(f->window->startState(), WindowRules::StartState::Idle);
    // The passband page shows the run's minimum, latest and maximum figures.
    TPassBandFrame* page = passBand(*f);
    QVERIFY(page->model().rowCount() >= 40);
    QCOMPARE(static_cast<const void*>(&page->table()->renderer()),
             static_cast<const void*>(&page->continuousRenderer()));
}

void WindowScanTest::stopOfASingleScanIsCompletedByTheEndMessage()
{
    auto f = detected();
    auto* start = f->find<QToolButton>("StartButton");
    start->click();
    QVERIFY(f->window->measurementRunning());
    start->click();
    // The press came back at once: the thread is still there, the window
    // waits for its end message, which completes the stop.
    QVERIFY(f->window->measurementRunning());
    QCOMPARE(f->window->startState(), WindowRules::StartState::StopRequested);
    QCOMPARE(f->find<QLabel>("Progress")->text(), QString(" Stopping "));
    QVERIFY(start->isChecked());
    QVERIFY(!passBand(*f)->passband().alarms.noAdjacent.locked());
    QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, scanTimeoutMs));
    QVERIFY(hasStatus("The measurement has been canceled by the user"));
    QCOMPARE(f->window->startState(), WindowRules::StartState::Idle);
    QVERIFY(!start->isChecked());
    QVERIFY(start->isEnabled());
    QVERIFY(f->find<QWidget>("StartEdit")->isEnabled());
    QVERIFY(!f->window->measurementRunning());
}

void WindowScanTest::stopDuringAContinuousRunEndsAfterTheScanUnderWay()
{
    auto f = detected();
    f->find<QRadioButton>("Continuous")->setChecked(true);
    QSignalSpy scans(f->window.get(), &TFormZovEZO::scanShown);
    f->find<QToolButton>("StartButton")->click();
    QVERIFY(f->waitFor(&TFormZovEZO::scanShown, scanTimeoutMs));
    f->find<QToolButton>("StartButton")->click();
    QCOMPARE(f->window->startState(), WindowRules::StartState::StopRequested);
    QCOMPARE(f->find<QLabel>("Progress")->text(), QString(" Stopping "));
    QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, scanTimeoutMs));
    // The scan under way (if one had started) was completed and shown, not cancelled.
    QVERIFY(scans.count() >= 1 && scans.count() <= 2);
    QVERIFY(!hasStatus("The measurement has been canceled by the user"));
    QVERIFY(!hasError());
    QCOMPARE(f->window->startState(), WindowRules::StartState::Idle);
    QVERIFY(f->find<QToolButton>("StartButton")->isEnabled());
}

void WindowScanTest::thirdPressDisablesTheButtonUntilTheEnd()
{
    auto f = detected();
    f->find<QRadioButton>("Continuous")->setChecked(true);
    auto* start = f->find<QToolButton>("StartButton");
    start->click();
    QVERIFY(f->waitFor(&TFormZovEZO::scanShown, scanTimeoutMs));
    start->click();
    start->click();
    QCOMPARE(f->window->startState(), WindowRules::StartState::StopPressedAgain);
    QVERIFY(start->isEnabled());
    start->click();
    QCOMPARE(f->window->startState(), WindowRules::StartState::Idle);
    if (f->window->measurementRunning()) {
        QVERIFY(!start->isEnabled());
        QVERIFY(f->waitFor(&TFormZovEZO::measurementFinished, scanTimeoutMs));
    }
    QVERIFY(start->isEnabled());
    QVERIFY(!start->isChecked());
}

QTEST_MAIN(WindowScanTest)
#include "WindowScanTest.moc"
