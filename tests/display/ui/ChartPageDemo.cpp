// chart_page_demo FOLDER SCAN.scan.xml [CONTINUOUS.scan.xml]: the "Transfer
// functions" page as the window shows it (1010 x 640 pixels), with a
// measurement session behind it, loading scan files through its "&Load"
// button, and grabbed in the states worth looking at into FOLDER:
//   01-dwdm        the first scan file as loaded
//   02-cursors     cursors shown and reset on the selected curve
//   03-marker      marker mode, the marker on curve "2"
//   04-zoom        "On Peak" on curve "1", cursors reset there
//   05-thz         the frequency display, cursors reset
//   06-envelopes   the last file of a continuous run, zoomed on a channel
//   07-envelopes-full  the same over the whole range
// Scan files: vemar-cli --simulate --config scripts/dwdm-demo.config.xml
// scan --continuous 3 --out DIR/dwdm. Run it under xvfb-run.

#include <tinyxml.h>

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "About.h"
#include "Ccursors.h"
#include "ChartPage.h"
#include "ConfigurationFile.h"
#include "MeasurementSession.h"
#include "NumberFormat.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "TransfertChart.h"

namespace {

struct DemoHost : ChartPageHost, ScanForm {
    SourcesSection sourcesSection{ConfLaser::live()};
    TChartPage* page = nullptr;
    std::unique_ptr<MeasurementSession> measurements;

    MeasurementSession& session() override { return *measurements; }
    void displayedScanChanged() override {}
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
    void configurationLoaded() override
    {
        page->settingsToControls(measurements->settings(), true);
        page->resetAxesToScanRange(ConfLaser::live().lambdaMin, ConfLaser::live().lambdaMax);
    }
    bool frequencyDisplay() const override { return page != nullptr && page->frequencyDisplay(); }
    bool externalTriggerMode() const override { return false; }
};

void settle()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    useClassicNumberFormat();
    QApplication application(argc, argv);
    QLocale::setDefault(QLocale::c());
    if (argc < 3) {
        std::fprintf(stderr, "usage: chart_page_demo FOLDER SCAN.scan.xml [CONTINUOUS.scan.xml]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    const QString first = QString::fromLocal8Bit(argv[2]);
    const QString continuous = argc > 3 ? QString::fromLocal8Bit(argv[3]) : first;

    DemoHost host;
    auto page = std::make_unique<TChartPage>(host);
    host.page = page.get();
    SessionSetup setup;
    setup.documentsFolder = QDir::tempPath().toStdString() + "/chart-page-demo";
    setup.form = &host;
    setup.chart = page->scanChart();
    host.measurements = std::make_unique<MeasurementSession>(setup);

    QString nextFile;
    ChartPageDialogs dialogs = ChartPageDialogs::standard(page.get());
    dialogs.openFileName = [&](const QString&, const QStringList&) { return nextFile; };
    dialogs.message = [](int, const QString& caption, const QString& text) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    };
    page->setDialogs(dialogs);
    page->settingsToControls(host.measurements->settings(), true);
    page->resize(1010, 640);
    page->setWindowTitle("Transfer functions");
    page->show();
    settle();

    auto save = [&](const char* name) {
        page->chart().replotNow();
        settle();
        const QString path = folder.filePath(QString::fromUtf8(name) + ".png");
        if (!page->grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::printf("%s\n", qPrintable(path));
    };
    auto click = [&](const char* name) { page->findChild<QAbstractButton*>(name)->click(); };
    TransfertChart& chart = page->chart();

    nextFile = first;
    click("ButtonLoadScan");
    save("01-dwdm");

    click("ButtonShowCursors");
    click("ButtonReset");
    save("02-cursors");

    click("RadioButtonMarker");
    chart.selectCurve(1);
    const AxisRange bottom = chart.ranges().bottom;
    chart.cursors().marker().moveToValue(bottom.minimum + 0.37 * bottom.span());
    chart.repaintCursors();
    save("03-marker");

    click("RadioButtonCursor");
    chart.selectCurve(0);
    click("ButtonPeakCenter");
    click("ButtonReset");
    save("04-zoom");

    click("ButtonDisplayUnit");
    save("05-thz");
    click("ButtonDisplayUnit");

    nextFile = continuous;
    click("ButtonLoadScan");
    click("ButtonShowCursors");
    chart.selectCurve(0);
    click("ButtonPeakCenter");
    save("06-envelopes");
    chart.undoZoom();
    save("07-envelopes-full");

    host.measurements.reset();
    return 0;
}
