// The exports of the main window: the synchronisation files of the selected
// scan, offered only while external synchronisation is on, and the pictures
// of the factory charts; each save starts in the data folder and makes the
// chosen file's folder the next data folder.

#include <QPushButton>
#include <QtTest>

#include <filesystem>

#include "Applicationconfig.h"
#include "FileUtil.h"
#include "MeasurementSession.h"
#include "ScanTrace.h"
#include "Scanmanager.h"
#include "SyncSamples.h"
#include "WindowFixture.h"

namespace {

// The hand-worked samples of the synchronisation file tests, as the
// selected scan.
void fillSelectedTrace(TFormZovEZO& window)
{
    window.scans().NewTrace(&window.session().liveConfiguration()).result() = threeSyncSamples();
}

}  // namespace

class WindowExportsTest : public QObject {
    Q_OBJECT

private slots:
    void syncFileButtonsFollowExternalSynchronisation()
    {
        WindowFixture f;
        f.window->enableControls(true);
        auto* wavelength = f.find<QPushButton>("Button6");
        auto* power = f.find<QPushButton>("ButtonOutPowSyncFile");
        QVERIFY(wavelength != nullptr && power != nullptr);
        QCOMPARE(wavelength->text(), QString("Save Wavelength Sync File"));
        QCOMPARE(power->text(), QString("Save Power Sync File"));
        QVERIFY(!wavelength->isEnabled());
        f.find<QRadioButton>("ExternalSyncOn")->setChecked(true);
        QVERIFY(wavelength->isEnabled() && power->isEnabled());
        // A measurement disables them with the rest.
        f.window->enableControls(false);
        QVERIFY(!wavelength->isEnabled() && !power->isEnabled());
        f.window->enableControls(true);
        f.find<QRadioButton>("ExternalSyncOff")->setChecked(true);
        QVERIFY(!wavelength->isEnabled());
    }

    void syncFilesHoldTheSelectedScansLines()
    {
        WindowFixture f;
        fillSelectedTrace(*f.window);
        f.window->enableControls(true);
        f.find<QRadioButton>("ExternalSyncOn")->setChecked(true);
        const std::string other = f.program.str() + "/exports/";
        std::filesystem::create_directories(other);

        f.chosenFile = QString::fromStdString(other + "wavelength.txt");
        f.find<QPushButton>("Button6")->click();
        QCOMPARE(QString::fromStdString(readWholeFile(other + "wavelength.txt")),
                 QString("0\t1550.0000\n1\t1550.0100\n2\t1550.0200\n"));
        // The next dialog starts where this file went.
        QCOMPARE(QString::fromStdString(f.window->settings().dataFolder), QString::fromStdString(other));

        f.chosenFile = QString::fromStdString(other + "power.txt");
        f.window->settings().scanParameters.bncEnable = 0;
        f.find<QPushButton>("ButtonOutPowSyncFile")->click();
        QCOMPARE(QString::fromStdString(readWholeFile(other + "power.txt")).section('\n', 0, 0),
                 QString("0\t-10.00\t-3.50\t0.7500"));
        f.window->settings().scanParameters.bncEnable = 1;
        f.find<QPushButton>("ButtonOutPowSyncFile")->click();
        QCOMPARE(QString::fromStdString(readWholeFile(other + "power.txt")).section('\n', 0, 0),
                 QString("0\t-10.00\t-3.50\t10.7500"));
        QVERIFY(f.dialogs.empty());
    }

    void aFileThatCannotBeWrittenIsSaid()
    {
        WindowFixture f;
        fillSelectedTrace(*f.window);
        f.window->enableControls(true);
        f.find<QRadioButton>("ExternalSyncOn")->setChecked(true);
        const std::string before = f.window->settings().dataFolder;
        f.chosenFile = QString::fromStdString(f.program.str() + "/no such folder/wavelength.txt");
        f.find<QPushButton>("Button6")->click();
        QCOMPARE(f.dialogs.size(), std::size_t{1});
        QCOMPARE(f.dialogs[0].severity, 2);
        QVERIFY(f.dialogs[0].text.startsWith("Can't save the file"));
        QCOMPARE(f.window->settings().dataFolder, before);
    }

    void cancelledDialogWritesNothingButMakesTheDataFolder()
    {
        WindowFixture f;
        const std::string dataFolder = f.window->settings().dataFolder;
        std::filesystem::remove_all(dataFolder);
        f.chosenFile.clear();
        f.window->enableControls(true);
        f.find<QRadioButton>("ExternalSyncOn")->setChecked(true);
        f.find<QPushButton>("Button6")->click();
        QVERIFY(std::filesystem::is_directory(dataFolder));
        QVERIFY(std::filesystem::is_empty(dataFolder));
        QVERIFY(f.dialogs.empty());
    }

    void factoryChartsSaveAsPngPictures()
    {
        WindowFixture f({"QZRT"});
        const std::string folder = f.program.str() + "/pictures/";
        std::filesystem::create_directories(folder);
        for (const char* button : {"Button1", "Button2", "Button3"}) {
            const std::string path = folder + button + ".png";
            f.chosenFile = QString::fromStdString(path);
            auto* save = f.find<QPushButton>(button);
            QVERIFY2(save != nullptr, button);
            QCOMPARE(save->text(), QString("Save"));
            save->click();
            QImage picture;
            QVERIFY2(picture.load(QString::fromStdString(path), "PNG"), button);
            QVERIFY(picture.width() > 100 && picture.height() > 100);
        }
        QCOMPARE(QString::fromStdString(f.window->settings().dataFolder), QString::fromStdString(folder));
        QVERIFY(f.dialogs.empty());
    }
};

QTEST_MAIN(WindowExportsTest)
#include "WindowExportsTest.moc"
