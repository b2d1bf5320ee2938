// The "Transfer functions" page on the offscreen platform, with a
// measurement session of its own behind it (the window's part played by a
// small host): the dialogs and their messages, the information block in nm
// and THz, the shift edits, the visibility boxes, the scan list, saving in
// the five forms and loading the scan file back, and files that cannot be
// read or written.

#include <tinyxml.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "About.h"
#include "Applicationconfig.h"
#include "Ccursors.h"
#include "ChartPage.h"
#include "ConfigurationFile.h"
#include "Doubleedit.h"
#include "MeasurementSession.h"
#include "ScanFile.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "SyntheticDwdm.h"
#include "TempDir.h"
#include "TransfertChart.h"

namespace {

// The window as the page and the store see it.
struct Host : ChartPageHost, ScanForm {
    TempDir documents;
    SourcesSection sourcesSection{ConfLaser::live()};
    TChartPage* page = nullptr;
    std::unique_ptr<MeasurementSession> measurements;
    int displayedChanges = 0;
    int configurationsLoaded = 0;

    MeasurementSession& session() override { return *measurements; }
    void displayedScanChanged() override { ++displayedChanges; }
    bool configurationFrame(TiXmlDocument& document, std::string*) override
    {
        ConfigurationFile::writeFrame(document, About(UnitIdentitySummary{}, 112), measurements->settings(),
                                      ConfigurationSections::of(&sourcesSection, nullptr));
        return true;
    }
    void loadConfiguration(const std::string& fileName) override
    {
        ConfigurationFile::loadConfiguration(fileName, measurements->settings(),
                                             ConfigurationSections::of(&sourcesSection, nullptr));
    }
    void configurationLoaded() override { ++configurationsLoaded; }

    bool frequencyDisplay() const override { return page != nullptr && page->frequencyDisplay(); }
    bool externalTriggerMode() const override { return false; }
};

// The page shown in a window of the size the main window gives it, with
// its session built after it, as the window does.
struct Bench {
    Host host;
    TChartPage page{host};
    QStringList messages;
    // What the next file dialog answers.
    QString nextFile;
    int nextFilterIndex = 0;  // 0: the one the dialog starts with
    int shownFilterIndex = 0;
    std::function<void(QDialog&)> dialogScript;

    Bench(bool factory = true)
    {
        ConfLaser& sources = ConfLaser::live();
        sources.sources[0].enable = true;
        sources.sources[0].lambdaMin = 1240.0;
        sources.sources[0].lambdaMax = 1680.0;
        for (int i = 1; i < 4; ++i) sources.sources[static_cast<std::size_t>(i)].enable = false;
        sources.lambdaMin = 1528.0;
        sources.lambdaMax = 1568.0;

        host.page = &page;
        SessionSetup setup;
        setup.documentsFolder = host.documents.str();
        setup.form = &host;
        setup.chart = page.scanChart();
        host.measurements = std::make_unique<MeasurementSession>(setup);

        ChartPageDialogs d;
        d.message = [this](int, const QString& caption, const QString& text) { messages << caption + ": " + text; };
        d.exec = [this](QDialog& dialog) {
            dialog.show();
            if (dialogScript) dialogScript(dialog);
            const int result = dialog.result();
            dialog.hide();
            return result;
        };
        d.saveFileName = [this](const QString&, const QStringList&, int& index) {
            shownFilterIndex = index;
            if (nextFilterIndex > 0) index = nextFilterIndex;
            return nextFile;
        };
        d.openFileName = [this](const QString&, const QStringList&) { return nextFile; };
        page.setDialogs(d);

        // The settings' defaults (showInfo on), the axes static.
        ApplicationConfig& s = settings();
        s.zoomStatus = 1;
        page.settingsToControls(s, factory);
        page.resetAxesToScanRange(1528, 1568);
        page.resize(1010, 640);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
    }

    // The store draws on the page's chart: it goes first.
    ~Bench() { host.measurements.reset(); }

    ApplicationConfig& settings() { return host.measurements->settings(); }
    ScanManager& scans() { return host.measurements->scans(); }
    TransfertChart& chart() { return page.chart(); }

    template <typename T>
    T* child(const char* name)
    {
        T* w = page.findChild<T*>(name);
        if (w == nullptr) qFatal("no %s", name);
        return w;
    }
    QString text(const char* label) { return child<QLabel>(label)->text(); }
    void click(const char* name) { child<QAbstractButton>(name)->click(); }

    // A trace as a measurement leaves it: in the store, in the list, shown.
    ScanTrace& addTrace(const std::string& name, const std::function<void(ScanTrace&)>& fill)
    {
        ScanTrace& trace = scans().NewTrace(&host.measurements->liveConfiguration());
        trace.setName(name);
        fill(trace);
        page.scanAdded(name);
        page.setTraceControlsEnabled(true);
        page.refreshAfterScan();
        chart().replotNow();
        return trace;
    }
    ScanTrace& dwdm(const std::string& name, int scans = 1)
    {
        return addTrace(name, [scans](ScanTrace& t) {
            fillDwdmTrace(t, {4, 0.005, scans, 1, 3.0});
            t.result().Resample(1528, 1568, 10);
        });
    }
    // One curve "1": a peak at 1550 nm, flanks of 20 dB/nm down to -60 dB.
    ScanTrace& triangle(const std::string& name)
    {
        return addTrace(name, [](ScanTrace& t) {
            ScanData& data = t.AddCurve("1", false)->data();
            const double x[] = {1547, 1548, 1549, 1550, 1551, 1552, 1553};
            const double y[] = {-60, -40, -20, 0, -20, -40, -60};
            data.Reserve(7);
            data.SetCount(7);
            for (int i = 0; i < 7; ++i) data.SetPoint(i, x[i], y[i]);
            t.RedrawAll();
        });
    }

    std::array<QString, 4> information()
    {
        chart().replotNow();
        return {text("CentralLambdaValue"), text("FWHM3dBValue"), text("LeftFrontValue"), text("RightFrontValue")};
    }
};

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

class ChartPageTest : public QObject {
    Q_OBJECT

private slots:
    void scaleDialogMessages();
    void spectralWidthDialog();
    void slopeDialog();
    void informationBlockInNmAndThz();
    void informationOnlyWithTheFactorySwitch();
    void shiftEditsAndTheirIncrements();
    void visibilityBoxesShowAllClearAllAndMinMax();
    void selectedCurveIsMarkedOnItsBox();
    void settingsRowsOfThePage();
    void saveInTheFiveFormsAndLoadTheScanBack();
    void filesThatCannotBeReadOrWritten();
    void scanListAndClearCommands();
};

void ChartPageTest::scaleDialogMessages()
{
    Bench b;
    b.triangle("T");
    QStringList errors;
    auto set = [](QDialog& d, const char* name, double v) { d.findChild<TDoubleEdit*>(name)->SetValue(v); };
    auto ok = [](QDialog& d) { QTest::mouseClick(d.findChild<QPushButton*>("ButtonOk"), Qt::LeftButton); };
    b.dialogScript = [&](QDialog& d) {
        QCOMPARE(d.windowTitle(), QString("Scale"));
        QCOMPARE(d.findChild<TDoubleEdit*>("DoubleEditXMin")->GetValue(), 1528.0);
        QCOMPARE(d.findChild<QLabel*>("LabelError")->text(), QString(" "));
        set(d, "DoubleEditXMin", 1550);
        set(d, "DoubleEditXMax", 1550);
        set(d, "DoubleEditYMin", 5);
        set(d, "DoubleEditYMax", -5);
        ok(d);
        errors << d.findChild<QLabel*>("LabelError")->text();
        QVERIFY(d.isVisible());
        set(d, "DoubleEditXMax", 1551.25);
        ok(d);
        errors << d.findChild<QLabel*>("LabelError")->text();
        QVERIFY(d.isVisible());
        set(d, "DoubleEditYMax", 7.5);
        ok(d);
        QVERIFY(!d.isVisible());
    };
    b.click("ButtonZoomManual");
    QCOMPARE(errors, QStringList({"X max value must be higher than X min value",
                                  "Y max value must be higher than Y min value"}));
    const ChartRanges after{{1550, 1551.25}, {5, 7.5}};
    QCOMPARE(b.chart().ranges(), after);
    QCOMPARE(b.chart().savedRanges(), after);
    QCOMPARE(b.chart().rightRange().maximum, (7.5 + 70) * 0.04);

    // Cancelled: the axes stay.
    b.dialogScript = [&](QDialog& d) {
        set(d, "DoubleEditXMin", 1400);
        QTest::mouseClick(d.findChild<QPushButton*>("ButtonCancel"), Qt::LeftButton);
    };
    b.click("ButtonZoomManual");
    QCOMPARE(b.chart().ranges(), after);
}

void ChartPageTest::spectralWidthDialog()
{
    Bench b;
    b.triangle("T");
    QCOMPARE(b.information()[1], QString("0.3000 nm"));
    b.dialogScript = [](QDialog& d) {
        QCOMPARE(d.findChild<TDoubleEdit*>("DoubleEditThreshold")->GetValue(), -35.0);
        QCOMPARE(d.findChild<TDoubleEdit*>("DoubleEditFWHMPower")->GetValue(), 3.0);
        d.findChild<TDoubleEdit*>("DoubleEditThreshold")->SetValue(-20);
        d.findChild<TDoubleEdit*>("DoubleEditFWHMPower")->SetValue(6);
        QTest::mouseClick(d.findChild<QPushButton*>("ButtonOk"), Qt::LeftButton);
    };
    QTest::mouseClick(b.child<QLabel>("FWHM3dBLabel"), Qt::LeftButton);
    QCOMPARE(b.settings().fwhmThreshold, -20.0);
    QCOMPARE(b.settings().fwhmPower, -6.0);
    QCOMPARE(b.text("FWHM3dBLabel"), QString("Spectral Width (6.00 dB) :"));
    // 6 dB below the peak on 20 dB/nm flanks: 1549.7 to 1550.3 nm.
    QCOMPARE(b.information()[1], QString("0.6000 nm"));
    QCOMPARE(b.chart().curveLevels().fwhmPower, -6.0);

    // Closed another way: nothing changes.
    b.dialogScript = [](QDialog& d) {
        d.findChild<TDoubleEdit*>("DoubleEditFWHMPower")->SetValue(10);
        d.reject();
    };
    QTest::mouseClick(b.child<QLabel>("FWHM3dBLabel"), Qt::LeftButton);
    QCOMPARE(b.settings().fwhmPower, -6.0);
    QCOMPARE(b.text("FWHM3dBLabel"), QString("Spectral Width (6.00 dB) :"));
}

void ChartPageTest::slopeDialog()
{
    Bench b;
    b.triangle("T");
    QString refused;
    b.dialogScript = [&](QDialog& d) {
        QCOMPARE(d.windowTitle(), QString("Side Front"));
        QCOMPARE(d.findChild<TDoubleEdit*>("DoubleEditTopFront")->GetValue(), -3.0);
        QCOMPARE(d.findChild<TDoubleEdit*>("DoubleEditBottomFront")->GetValue(), -40.0);
        d.findChild<TDoubleEdit*>("DoubleEditTopFront")->SetValue(-30);
        d.findChild<TDoubleEdit*>("DoubleEditBottomFront")->SetValue(-30);
        QTest::mouseClick(d.findChild<QPushButton*>("ButtonOk"), Qt::LeftButton);
        refused = d.findChild<QLabel*>("LabelError")->text();
        QVERIFY(d.isVisible());
        d.findChild<TDoubleEdit*>("DoubleEditTopFront")->SetValue(-10);
        QTest::mouseClick(d.findChild<QPushButton*>("ButtonOk"), Qt::LeftButton);
        QVERIFY(!d.isVisible());
    };
    QTest::mouseClick(b.child<QLabel>("RightFrontLabel"), Qt::LeftButton);
    QCOMPARE(refused, QString("Top value must be highter than bottom value"));
    QCOMPARE(b.settings().slopeTopLevel, -10.0);
    QCOMPARE(b.settings().slopeBottomLevel, -30.0);
    QCOMPARE(b.text("LeftFrontLabel"), QString("Left Slope [-10.00, -30.00 dB] :"));
    QCOMPARE(b.text("RightFrontLabel"), QString("Right Slope [-10.00, -30.00 dB] :"));
    // 20 dB between 1548.5 and 1549.5 nm on the left.
    QCOMPARE(b.information()[2], QString("20.00 dB/nm"));
    QCOMPARE(b.information()[3], QString("-20.00 dB/nm"));
}

void ChartPageTest::informationBlockInNmAndThz()
{
    Bench b;
    QCOMPARE(b.text("CentralLambdaLabel"), QString("Central Wavelength :"));
    QCOMPARE(b.text("FWHM3dBLabel"), QString("Spectral Width (3.00 dB) :"));
    QCOMPARE(b.text("LeftFrontLabel"), QString("Left Slope [-3.00, -40.00 dB] :"));
    b.triangle("T");
    // Crossings: -3 dB at 1549.85 and 1550.15 nm, -40 dB at 1548 and 1552 nm.
    std::array<QString, 4> nm = {"1550.0000 nm", "0.3000 nm", "20.00 dB/nm", "-20.00 dB/nm"};
    QCOMPARE(b.information(), nm);
    b.click("ButtonDisplayUnit");
    QCOMPARE(b.child<QPushButton>("ButtonDisplayUnit")->text(), QString("=>nm"));
    QVERIFY(!b.child<TDoubleEdit>("EditXShift")->isEnabled());
    QVERIFY(b.child<TDoubleEdit>("EditYShift")->isEnabled());
    QCOMPARE(b.host.displayedChanges, 1);
    // c / 1550 nm; 0.3 nm · c / 1550²; 37 dB over c/1550.15 - c/1552 on the
    // (low-frequency) left and over c/1548 - c/1549.85 on the right.
    std::array<QString, 4> thz = {"193.4145 Thz", "0.0374 Thz", "160.50 dB/Thz", "-160.06 dB/Thz"};
    QCOMPARE(b.information(), thz);
    b.click("ButtonDisplayUnit");
    QCOMPARE(b.information(), nm);
    QVERIFY(b.child<TDoubleEdit>("EditXShift")->isEnabled());

    // A peak below the threshold: four empty values.
    ScanData& data = b.scans().Current().CurveAt(0)->data();
    for (int i = 0; i < data.count(); ++i) data.SetPoint(i, data.X(i), data.Y(i) - 40);
    b.scans().Current().RedrawAll();
    QCOMPARE(b.information(), (std::array<QString, 4>{}));
}

void ChartPageTest::informationOnlyWithTheFactorySwitch()
{
    Bench b(false);
    QVERIFY(b.settings().showInfo);
    b.page.settingsToControls(b.settings(), false);
    QVERIFY(!b.child<QWidget>("InformationGroup")->isVisible());
    QVERIFY(!b.page.informationShown());
    ApplicationConfig out = b.settings();
    b.page.controlsToSettings(out);
    QVERIFY(!out.showInfo);

    b.page.settingsToControls(b.settings(), true);
    QVERIFY(b.child<QWidget>("InformationGroup")->isVisible());
    QVERIFY(b.child<QWidget>("InformationBlock")->isVisible());
    b.click("CheckBoxShowInformation");
    QVERIFY(!b.child<QWidget>("InformationBlock")->isVisible());
    QVERIFY(!b.settings().showInfo);
}

void ChartPageTest::shiftEditsAndTheirIncrements()
{
    Bench b;
    ScanTrace& trace = b.dwdm("D");
    auto* x = b.child<TDoubleEdit>("EditXShift");
    auto* y = b.child<TDoubleEdit>("EditYShift");
    // Selected at 40 nm over some 900 pixels.
    QCOMPARE(x->GetIncrement(), 0.01);
    const QRect area = b.chart().plotArea();
    // 0.023 nm and 3 dB per pixel.
    const double left = 1540.0, bottom = -60.0;
    b.chart().zoomTo({{left, left + 0.023 * area.width()}, {bottom, bottom + 3.0 * area.height()}});
    QCOMPARE(x->GetIncrement(), 0.01);
    QCOMPARE(y->GetIncrement(), 1.0);
    x->SetValue(0.25);
    y->SetValue(-2);
    QCOMPARE(trace.CurveAt(0)->xShift(), 0.25);
    QCOMPARE(trace.CurveAt(0)->yShift(), -2.0);
    b.chart().undoZoom();
    QCOMPARE(x->GetIncrement(), 0.1);
    QCOMPARE(y->GetIncrement(), 0.1);
    // Another curve brings its own shifts into the edits.
    b.chart().selectCurve(1);
    QCOMPARE(x->GetValue(), 0.0);
    b.chart().selectCurve(0);
    QCOMPARE(x->GetValue(), 0.25);  // two decimals with the 0.01 step
    b.click("ButtonResetShift");
    QCOMPARE(trace.CurveAt(0)->xShift(), 0.0);
    QCOMPARE(trace.CurveAt(0)->yShift(), 0.0);
    QCOMPARE(y->GetValue(), 0.0);
}

void ChartPageTest::visibilityBoxesShowAllClearAllAndMinMax()
{
    Bench b;
    b.settings().measurementType = 1;
    b.settings().scanParameters.enable2 = 0;
    ScanTrace& trace = b.addTrace("C", [](ScanTrace& t) { fillDwdmTrace(t, {3, 0.005, 3, 1, 3.0}); });
    auto box = [&](const char* name) { return b.child<QCheckBox>(name); };
    auto shown = [&](int i) { return b.chart().curveShown(*trace.CurveAt(i)); };
    auto envelopes = [&](int i) { return trace.CurveAt(i)->showMinMax(); };
    // Boxes of curves the trace does not have are off.
    QVERIFY(box("F3CheckBox")->isEnabled());
    QVERIFY(!box("F4CheckBox")->isEnabled());
    QVERIFY(!box("ExtCheckBox")->isEnabled());

    box("F3CheckBox")->click();
    QVERIFY(!shown(2));
    QVERIFY(!envelopes(2));
    QVERIFY(shown(0) && envelopes(0));

    b.click("ButtonClearAll");
    for (const char* name : {"F1CheckBox", "F2CheckBox", "F3CheckBox"}) QVERIFY(!box(name)->isChecked());
    QVERIFY(box("F4CheckBox")->isChecked());  // disabled: left as it was
    QVERIFY(box("OrlCheckBox")->isChecked());  // not one of the five
    QVERIFY(!shown(0) && !shown(1) && !shown(2));
    QVERIFY(!envelopes(0));
    // Curve "2" keeps its envelopes: detector 2 is not enabled.
    QVERIFY(envelopes(1));

    b.click("ButtonShowAll");
    QVERIFY(shown(0) && shown(1) && shown(2));
    QVERIFY(envelopes(0) && envelopes(2));
    b.chart().replotNow();
    QVERIFY(!b.chart().drawnEnvelopes(*trace.CurveAt(0)).maximum.empty());

    b.click("CheckBoxShowMinMax");
    QVERIFY(!envelopes(0) && !envelopes(1) && !envelopes(2));
    QVERIFY(shown(0));
    b.click("CheckBoxShowMinMax");
    QVERIFY(envelopes(0) && envelopes(1) && envelopes(2));

    // In single mode a box leaves the envelopes alone.
    b.settings().measurementType = 0;
    box("F1CheckBox")->click();
    QVERIFY(!shown(0));
    QVERIFY(envelopes(0));
}

void ChartPageTest::selectedCurveIsMarkedOnItsBox()
{
    Bench b;
    b.addTrace("F", [](ScanTrace& t) {
        const std::array<double, 3> levels = {-10, -30, -50};
        for (std::size_t k = 0; k < levels.size(); ++k) {
            ScanData& data = t.AddCurve(std::to_string(k + 1), false)->data();
            data.Reserve(401);
            data.SetCount(401);
            for (int i = 0; i <= 400; ++i) data.SetPoint(i, 1528 + i * 0.1, levels[k]);
        }
        t.RedrawAll();
    });
    auto* box1 = b.child<QCheckBox>("F1CheckBox");
    auto* box3 = b.child<QCheckBox>("F3CheckBox");
    QCOMPARE(box1->text(), QString("1 (S)"));
    QVERIFY(box1->font().bold());
    // A click just above the -50 dB curve selects it.
    QWidget* plot = b.chart().childAt(b.chart().plotArea().center());
    const QPoint at(static_cast<int>(b.chart().bottomToPixel(1550)), static_cast<int>(b.chart().leftToPixel(-48)));
    QTest::mouseClick(plot, Qt::LeftButton, {}, at);
    QCOMPARE(b.chart().selectedCurve(), 2);
    QCOMPARE(box3->text(), QString("3 (S)"));
    QVERIFY(box3->font().bold());
    QCOMPARE(box1->text(), QString("1"));
    QVERIFY(!box1->font().bold());
}

void ChartPageTest::settingsRowsOfThePage()
{
    Bench b;
    ApplicationConfig s = b.settings();
    s.zoomStatus = 0;
    s.cursorVisible = true;
    s.cursorMode = false;
    s.markerMode = true;
    s.fwhmThreshold = -25;
    s.fwhmPower = -1;
    s.slopeTopLevel = -2;
    s.slopeBottomLevel = -20;
    s.showInfo = true;
    b.page.settingsToControls(s, true);
    QVERIFY(b.child<QRadioButton>("RadioButtonZoomWaveLength")->isChecked());
    QVERIFY(b.child<QRadioButton>("RadioButtonMarker")->isChecked());
    QVERIFY(!b.child<QPushButton>("ButtonReset")->isEnabled());
    QCOMPARE(b.child<QPushButton>("ButtonShowCursors")->text(), QString("Hide"));
    QVERIFY(b.chart().cursors().shown());
    QCOMPARE(b.chart().cursors().mode(), C_TChartCursorMnger::Mode::Marker);
    QCOMPARE(b.text("FWHM3dBLabel"), QString("Spectral Width (1.00 dB) :"));
    QCOMPARE(b.text("LeftFrontLabel"), QString("Left Slope [-2.00, -20.00 dB] :"));
    QCOMPARE(b.chart().zoomMode(), TransfertChart::ZoomMode::WavelengthLimits);

    // The buttons change the settings and come back through controlsToSettings.
    b.click("RadioButtonCursor");
    QVERIFY(b.child<QPushButton>("ButtonReset")->isEnabled());
    b.click("ButtonShowCursors");
    QCOMPARE(b.child<QPushButton>("ButtonShowCursors")->text(), QString("Show"));
    QVERIFY(!b.chart().cursors().shown());
    b.click("RadioButtonZoomStatic");
    ApplicationConfig out;
    b.page.controlsToSettings(out);
    QCOMPARE(out.zoomStatus, 1);
    QVERIFY(!out.cursorVisible);
    QVERIFY(out.cursorMode && !out.markerMode);
    QCOMPARE(out.fwhmThreshold, -25.0);
    QCOMPARE(out.slopeBottomLevel, -20.0);
    QVERIFY(out.showInfo);
    QCOMPARE(b.settings().zoomStatus, 1);
    QVERIFY(!b.settings().cursorVisible);
}

void ChartPageTest::saveInTheFiveFormsAndLoadTheScanBack()
{
    Bench b;
    ScanTrace& original = b.dwdm("Series", 3);
    const std::array<QString, 4> figures = b.information();
    QVERIFY(!figures[0].isEmpty());
    TempDir out;
    const std::array<std::string, 5> written = {"scan.csv", "scan.scan.xml", "scan.txt", "scan.bmp", "scan.png"};
    for (int form = 1; form <= 5; ++form) {
        // No extension typed: the chosen filter gives it.
        b.nextFile = QString::fromStdString(out.file("scan"));
        b.nextFilterIndex = form;
        b.click("ButtonSaveScan");
        QVERIFY2(b.messages.isEmpty(), qPrintable(b.messages.join('\n')));
        QVERIFY2(std::filesystem::exists(out.file(written[static_cast<std::size_t>(form - 1)])),
                 written[static_cast<std::size_t>(form - 1)].c_str());
    }
    // The dialog starts with the filter chosen last, and the data folder
    // follows the saved file.
    b.nextFile.clear();
    b.nextFilterIndex = 3;
    b.click("ButtonSaveScan");
    QCOMPARE(b.shownFilterIndex, 5);
    b.click("ButtonSaveScan");
    QCOMPARE(b.shownFilterIndex, 3);
    QCOMPARE(b.settings().dataFolder, out.str() + "/");

    const std::string csv = fileText(out.file("scan.csv"));
    QVERIFY(csv.rfind("WL[nm]; Output[dBm]; Det1_IL[dB]; Det2_IL[dB]; Det3_IL[dB]; Det4_IL[dB]\n", 0) == 0);
    QVERIFY(fileText(out.file("scan.txt")).rfind("WL[nm]\tOutput[dBm]\tDet1_IL[dB]", 0) == 0);
    QVERIFY(std::filesystem::exists(out.file("scan.scan.xml.dat")));
    QVERIFY(fileText(out.file("scan.bmp")).rfind("BM", 0) == 0);
    QVERIFY(fileText(out.file("scan.png")).rfind("\x89PNG", 0) == 0);

    // The scan file comes back as a new trace with the same curves and figures.
    b.nextFile = QString::fromStdString(out.file("scan.scan.xml"));
    b.click("ButtonLoadScan");
    QVERIFY2(b.messages.isEmpty(), qPrintable(b.messages.join('\n')));
    QCOMPARE(b.scans().Count(), 2);
    QCOMPARE(b.scans().CurrentIndex(), 1);
    const ScanTrace& loaded = b.scans().Current();
    QCOMPARE(loaded.name(), std::string("scan.scan.xml"));
    auto* list = b.child<QComboBox>("ComboBoxScan");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(1), QString("scan.scan.xml"));
    QCOMPARE(list->currentIndex(), 1);
    QCOMPARE(b.host.configurationsLoaded, 1);
    QVERIFY(b.chart().extOnVoltAxis());
    QCOMPARE(loaded.CurveCount(), original.CurveCount());
    for (int c = 0; c < original.CurveCount(); ++c) {
        const ScanData& a = original.CurveAt(c)->data();
        const ScanData& l = loaded.CurveAt(c)->data();
        QCOMPARE(l.count(), a.count());
        QCOMPARE(l.nbScan(), 3);
        QVERIFY(loaded.CurveAt(c)->hasEnvelopes());
        for (int i = 0; i < a.count(); i += 97) {
            QCOMPARE(l.X(i), a.X(i));
            QCOMPARE(l.Y(i), a.Y(i));
            QVERIFY(std::abs(l.YMax(i) - a.YMax(i)) < 1e-9);
        }
        QVERIFY(b.chart().curveShown(*loaded.CurveAt(c)));
    }
    QCOMPARE(b.information(), figures);
    QVERIFY(b.host.displayedChanges >= 1);
}

void ChartPageTest::filesThatCannotBeReadOrWritten()
{
    Bench b;
    b.triangle("Kept");
    const std::array<QString, 4> figures = b.information();
    b.settings().fwhmThreshold = -30;
    TempDir folder;
    auto nothingLost = [&] {
        QCOMPARE(b.scans().Count(), 1);
        QCOMPARE(b.scans().CurrentIndex(), 0);
        QCOMPARE(b.scans().Current().name(), std::string("Kept"));
        QCOMPARE(b.child<QComboBox>("ComboBoxScan")->count(), 1);
        QCOMPARE(b.settings().fwhmThreshold, -30.0);
        QCOMPARE(b.information(), figures);
        QCOMPARE(b.host.configurationsLoaded, 0);
        QVERIFY(b.child<QPushButton>("ButtonLoadScan")->isEnabled());
    };

    // Missing, not a file, not a scan file.
    const std::string missing = folder.file("missing.scan.xml");
    const std::string garbage = folder.file("garbage.scan.xml");
    std::ofstream(garbage) << "this is no XML <";
    const std::string taken = folder.file("taken.scan.xml");
    std::filesystem::create_directory(taken);
    struct Case {
        std::string file;
        QString reason;
    };
    for (const Case& c : {Case{missing, "No such file or directory"}, Case{taken, "Is a directory"},
                          Case{garbage, "The format is invalid."}}) {
        b.messages.clear();
        b.nextFile = QString::fromStdString(c.file);
        b.click("ButtonLoadScan");
        QCOMPARE(b.messages.size(), 1);
        QVERIFY2(b.messages[0].contains(QString::fromStdString(c.file)), qPrintable(b.messages[0]));
        QVERIFY2(b.messages[0].contains(c.reason), qPrintable(b.messages[0]));
        nothingLost();
    }

    // A folder that does not exist, and a name that is a folder.
    for (const Case& c : {Case{folder.file("none/scan.scan.xml"), "does not exist"},
                          Case{folder.file("none/scan.csv"), "does not exist"},
                          Case{taken, "Is a directory"}}) {
        for (int form : {1, 2}) {
            b.messages.clear();
            b.nextFile = QString::fromStdString(c.file);
            b.nextFilterIndex = form;
            b.click("ButtonSaveScan");
            QCOMPARE(b.messages.size(), 1);
            QVERIFY2(b.messages[0].startsWith("Save: Can't save the file "), qPrintable(b.messages[0]));
            QVERIFY2(b.messages[0].contains(c.reason), qPrintable(b.messages[0]));
            nothingLost();
            QVERIFY(b.settings().dataFolder != folder.str() + "/none/");
        }
    }

    // A scan file without its side file loads, shows no points and says why.
    b.nextFile = QString::fromStdString(folder.file("kept.scan.xml"));
    b.nextFilterIndex = 2;
    b.click("ButtonSaveScan");
    std::filesystem::remove(folder.file("kept.scan.xml.dat"));
    b.messages.clear();
    b.click("ButtonLoadScan");
    QCOMPARE(b.scans().Count(), 2);
    QCOMPARE(b.messages.size(), 1);
    QVERIFY2(b.messages[0].contains("kept.scan.xml.dat"), qPrintable(b.messages[0]));
    QCOMPARE(b.scans().Current().CurveAt(0)->data().count(), 0);
}

void ChartPageTest::scanListAndClearCommands()
{
    Bench b;
    b.dwdm("A");
    b.triangle("B");
    b.addTrace("C", [](ScanTrace& t) { fillDwdmTrace(t, {2, 0.005, 1, 1, 3.0}); });
    auto* list = b.child<QComboBox>("ComboBoxScan");
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->currentIndex(), 2);
    QVERIFY(!b.child<QCheckBox>("F3CheckBox")->isEnabled());

    const int before = b.host.displayedChanges;
    QTest::keyClick(list, Qt::Key_Up);  // the user picks "B"
    QCOMPARE(b.scans().CurrentIndex(), 1);
    QCOMPARE(b.host.displayedChanges, before + 1);
    QCOMPARE(b.information()[0], QString("1550.0000 nm"));
    QVERIFY(!b.child<QCheckBox>("F2CheckBox")->isEnabled());

    b.click("ButtonClearCurrentScan");
    QCOMPARE(b.scans().Count(), 2);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(0), QString("A"));
    QCOMPARE(list->itemText(1), QString("C"));
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(b.scans().CurrentIndex(), 0);
    QCOMPARE(b.host.displayedChanges, before + 2);
    QVERIFY(b.child<QCheckBox>("F4CheckBox")->isEnabled());

    b.click("ButtonClearAllScan");
    QCOMPARE(b.scans().Count(), 0);
    QCOMPARE(list->count(), 0);
    QCOMPARE(b.host.displayedChanges, before + 3);
    QCOMPARE(b.information(), (std::array<QString, 4>{}));
    QVERIFY(!b.child<QCheckBox>("F1CheckBox")->isEnabled());
}

QTEST_MAIN(ChartPageTest)
#include "ChartPageTest.moc"
