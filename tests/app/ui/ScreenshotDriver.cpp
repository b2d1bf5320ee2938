// Drives the real window the way an operator would and saves a picture of
// every page: vemar_screenshots DIR [vemar switches...]. With --simulate it
// waits for the unit, presses the start button for one single scan and
// waits for its end before taking the pictures. Exits non-zero when the
// window cannot be driven (no unit found, the scan failed or never ended).

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "ChartPictureRenderer.h"
#include "Doubleedit.h"
#include "DspFirmware.h"
#include "FactoryPage.h"
#include "SimulatorPlugin.h"
#include "Wait.h"
#include "NumberFormat.h"
#include "Passband_panel.h"
#include "Scanmanager.h"
#include "MeasurementSession.h"
#include "StatusPanel.h"
#include "WindowStart.h"
#include "Zovezo.h"

namespace {

// Runs the event loop until signal fires or timeoutMs passes; true when it fired.
template <typename Signal>
bool waitFor(TFormZovEZO& window, Signal signal, int timeoutMs)
{
    QEventLoop loop;
    bool fired = false;
    QObject::connect(&window, signal, &loop, [&] {
        fired = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return fired;
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString fileNameOf(int index, const QString& caption)
{
    QString name = caption;
    name.replace('/', '-').replace(' ', '-').replace('.', "");
    return QString("%1-%2.png").arg(index, 2, 10, QChar('0')).arg(name);
}

// Writes the picture of w as folder/name and prints its path; false when it
// cannot be written.
bool savePicture(QWidget& w, const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(name);
    if (!w.grab().save(path)) return false;
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
}

int fail(const char* why)
{
    std::fprintf(stderr, "vemar_screenshots: %s\n", why);
    return 1;
}

// The "Factory" page after a short wavelength calibration on the simulated
// etalon: the DSP release read, two etalon-mode scans, "Update calibration",
// one test-mode scan and "Show results". Nobody answers boxes here: the
// questions get No and the messages go to stderr.
const char* pictureFactoryPage(TFormZovEZO& window, const QString& folder, bool simulated)
{
    auto* page = window.findChild<TFactoryPage*>("TFactoryPage");
    if (page == nullptr) return nullptr;
    WindowDialogs quiet = WindowDialogs::standard(&window);
    quiet.askYesNo = [](const QString&, const QString&) { return false; };
    quiet.askOkCancel = [](const QString&, const QString&) { return false; };
    quiet.message = [](int, const QString& caption, const QString& text) {
        std::fprintf(stderr, "vemar_screenshots: %s: %s\n", caption.toLocal8Bit().constData(),
                     text.toLocal8Bit().constData());
    };
    window.setDialogs(quiet);
    QTabWidget& pages = window.pages();
    pages.setCurrentIndex(TFormZovEZO::PageFactory);
    auto click = [&window](const char* name) {
        auto* b = window.findChild<QPushButton*>(name);
        if (b != nullptr && b->isEnabled()) b->click();
    };
    click("B_FactGetVersion");
    if (!page->waitForOperation(20000)) return "the DSP status was never read";

    using Init = int (*)(const char*, std::uint64_t, int);
    using WriteEtalon = int (*)(const char*);
    auto init = reinterpret_cast<Init>(SimulatorPlugin::symbol("vemarsim_init"));
    auto writeEtalon = reinterpret_cast<WriteEtalon>(SimulatorPlugin::symbol("vemarsim_bench_write_etalon_file"));
    if (simulated && init != nullptr && writeEtalon != nullptr && init("etalon", 1, 1) == 0) {
        const std::string calib = window.session().settings().calibFolder;
        if (writeEtalon((calib + "Etalon_E1.txt").c_str()) <= 0) return "the etalon file could not be written";
        window.findChild<QLineEdit*>("Edit3")->setText("E1");
        auto scan = [&window] {
            window.findChild<QToolButton*>("StartButton")->click();
            return window.measurementRunning() && waitFor(window, &TFormZovEZO::measurementFinished, 180000);
        };
        auto scanWith = [&window, &scan](const char* box) {
            window.findChild<QCheckBox*>(box)->click();
            return scan();
        };
        // Two sweeps: the first sets the grid, the second is averaged in.
        if (!scanWith("CheckBox2") || !scan()) return "the etalon-mode scans never ended";
        click("Button4");
        settle(150);
        if (!savePicture(window, folder, "09-Factory-update-calibration.png")) return "a picture could not be written";
        if (!scanWith("CheckBox3")) return "the test-mode scan never ended";
        click("Button5");
        pages.setCurrentIndex(TFormZovEZO::PageFactory);
    }
    settle(150);
    if (!savePicture(window, folder, fileNameOf(TFormZovEZO::PageFactory, pages.tabText(TFormZovEZO::PageFactory))))
        return "a picture could not be written";
    window.setDialogs(WindowDialogs::standard(&window));
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    useClassicNumberFormat();
    QApplication application(argc, argv);
    QLocale::setDefault(QLocale::c());
    if (argc < 2) return fail("usage: vemar_screenshots DIR [vemar switches...]");
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    std::vector<std::string> switches(argv + 2, argv + argc);
    const CommandLine commandLine(switches);
    if (commandLine.simulate()) {
        std::string why;
        SimulatorStart simulator;
        simulator.preset = commandLine.preset();
        simulator.seed = commandLine.seed();
        if (!MeasurementSession::startSimulator(simulator, &why)) return fail(why.c_str());
    }
    ChartPictures::install(std::make_shared<ChartPictureRenderer>());

    WindowOptions options;
    options.commandLine = commandLine;
    options.programFolder = programFolder();
    options.parts = windowParts();
    auto window = std::make_unique<TFormZovEZO>(std::move(options));
    window->show();
    if (!waitFor(*window, &TFormZovEZO::detectionFinished, 20000)) return fail("the device detection never ended");
    if (commandLine.simulate()) {
        if (!window->instrumentPresent()) return fail("the simulated unit was not found");
        auto* start = window->findChild<QToolButton*>("StartButton");
        if (start == nullptr || !start->isEnabled()) return fail("the start button cannot be pressed");
        start->click();
        if (!window->measurementRunning()) return fail("the start button started no measurement");
        if (!waitFor(*window, &TFormZovEZO::measurementFinished, 180000)) return fail("the scan never ended");
        if (window->statusPanel().severity() == 2)
            return fail(("the scan failed: " + window->statusPanel().text().toStdString()).c_str());
    }

    QTabWidget& pages = window->pages();
    int written = 0;
    for (int i = 0; i < pages.count(); ++i) {
        if (!pages.isTabVisible(i)) continue;
        pages.setCurrentIndex(i);
        settle(150);
        if (!savePicture(*window, folder, fileNameOf(i, pages.tabText(i))))
            return fail("a picture could not be written");
        ++written;
    }
    if (written == 0) return fail("no page to draw");

    // The passband page's results table after the scan (the page opens on
    // its parameter panel, pictured above).
    if (auto* passBand = window->findChild<TPassBandFrame*>("PassBandFrame")) {
        pages.setCurrentIndex(TFormZovEZO::PagePassBand);
        if (!passBand->tableShown()) passBand->selectPanelClick();
        settle(150);
        if (!savePicture(*window, folder,
                         fileNameOf(TFormZovEZO::PagePassBand, pages.tabText(TFormZovEZO::PagePassBand) + " table")))
            return fail("a picture could not be written");
        passBand->selectPanelClick();
    }

    // "Control/Calibration" with the power control running: the live bars
    // and their labels after a few readings.
    if (auto* power = window->findChild<QPushButton*>("ButtonStartPowerControl"); power != nullptr && power->isEnabled()) {
        pages.setCurrentIndex(TFormZovEZO::PageCalibration);
        settle(150);
        power->click();
        settle(1500);
        if (!savePicture(*window, folder,
                         fileNameOf(TFormZovEZO::PageCalibration, pages.tabText(TFormZovEZO::PageCalibration) + " power")))
            return fail("a picture could not be written");
        power->click();
    }

    if (const char* failed = pictureFactoryPage(*window, folder, commandLine.simulate())) return fail(failed);

    // The 5 nm hint of the range edits, as the operator meets it.
    pages.setCurrentIndex(TFormZovEZO::PageParameters);
    auto* start = window->findChild<TDoubleEdit*>("StartEdit");
    auto* stop = window->findChild<TDoubleEdit*>("StopEdit");
    if (start != nullptr && stop != nullptr) {
        stop->SetValue(1560.0);
        start->SetValue(1558.0);
        settle(150);
        if (!savePicture(*window, folder, "12-Range-hint.png")) return fail("a picture could not be written");
    }
    // The wait window of the firmware upgrade.
    if (auto* wait = window->findChild<TFormWait*>("WaitWindow")) {
        wait->showWith(DspFirmware::waitCaption, DspFirmware::waitText);
        settle(150);
        if (!savePicture(*wait, folder, "13-Wait-window.png")) return fail("a picture could not be written");
        wait->hide();
    }
    return 0;
}
