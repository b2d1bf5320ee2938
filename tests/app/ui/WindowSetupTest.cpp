// The main window without an instrument: its pages, the range rules with
// their hints, the settings mapping through a configuration file, the
// factory switch, the status bar and the title.

#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <tinyxml.h>

#include "Applicationconfig.h"
#include "MeasurementSession.h"
#include "Panelhint.h"
#include "Sourceconfig.h"
#include "StatusPanel.h"
#include "WindowFixture.h"

class WindowSetupTest : public QObject {
    Q_OBJECT

private slots:
    void pagesInTheirOrder();
    void rangeRuleMovesTheOtherEndWithItsHint();
    void mappingRoundTripThroughAConfigurationFile();
    void bncInputStartsOffButLoadAppliesIt();
    void factorySwitchShowsThePagesAndExpertOptions();
    void statusBarColours();
    void damagedDefaultFileIsKeptAsideAndSaidInTheStatusBar();
    void titleNamesTheSimulation();
    void defaultFileWrittenAtDestruction();
};

void WindowSetupTest::pagesInTheirOrder()
{
    WindowFixture f;
    QTabWidget& pages = f.window->pages();
    const QStringList expected = {"Parameters",    "Continuous scans", "Transfer functions", "Band-pass filter analysis",
                                  "Sweeping velocity", "Output power",  "Mode Hopping",      "Line detection",
                                  "Control/Calibration", "Factory",     "Cust.",             "About"};
    QCOMPARE(pages.count(), expected.size());
    for (int i = 0; i < pages.count(); ++i) QCOMPARE(pages.tabText(i), expected[i]);
    QCOMPARE(pages.tabText(3), QString("Band-pass filter analysis"));
    QCOMPARE(f.window->windowTitle(), QString("VEMAR GUI"));
    QCOMPARE(f.window->size(), QSize(1024, 768));
    QCOMPARE(f.window->minimumSize(), QSize(1024, 734));
    QVERIFY(f.find<QWidget>("SourceEditorPlace") != nullptr);
    QVERIFY(f.find<QWidget>("TransferChartPlace") != nullptr);
}

void WindowSetupTest::rangeRuleMovesTheOtherEndWithItsHint()
{
    WindowFixture f;
    auto* start = f.find<TDoubleEdit>("StartEdit");
    auto* stop = f.find<TDoubleEdit>("StopEdit");
    auto* hint = f.find<TPanelHint>("RangeHint");
    QVERIFY(start && stop && hint);
    f.window->show();

    stop->SetValue(1510.0);
    start->SetValue(1508.0);
    QCOMPARE(start->GetValue(), 1508.0);
    QCOMPARE(stop->GetValue(), 1513.0);
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->Text(), QString(" The minimum scan range is 5nm. \n The Stop Wavelength parameter has been updated "));
    QCOMPARE(ConfLaser::live().lambdaMax, 1513.0);

    start->SetValue(1500.0);
    stop->SetValue(1502.0);
    QCOMPARE(start->GetValue(), 1497.0);
    QCOMPARE(stop->GetValue(), 1502.0);
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->Text(),
             QString(" The minimum scan range is 5nm. \n The Start Wavelength parameter has been updated "));
    QCOMPARE(ConfLaser::live().lambdaMin, 1497.0);

    // With the stop at its upper bound the start moves back, without a hint.
    stop->SetValue(stop->GetMax());
    QVERIFY(!hint->isVisible());
    start->SetValue(stop->GetMax() - 2.0);
    QCOMPARE(start->GetValue(), stop->GetMax() - 5.0);
    QCOMPARE(stop->GetValue(), stop->GetMax());
    QVERIFY(!hint->isVisible());
}

void WindowSetupTest::mappingRoundTripThroughAConfigurationFile()
{
    WindowFixture first;
    const QString file = QString::fromStdString(first.configFolder() + "round.config.xml");
    first.find<QRadioButton>("ExternalSyncOn")->setChecked(true);
    first.find<TIntEdit>("ResolutionEdit")->SetValue(25);
    first.find<QCheckBox>("Detector3")->setChecked(true);
    first.find<QCheckBox>("DetectorExt")->setChecked(true);
    first.find<QRadioButton>("Continuous")->setChecked(true);
    first.find<QCheckBox>("ScanLimit")->setChecked(true);
    first.find<TIntEdit>("ScanCount")->SetValue(7);
    first.find<QCheckBox>("AutoSave")->setChecked(true);
    first.find<QRadioButton>("FileTypeCSV")->setChecked(true);
    first.find<TIntEdit>("DelayEdit")->SetValue(12);
    first.find<QCheckBox>("MinMaxReset")->setChecked(true);
    first.find<TIntEdit>("ResetModuloEdit")->SetValue(5);
    first.find<QCheckBox>("KeepModeHop")->setChecked(true);
    first.find<TDoubleEdit>("PowerEdit")->SetValue(2.5);
    first.find<TDoubleEdit>("StopEdit")->SetValue(1560.0);
    first.find<TDoubleEdit>("StartEdit")->SetValue(1530.0);
    first.chosenFile = file;
    first.window->ButtonSaveAsClick();
    QCOMPARE(first.window->currentConfigurationFile(), file.toStdString());

    TiXmlDocument doc(file.toStdString().c_str());
    QVERIFY(doc.LoadFile());
    const TiXmlElement* application =
        doc.FirstChildElement("VEMAR")->FirstChildElement("Configuration")->FirstChildElement("Application");
    QVERIFY(application != nullptr);
    QCOMPARE(QString(application->FirstChildElement("Measurement")->Attribute("File_Type")), QString("CSV"));

    // Another window with other settings takes them back from the file.
    ConfLaser::live().power = 1.0;
    WindowFixture second;
    QCOMPARE(second.find<TIntEdit>("ResolutionEdit")->GetValue(), 10);
    second.chosenFile = file;
    second.window->ButtonLoadClick();
    QVERIFY(second.find<QRadioButton>("ExternalSyncOn")->isChecked());
    QCOMPARE(second.find<TIntEdit>("ResolutionEdit")->GetValue(), 25);
    QVERIFY(!second.find<QCheckBox>("Detector2")->isChecked());
    QVERIFY(second.find<QCheckBox>("Detector3")->isChecked());
    QVERIFY(second.find<QCheckBox>("DetectorExt")->isChecked());
    QVERIFY(second.find<QRadioButton>("Continuous")->isChecked());
    QVERIFY(second.find<QCheckBox>("ScanLimit")->isChecked());
    QCOMPARE(second.find<TIntEdit>("ScanCount")->GetValue(), 7);
    QVERIFY(second.find<QCheckBox>("AutoSave")->isChecked());
    QVERIFY(second.find<QRadioButton>("FileTypeCSV")->isChecked());
    QCOMPARE(second.find<TIntEdit>("DelayEdit")->GetValue(), 12);
    QVERIFY(second.find<QCheckBox>("MinMaxReset")->isChecked());
    QCOMPARE(second.find<TIntEdit>("ResetModuloEdit")->GetValue(), 5);
    QVERIFY(second.find<QCheckBox>("KeepModeHop")->isChecked());
    QCOMPARE(second.find<TDoubleEdit>("PowerEdit")->GetValue(), 2.5);
    QCOMPARE(second.find<TDoubleEdit>("StartEdit")->GetValue(), 1530.0);
    QCOMPARE(second.find<TDoubleEdit>("StopEdit")->GetValue(), 1560.0);
    // The counter panel shows the count edit in continuous mode with the limit on.
    second.window->show();
    QVERIFY(second.find<QWidget>("CounterPanel")->isVisible());
    QVERIFY(second.find<TIntEdit>("ScanCount")->isVisible());
    // The file-type choices follow their box.
    QVERIFY(second.find<QPushButton>("BrowseDirectory")->isEnabled());
    second.find<QCheckBox>("AutoSave")->setChecked(false);
    QVERIFY(!second.find<QPushButton>("BrowseDirectory")->isEnabled());
    QVERIFY(!second.find<QRadioButton>("FileTypeXML")->isEnabled());
}

void WindowSetupTest::bncInputStartsOffButLoadAppliesIt()
{
    std::string file;
    std::string text;
    {
        // Settings without a BNC input: the row offers P = 0 + 1 x V.
        WindowFixture fresh({}, dwdmConfiguration);
        QCOMPARE(fresh.find<QLineEdit>("BNCAlpha")->text(), QString("0"));
        QCOMPARE(fresh.find<QLineEdit>("BNCBeta")->text(), QString("1"));
    }
    {
        WindowFixture first;
        first.find<QCheckBox>("Optical")->setChecked(true);
        first.find<QLineEdit>("BNCAlpha")->setText("0.5");
        first.find<QLineEdit>("BNCBeta")->setText("2");
        file = first.configFolder() + "bnc.config.xml";
        first.chosenFile = QString::fromStdString(file);
        first.window->ButtonSaveAsClick();
        QCOMPARE(first.window->settings().scanParameters.bncEnable, std::uint8_t(1));
        std::ifstream in(file);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    QVERIFY(text.find("Enable=\"True\"") != std::string::npos);
    WindowFixture second({}, text);
    QVERIFY(!second.find<QCheckBox>("Optical")->isChecked());
    QCOMPARE(second.window->settings().scanParameters.bncEnable, std::uint8_t(0));
    file = second.configFolder() + "bnc.config.xml";
    std::ofstream(file) << text;
    second.chosenFile = QString::fromStdString(file);
    second.window->ButtonLoadClick();
    QVERIFY(second.find<QCheckBox>("Optical")->isChecked());
    QCOMPARE(second.window->settings().scanParameters.bncAlpha, 0.5);
    QCOMPARE(second.window->settings().scanParameters.bncBeta, 2.0);
}

void WindowSetupTest::factorySwitchShowsThePagesAndExpertOptions()
{
    const std::string precise =
        "<VEMAR><Configuration><Application><MeasurementDisplay Show_Info=\"True\" Show_Info_PM=\"True\" />"
        "</Application></Configuration></VEMAR>";
    {
        WindowFixture plain({}, precise);
        plain.window->show();
        QTabWidget& pages = plain.window->pages();
        for (int page : {TFormZovEZO::PageVelocity, TFormZovEZO::PagePower, TFormZovEZO::PageModeHop,
                         TFormZovEZO::PageFactory, TFormZovEZO::PageCustomer})
            QVERIFY2(!pages.isTabVisible(page), qPrintable(pages.tabText(page)));
        QVERIFY(pages.isTabVisible(TFormZovEZO::PageParameters));
        QVERIFY(!plain.find<QCheckBox>("PreciseMode")->isVisible());
        QVERIFY(!plain.find<QCheckBox>("PreciseMode")->isChecked());
        plain.window->controlsToSettings();
        QVERIFY(!plain.window->settings().showInfoPreciseMode);
    }
    WindowFixture factory({"qzrt"}, precise);
    factory.window->show();
    QTabWidget& pages = factory.window->pages();
    for (int page : {TFormZovEZO::PageVelocity, TFormZovEZO::PagePower, TFormZovEZO::PageModeHop,
                     TFormZovEZO::PageFactory})
        QVERIFY2(pages.isTabVisible(page), qPrintable(pages.tabText(page)));
    QVERIFY(!pages.isTabVisible(TFormZovEZO::PageCustomer));
    QVERIFY(factory.find<QCheckBox>("PreciseMode")->isChecked());
    QVERIFY(factory.find<QLabel>("PreciseNote")->isVisible());
    QVERIFY(!factory.find<QCheckBox>("KeepModeHop")->isHidden());
    // Turning precise mode off keeps the resolution; on sets 1 pm.
    factory.find<QCheckBox>("PreciseMode")->setChecked(false);
    QVERIFY(!factory.find<QLabel>("PreciseNote")->isVisible());
    factory.find<TIntEdit>("ResolutionEdit")->SetValue(20);
    factory.find<QCheckBox>("PreciseMode")->setChecked(true);
    QCOMPARE(factory.find<TIntEdit>("ResolutionEdit")->GetValue(), 1);
    QCOMPARE(factory.window->settings().samplingStep, 1);
    factory.find<QCheckBox>("PreciseMode")->setChecked(false);
    QCOMPARE(factory.find<TIntEdit>("ResolutionEdit")->GetValue(), 1);
}

void WindowSetupTest::statusBarColours()
{
    WindowFixture f;
    MeasurementView& view = f.window->measurementView();
    TStatusPanel& status = f.window->statusPanel();
    const QColor face = f.window->palette().color(QPalette::Window);
    QCOMPARE(status.background(), face);
    view.statusMessage({1, "Warning text", 105});
    QCOMPARE(status.background(), QColor(Qt::yellow));
    QCOMPARE(status.text(), QString("Warning text"));
    view.statusMessage({2, "Error text", 3});
    QCOMPARE(status.background(), QColor(Qt::red));
    view.statusMessage({2, "", std::nullopt});
    QCOMPARE(status.background(), face);
    QCOMPARE(status.text(), QString());
    // A configuration file the core found damaged is a warning.
    f.window->configurationProblem("The configuration file is damaged");
    QCOMPARE(status.background(), QColor(Qt::yellow));
    QCOMPARE(status.text(), QString("The configuration file is damaged"));
}

void WindowSetupTest::damagedDefaultFileIsKeptAsideAndSaidInTheStatusBar()
{
    // A truncated default file: the window starts on defaults, says so in
    // yellow (no box stops the start) and keeps the damaged file aside for
    // the user instead of overwriting it at the end.
    const std::string damaged = "<?xml version=\"1.0\" ?>\n<VEMAR><Configuration><Applica";
    std::string configFolder;
    {
        WindowFixture f({}, damaged);
        configFolder = f.configFolder();
        TStatusPanel& status = f.window->statusPanel();
        QCOMPARE(status.background(), QColor(Qt::yellow));
        QVERIFY2(status.text().contains("VEMAR.config.xml"), qPrintable(status.text()));
        QVERIFY(f.dialogs.empty());
        std::ifstream aside(configFolder + "VEMAR.config.xml.damaged");
        const std::string kept((std::istreambuf_iterator<char>(aside)), std::istreambuf_iterator<char>());
        QCOMPARE(kept, damaged);
    }
}

void WindowSetupTest::titleNamesTheSimulation()
{
    WindowFixture simulated({"--simulate"});
    QVERIFY(simulated.window->windowTitle().startsWith("VEMAR GUI"));
    QVERIFY(simulated.window->windowTitle().endsWith("SIMULATED INSTRUMENT"));
    WindowFixture real;
    QVERIFY(!real.window->windowTitle().contains("SIMULATED"));
}

void WindowSetupTest::defaultFileWrittenAtDestruction()
{
    WindowFixture f;
    const std::string path = f.configFolder() + "VEMAR.config.xml";
    f.chosenFile = QString::fromStdString(f.configFolder() + "other.config.xml");
    f.window->ButtonSaveAsClick();
    std::filesystem::remove(path);
    f.find<TIntEdit>("ResolutionEdit")->SetValue(42);
    f.window.reset();
    TiXmlDocument doc(path.c_str());
    QVERIFY(doc.LoadFile());
    const TiXmlElement* step = doc.FirstChildElement("VEMAR")
                                   ->FirstChildElement("Configuration")
                                   ->FirstChildElement("Application")
                                   ->FirstChildElement("Sampling_Step");
    QCOMPARE(QString(step->Attribute("Value")), QString("42"));
}

QTEST_MAIN(WindowSetupTest)
#include "WindowSetupTest.moc"
