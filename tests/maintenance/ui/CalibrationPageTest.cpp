// The "Control/Calibration" page on a host of its own, with the simulated
// unit and bench: its enabling, its warnings and questions, the power
// control's live bars and labels, and "Reset Calibration" against a link
// that fails. Simulated time runs a hundred times faster.

#include <algorithm>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include <qcustomplot.h>

#include "Applicationconfig.h"
#include "CalibrationPage.h"
#include "CalibrationTools.h"
#include "Doubleedit.h"
#include "FastSimulation.h"
#include "FlashControl.h"
#include "MaintenanceHost.h"
#include "MeasurementSession.h"
#include "PowerControl.h"
#include "Scanmanager.h"
#include "ScanTrace.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "TabCalib.h"
#include "TempDir.h"
#include "UnitOperation.h"
#include "WindowDialogs.h"
#include "vemar_sim_usb.h"

namespace {

constexpr double timeScale = 0.01;

struct Dialog {
    QString kind;  // "okcancel", "message"
    int severity = 0;
    QString caption;
    QString text;
};

SessionSetup setupIn(const TempDir& documents)
{
    SessionSetup s;
    s.documentsFolder = documents.str();
    return s;
}

class Host : public MaintenanceHost {
public:
    Host() : session_(setupIn(documents))
    {
        dialogs_.askOkCancel = [this](const QString& caption, const QString& text) {
            asked.push_back({"okcancel", 1, caption, text});
            return answer;
        };
        dialogs_.message = [this](int severity, const QString& caption, const QString& text) {
            asked.push_back({"message", severity, caption, text});
        };
    }

    MeasurementSession& session() override { return session_; }
    const WindowDialogs& dialogs() const override { return dialogs_; }
    bool instrumentPresent() const override { return present; }
    bool idle() const override { return idleNow; }
    bool factory() const override { return false; }
    std::string programFolder() const override { return "./"; }
    void showWait(const QString&, const QString&) override { ++waitsShown; }
    void hideWait() override { ++waitsHidden; }
    void uncheckEtalonDetectors() override {}
    void unitOperationEnded() override { ++operationsEnded; }

    TempDir documents;
    std::vector<Dialog> asked;
    bool answer = true;
    bool present = true;
    bool idleNow = true;
    int waitsShown = 0;
    int waitsHidden = 0;
    int operationsEnded = 0;

private:
    MeasurementSession session_;
    WindowDialogs dialogs_;
};

void addCurve(ScanTrace& trace, const char* name, int points)
{
    ScanData& data = trace.AddCurve(name, false)->data();
    data.SetCount(points);
    for (int i = 0; i < points; ++i) data.SetPoint(i, 1530.0 + i, -0.01 * i);
}

}  // namespace

class CalibrationPageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void enablingOfCalibrationModeAndOptical();
    void calibrationModeSelectsDetector1AndClearsTheDoneMarks();
    void opticalAddsTheBncItem();
    void warnings();
    void tfCalibrationAsksThenMarksTheItemDone();
    void extCurveWritesTheBncCorrectionFromThreePoints();
    void wavelengthReferencingScalesTheLineTablesOnOk();
    void detectorClickKeepsOnlyMeasuredInputs();
    void powerControlShowsTheLiveLevels();
    void powerControlStopsForAMeasurementAndWhenHidden();
    void resetCalibrationShowsALinkFaultAndStaysUsable();
    void resetCalibrationDropsTheBncCorrectionWhateverTheAnswer();

private:
    struct Fixture {
        Host host;
        QWidget place;
        std::unique_ptr<TCalibrationPage> page;
        Fixture()
        {
            place.resize(1000, 600);
            page = std::make_unique<TCalibrationPage>(place, host);
            WindowRules::EnableState state;
            state.unitPresent = true;
            state.laserInputs = 4;
            state.detectors = 4;
            page->applyEnabling(state);
            place.show();
        }
        ~Fixture() { page.reset(); }
        template <typename T>
        T* find(const char* name) const
        {
            T* w = place.findChild<T*>(name);
            if (w == nullptr) qWarning("no widget %s", name);
            return w;
        }
        bool enabled(const char* name) const { return find<QWidget>(name)->isEnabled(); }
        // The calibration file of the simulated unit in the Calib folder.
        void readUnitCalibration()
        {
            FlashControl unit;
            unit.CheckCalibrationFile(host.session().settings().calibFolder, true);
            host.session().setIdentity(unit.identity());
        }
        std::string calibFolder() { return host.session().settings().calibFolder; }
        // A local EXT correction file (its content does not matter here).
        std::string placeBncCorrection()
        {
            const std::string path = CalibrationTools::bncCorrectionPath(calibFolder());
            std::filesystem::create_directories(calibFolder());
            std::ofstream(path) << "x";
            return path;
        }
        bool lastDialogIs(const QString& kind, int severity, const QString& caption, const QString& text) const
        {
            if (host.asked.empty()) return false;
            const Dialog& d = host.asked.back();
            return d.kind == kind && d.severity == severity && d.caption == caption && d.text == text;
        }
    };

    static void runEvents(int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

void CalibrationPageTest::initTestCase()
{
    std::string why;
    QVERIFY2(SimulatorPlugin::activate("", 1, &why), why.c_str());
}

void CalibrationPageTest::init() { QVERIFY(startFastSimulation("dwdm", 1, timeScale)); }

void CalibrationPageTest::cleanup()
{
    vemarsim_unit_clear_faults();
    DriverPause::setPauseFunction({});
}

void CalibrationPageTest::enablingOfCalibrationModeAndOptical()
{
    struct Case {
        const char* what;
        bool idle, mode, optical;
        bool modeBox, tools, bncRow, power;
    };
    const Case cases[] = {
        {"idle", true, false, false, true, false, false, true},
        {"calibration mode", true, true, false, true, true, false, false},
        {"calibration mode, optical", true, true, true, true, true, true, false},
        {"optical checked outside calibration mode", true, false, true, true, false, false, true},
        {"measuring in calibration mode", false, true, true, false, false, false, false},
        {"measuring", false, false, false, false, false, false, false},
    };
    Fixture f;
    for (const Case& k : cases) {
        f.find<QCheckBox>("CheckBoxCalibrationMode")->setChecked(k.mode);
        f.find<QCheckBox>("Optical")->setChecked(k.optical);
        WindowRules::EnableState state;
        state.idle = k.idle;
        state.unitPresent = true;
        f.page->applyEnabling(state);
        QVERIFY2(f.enabled("CheckBoxCalibrationMode") == k.modeBox, k.what);
        for (const char* tool : {"ButtonUpdateCalibration", "ButtonUpdateCalibration2", "ButtonResetCalibration",
                                 "Optical", "CheckBoxAverage", "EditMeasured", "DoubleEditExpected", "DetectorSelection"})
            QVERIFY2(f.enabled(tool) == k.tools, qPrintable(QString("%1: %2").arg(k.what, tool)));
        QVERIFY2(f.enabled("BncRow") == k.bncRow, k.what);
        QVERIFY2(f.enabled("ButtonStartPowerControl") == k.power, k.what);
        QVERIFY2(f.enabled("InputSourceSelection") == k.power, k.what);
    }
}

void CalibrationPageTest::calibrationModeSelectsDetector1AndClearsTheDoneMarks()
{
    Fixture f;
    f.find<QRadioButton>("DetectorSelection3")->setChecked(true);
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    QVERIFY(f.find<QRadioButton>("DetectorSelection1")->isChecked());
    QVERIFY(f.enabled("ButtonUpdateCalibration"));
    QVERIFY(!f.enabled("ButtonStartPowerControl"));
    f.find<QRadioButton>("DetectorSelection2")->setText("2 (Done)");
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    QCOMPARE(f.find<QRadioButton>("DetectorSelection2")->text(), QString("2"));
    QVERIFY(!f.enabled("ButtonUpdateCalibration"));
    QVERIFY(f.enabled("ButtonStartPowerControl"));
}

void CalibrationPageTest::opticalAddsTheBncItem()
{
    Fixture f;
    f.page->unitAdapted(1, 2);
    QVERIFY(f.place.findChild<QRadioButton*>("InputSourceSelection2") == nullptr);
    QVERIFY(f.place.findChild<QRadioButton*>("DetectorSelection3") == nullptr);
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    QVERIFY(!f.enabled("BncRow"));
    f.find<QCheckBox>("Optical")->click();
    QCOMPARE(f.find<QRadioButton>("DetectorSelection3")->text(), QString("BNC"));
    QVERIFY(f.enabled("BncRow"));
    // The third item of a two-detector unit is the EXT input, not detector 3.
    addCurve(f.host.session().scans().Current(), "3", 10);
    f.host.session().settings().scanParameters.enableExt = 1;
    f.find<QRadioButton>("DetectorSelection3")->click();
    QVERIFY(f.find<QRadioButton>("DetectorSelection3")->isChecked());
    f.find<QPushButton>("ButtonUpdateCalibration")->click();
    QVERIFY(f.lastDialogIs("message", 1, "Warning", "No scan data available."));
    // The unit's detectors come again (a new detection): BNC stays last.
    f.page->unitAdapted(1, 3);
    QCOMPARE(f.find<QRadioButton>("DetectorSelection3")->text(), QString("3"));
    QCOMPARE(f.find<QRadioButton>("DetectorSelection4")->text(), QString("BNC"));
    f.find<QCheckBox>("Optical")->click();
    QVERIFY(f.place.findChild<QRadioButton*>("DetectorSelection4") == nullptr);
    QVERIFY(!f.enabled("BncRow"));

    // The row is the settings' EXT conversion.
    f.find<QCheckBox>("Optical")->click();
    f.find<QLineEdit>("BNCAlpha")->setText("0.5");
    f.find<QLineEdit>("BNCBeta")->setText("2");
    f.find<QRadioButton>("BncDbm")->setChecked(true);
    ApplicationConfig& settings = f.host.session().settings();
    f.page->controlsToSettings(settings);
    QCOMPARE(int(settings.scanParameters.bncEnable), 1);
    QCOMPARE(settings.scanParameters.bncAlpha, 0.5);
    QCOMPARE(settings.scanParameters.bncBeta, 2.0);
    QCOMPARE(settings.scanParameters.bncUnit, 1);
}

void CalibrationPageTest::warnings()
{
    Fixture f;
    f.readUnitCalibration();
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    ScanTrace& trace = f.host.session().scans().Current();
    addCurve(trace, "1", 50);
    addCurve(trace, "3", 1);
    struct Case {
        const char* what;
        int detector;          // item to select, -1: the wavelength group's button
        double measured, expected;
        const char* text;
    };
    const Case cases[] = {
        {"detector 2 without a curve \"2\"", 1, 0, 0, "No scan data available."},
        {"detector 3 with one point", 2, 0, 0, "No scan data available."},
        {"no line measured yet", -1, 1200.0, 1550.0, "No data available"},
        {"25 nm off", -1, 1575.0, 1550.0, "Wavelength detuning too high, check set up"},
        {"20 nm off", -1, 1530.0, 1550.0, "Wavelength detuning too high, check set up"},
    };
    for (const Case& k : cases) {
        f.host.asked.clear();
        if (k.detector >= 0) {
            f.find<QRadioButton>(qPrintable(QString("DetectorSelection%1").arg(k.detector + 1)))->setChecked(true);
            f.find<QPushButton>("ButtonUpdateCalibration")->click();
        } else {
            f.find<TDoubleEdit>("EditMeasured")->SetValue(k.measured);
            f.find<TDoubleEdit>("DoubleEditExpected")->SetValue(k.expected);
            f.find<QPushButton>("ButtonUpdateCalibration2")->click();
        }
        QVERIFY2(f.host.asked.size() == 1, k.what);
        QVERIFY2(f.lastDialogIs("message", 1, "Warning", k.text), k.what);
    }
}

void CalibrationPageTest::tfCalibrationAsksThenMarksTheItemDone()
{
    Fixture f;
    f.readUnitCalibration();
    const std::string path = f.calibFolder() + calibrationFileName(f.host.session().identity());
    const auto before = std::filesystem::last_write_time(path);
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    addCurve(f.host.session().scans().Current(), "1", 50);

    f.host.answer = false;
    f.find<QPushButton>("ButtonUpdateCalibration")->click();
    QVERIFY(f.lastDialogIs("okcancel", 1, "Calibration file", "Replace calibration file?"));
    QCOMPARE(f.find<QRadioButton>("DetectorSelection1")->text(), QString("1"));
    QVERIFY(std::filesystem::last_write_time(path) == before);

    f.host.answer = true;
    f.find<QPushButton>("ButtonUpdateCalibration")->click();
    QCOMPARE(f.find<QRadioButton>("DetectorSelection1")->text(), QString("1 (Done)"));
    TabCalib saved(f.calibFolder(), f.host.session().identity());
    IdentityRecord identity = f.host.session().identity();
    QCOMPARE(saved.Load(identity), 0);
    TabCalib unit(f.calibFolder(), f.host.session().identity());
    f.readUnitCalibration();
    QCOMPARE(unit.Load(identity), 0);
    // The curve (-0.01 dB per nm from 1530 nm) went into detector 1's
    // response only, at 1 mdB, the file's resolution.
    for (int j = 0; j < saved.PointCount(); j += 7) {
        const double nm = 299792458.0 / saved.responseAxisFrequency(j);
        const double added = -0.01 * (std::clamp(nm, 1530.0, 1579.0) - 1530.0);
        QVERIFY2(std::fabs(saved.response(0)[j] - unit.response(0)[j] - added) < 2e-3, qPrintable(QString::number(nm)));
        QCOMPARE(saved.response(1)[j], unit.response(1)[j]);
    }
    // Marked once.
    f.find<QPushButton>("ButtonUpdateCalibration")->click();
    QCOMPARE(f.find<QRadioButton>("DetectorSelection1")->text(), QString("1 (Done)"));
}

void CalibrationPageTest::extCurveWritesTheBncCorrectionFromThreePoints()
{
    Fixture f;
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    f.find<QCheckBox>("Optical")->click();
    f.find<QRadioButton>("DetectorSelection5")->setChecked(true);
    const std::string path = CalibrationTools::bncCorrectionPath(f.calibFolder());
    ScanTrace& trace = f.host.session().scans().Current();
    addCurve(trace, "Ext", 2);
    f.find<QPushButton>("ButtonUpdateCalibration")->click();
    QVERIFY(!std::filesystem::exists(path));
    QVERIFY(f.host.asked.empty());
    trace.FindCurve("Ext")->data().SetCount(3);
    trace.FindCurve("Ext")->data().SetPoint(2, 1532.0, -0.02);
    f.find<QPushButton>("ButtonUpdateCalibration")->click();
    QVERIFY(std::filesystem::exists(path));
    QVERIFY(f.host.asked.empty());
}

void CalibrationPageTest::wavelengthReferencingScalesTheLineTablesOnOk()
{
    Fixture f;
    f.readUnitCalibration();
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    IdentityRecord identity = f.host.session().identity();
    TabCalib before(f.calibFolder(), identity);
    QCOMPARE(before.Load(identity), 0);
    // A scale the file cannot keep: refused before the question.
    f.find<TDoubleEdit>("EditMeasured")->SetValue(1560.0);
    f.find<TDoubleEdit>("DoubleEditExpected")->SetValue(1550.0);
    f.find<QPushButton>("ButtonUpdateCalibration2")->click();
    QVERIFY(f.lastDialogIs("message", 1, "Warning", CalibrationTools::lineTablesDoNotFitText));
    f.find<TDoubleEdit>("EditMeasured")->SetValue(1549.0);
    for (bool ok : {false, true}) {
        f.host.answer = ok;
        f.host.asked.clear();
        f.find<QPushButton>("ButtonUpdateCalibration2")->click();
        QVERIFY(f.lastDialogIs("okcancel", 1, "Calibration file", "Replace calibration file?"));
        TabCalib after(f.calibFolder(), identity);
        QCOMPARE(after.Load(identity), 0);
        const double factor = ok ? 1549.0 / 1550.0 : 1.0;
        for (int t : {0, 5, 9})
            QVERIFY(std::fabs(after.lineTable(t)[10] - before.lineTable(t)[10] * factor) < 0.006);
    }
}

void CalibrationPageTest::detectorClickKeepsOnlyMeasuredInputs()
{
    Fixture f;
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    ScanParameterBlock& block = f.host.session().settings().scanParameters;
    block.enable2 = 0;
    block.enable3 = 1;
    f.find<QRadioButton>("DetectorSelection2")->click();
    QVERIFY(f.find<QRadioButton>("DetectorSelection1")->isChecked());
    f.find<QRadioButton>("DetectorSelection3")->click();
    QVERIFY(f.find<QRadioButton>("DetectorSelection3")->isChecked());
    // The unit is there: its calibration file was checked and its identity copied.
    QVERIFY(f.host.session().identity().isValid());
    QVERIFY(std::filesystem::exists(f.calibFolder() + calibrationFileName(f.host.session().identity())));
}

void CalibrationPageTest::powerControlShowsTheLiveLevels()
{
    // Source 2, on the second laser input, never reaches the unit.
    QCOMPARE(vemarsim_init("faultypower", 1, 1), 0);
    Fixture f;
    f.readUnitCalibration();
    ConfLaser& sources = f.host.session().sources();
    for (int i = 0; i < 2; ++i) {
        SourceConfig& s = sources.sources[static_cast<std::size_t>(i)];
        s.enable = true;
        s.SetType(8);
        s.SetAddress(i + 1);
        s.SetLambdaMin(1500.0);
        s.SetLambdaMax(1600.0);
    }
    MeasurementSession::placeSimulatedInstruments(sources, f.host.session().settings().scanParameters);
    QCOMPARE(sources.sources[0].ApplyPower(1.0f), 0);
    QCOMPARE(sources.sources[1].ApplyPower(1.0f), 0);

    auto* start = f.find<QPushButton>("ButtonStartPowerControl");
    start->click();
    QVERIFY(f.page->powerControlRunning());
    QCOMPARE(start->text(), QString("Stop Power Control"));
    runEvents(4 * PowerControl::tickMs);
    QCOMPARE(f.page->barColour(0), QColor(Qt::green));
    QCOMPARE(f.page->barColour(5), QColor(Qt::blue));
    const QString litText = f.find<QLabel>("LabelPowerOut")->text();
    QVERIFY2(std::fabs(litText.toDouble()) < 1.5, qPrintable(litText));  // 1 mW
    // Each bar rises from the bottom of its axis to its value.
    const char* labelNames[] = {"LabelPowerOut", "LabelPower1", "LabelPower2", "LabelPower3", "LabelPower4", "LabelVoltExt"};
    for (int i = 0; i < 6; ++i)
        QVERIFY2(std::fabs(f.page->barTop(i) - f.find<QLabel>(labelNames[i])->text().toDouble()) < 0.006, labelNames[i]);

    // The labels stand where the rule puts them over the plot.
    auto* chart = f.find<QCustomPlot>("Chart2");
    const QRect r = chart->axisRect()->rect();
    const char* labels[] = {"LabelPowerOut", "LabelPower1", "LabelPower2", "LabelPower3", "LabelPower4", "LabelVoltExt"};
    const PowerControl::LabelPlacement p =
        PowerControl::placeLabels({r.left(), r.top(), r.width(), r.height()}, f.find<QLabel>(labels[0])->height());
    for (int i = 0; i < 6; ++i) {
        const QLabel* l = f.find<QLabel>(labels[i]);
        QCOMPARE(l->y(), p.top);
        QVERIFY2(std::abs(l->geometry().center().x() - p.centreX[static_cast<std::size_t>(i)]) <= 1, labels[i]);
    }

    // The second laser input: no light, the output bar goes red.
    f.find<QRadioButton>("InputSourceSelection2")->click();
    runEvents(4 * PowerControl::tickMs);
    QCOMPARE(f.page->barColour(0), QColor(Qt::red));
    QVERIFY(f.find<QLabel>("LabelPowerOut")->text().toDouble() < PowerControl::lowestOutputDbm);
    // Back to the first, and its source darkened.
    f.find<QRadioButton>("InputSourceSelection1")->click();
    runEvents(4 * PowerControl::tickMs);
    QCOMPARE(f.page->barColour(0), QColor(Qt::green));
    QCOMPARE(sources.sources[0].laser->PowerOff(), nullptr);
    runEvents(4 * PowerControl::tickMs);
    QCOMPARE(f.page->barColour(0), QColor(Qt::red));

    start->click();
    QVERIFY(!f.page->powerControlRunning());
    QCOMPARE(start->text(), QString("Start Power Control"));
}

void CalibrationPageTest::powerControlStopsForAMeasurementAndWhenHidden()
{
    Fixture f;
    auto* start = f.find<QPushButton>("ButtonStartPowerControl");
    start->click();
    QVERIFY(f.page->powerControlRunning());
    f.page->measurementStarts();
    QVERIFY(!f.page->powerControlRunning());
    QCOMPARE(start->text(), QString("Start Power Control"));

    start->click();
    QVERIFY(f.page->powerControlRunning());
    f.place.hide();
    runEvents(3 * PowerControl::tickMs);
    QVERIFY(!f.page->powerControlRunning());

    // Not while the window measures.
    f.place.show();
    f.host.idleNow = false;
    start->click();
    QVERIFY(!f.page->powerControlRunning());
}

void CalibrationPageTest::resetCalibrationShowsALinkFaultAndStaysUsable()
{
    Fixture f;
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    const std::string bnc = f.placeBncCorrection();
    auto* reset = f.find<QPushButton>("ButtonResetCalibration");

    // The identity read fails with a corrupted block.
    vemarsim_unit_inject_fault(VEMARSIM_FAULT_BLOCK_CHECKSUM, 0);
    reset->click();
    QVERIFY(f.lastDialogIs("okcancel", 1, "Calibration file",
                           "Reset calibration file will erase all previous modifications. \n Erase File?"));
    QVERIFY(f.page->resetOperation().running());
    QVERIFY(!reset->isEnabled());
    QVERIFY(f.page->resetOperation().waitForEnd(20000));
    QCOMPARE(f.host.asked.back().kind, QString("message"));
    QCOMPARE(f.host.asked.back().severity, 2);
    QVERIFY(f.host.asked.back().text.contains("Error"));
    QVERIFY(reset->isEnabled());
    QCOMPARE(f.host.waitsShown, 1);
    QCOMPARE(f.host.waitsHidden, 1);
    QCOMPARE(f.host.operationsEnded, 1);
    QVERIFY(!std::filesystem::exists(bnc));

    // Usable again: the next reset reads the unit's file.
    f.host.asked.clear();
    reset->click();
    QVERIFY(f.page->resetOperation().waitForEnd(20000));
    QCOMPARE(f.host.asked.size(), std::size_t(1));
    FlashControl unit;
    unit.ReadIdentity();
    QVERIFY(std::filesystem::exists(f.calibFolder() + unit.CalibrationFileName()));
}

void CalibrationPageTest::resetCalibrationDropsTheBncCorrectionWhateverTheAnswer()
{
    Fixture f;
    f.find<QCheckBox>("CheckBoxCalibrationMode")->click();
    const std::string bnc = f.placeBncCorrection();
    f.host.answer = false;
    f.find<QPushButton>("ButtonResetCalibration")->click();
    QVERIFY(!f.page->resetOperation().running());
    QVERIFY(!std::filesystem::exists(bnc));
    QCOMPARE(f.host.waitsShown, 0);
}

QTEST_MAIN(CalibrationPageTest)
#include "CalibrationPageTest.moc"
