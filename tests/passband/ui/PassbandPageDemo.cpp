// The "Band-pass filter analysis" page on saved scans, drawn into pictures
// at the size it has in a 1024 x 768 window:
//   passband_page_demo FOLDER SCAN.scan.xml [MORE.scan.xml ...]
// writes FOLDER/passband-parameters.png (the parameter panel after the
// first scan), FOLDER/passband-table-single.png (the table of the first
// scan) and FOLDER/passband-table-continuous.png (every scan analysed in
// turn as a continuous measurement does: minimum, latest and maximum) and
// FOLDER/passband-parameters-cwdm-locked.png (the panel on the CWDM grid
// while a measurement runs).
// Run it under xvfb-run (or QT_QPA_PLATFORM=offscreen) and look at them.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

#include "Applicationconfig.h"
#include "ConfigurationFile.h"
#include "Passband.h"
#include "Passband_panel.h"
#include "ScanFile.h"
#include "Scanmanager.h"

namespace {

bool grab(QWidget& page, const QString& folder, const char* name)
{
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QLatin1String(name));
    if (!page.grab().save(path)) {
        std::fprintf(stderr, "can't write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool load(const char* file, ScanManager& scans, ApplicationConfig& settings)
{
    if (loadFromChartPage(file, scans, settings, ConfigurationSections{}, nullptr) != 0) {
        std::fprintf(stderr, "can't load %s\n", file);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: passband_page_demo FOLDER SCAN.scan.xml [MORE.scan.xml ...]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    // The page's data folder lives here, not in the user's documents.
    QTemporaryDir documents;
    ApplicationConfig settings(documents.path().toStdString());
    ScanManager scans(nullptr, nullptr, nullptr);

    TPassBandFrame page(settings, scans);
    page.resize(1010, 640);
    page.show();

    if (!load(argv[2], scans, settings)) return 1;
    page.updateCurves();
    bool ok = grab(page, folder, "passband-parameters.png");
    page.selectPanel()->click();
    ok = grab(page, folder, "passband-table-single.png") && ok;

    page.useContinuousRenderer();
    page.lockParameters();
    page.clearResults();
    for (int i = 2; i < argc; ++i) {
        if (!load(argv[i], scans, settings)) return 1;
        page.analyse();
    }
    page.unlockParameters();
    ok = grab(page, folder, "passband-table-continuous.png") && ok;

    page.passband().grid.gridType.setValue(GridType::Cwdm);
    page.lockParameters();
    page.selectPanel()->click();
    ok = grab(page, folder, "passband-parameters-cwdm-locked.png") && ok;
    return ok ? 0 : 1;
}
