// The passband page as the main window drives it: the switch between panel
// and table, the renderers of the two measurement modes, the rows of
// channels no longer detected, alarm colours, the result files behind
// "save" and "load", and the copy of the table.

#include <tinyxml.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include "Applicationconfig.h"
#include "DoubleEditable.h"
#include "Doubleedit.h"
#include "ConfigurationFile.h"
#include "FileUtil.h"
#include "PageFixture.h"
#include "Passband.h"
#include "Passband_alarm.h"
#include "Passband_model.h"
#include "Passband_panel.h"
#include "Passband_parameters.h"
#include "Table.h"
#include "TempDir.h"

namespace {

// Channels 26, 27 and 28 of the 100 GHz grid on one detector, 27 on another.
struct Page {
    Page() : settings(documents.str()), page(settings, trace)
    {
        trace.add(dwdmCurve("Detector 1", {ituChannelNm(26), ituChannelNm(27), ituChannelNm(28)}));
        trace.add(dwdmCurve("Detector 2", {ituChannelNm(27)}, -3.0));
        page.resize(1010, 640);
    }
    // Shows the table and waits until it is drawn.
    void showTable()
    {
        page.show();
        if (!page.tableShown()) page.selectPanel()->click();
        QApplication::processEvents();
    }
    QImage grid()
    {
        QApplication::processEvents();
        return page.table()->grid()->viewport()->grab().toImage();
    }
    QRect cellRect(int row, int column) const
    {
        QTableView* view = page.table()->grid();
        return view->visualRect(view->model()->index(row, column));
    }
    const Line* line(int row) const { return page.model().values().line(row); }
    std::string text(int row, int column, int which = CellValues::Current) const
    {
        return line(row)->cell(column).texts[static_cast<std::size_t>(which)];
    }

    TempDir documents;
    ApplicationConfig settings;
    CountingTrace trace;
    TPassBandFrame page;
};

constexpr int rippleColumn = 7;

// Types the file's path into a file dialog, as the user would.
void chooseFile(QFileDialog* dialog, const std::string& path)
{
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name != nullptr);
    name->setText(QString::fromStdString(path));
}

}  // namespace

class PassbandPageTest : public QObject {
    Q_OBJECT

private slots:
    void pageOpensOnTheParametersAndTheButtonSwitches()
    {
        Page p;
        p.page.show();
        QApplication::processEvents();
        QPushButton* button = p.page.selectPanel();
        QCOMPARE(button->objectName(), QString("selectPanel"));
        QCOMPARE(button->text(), QString("Table"));
        QVERIFY(button->font().bold());
        QCOMPARE(button->size(), QSize(145, 33));
        QCOMPARE(p.page.buttonPanel()->height(), 50);
        QVERIFY(!p.page.tableShown());
        QVERIFY(p.page.parameters()->isVisible());

        button->click();
        QVERIFY(p.page.tableShown());
        QVERIFY(!p.page.parameters()->isVisible());
        QCOMPARE(button->text(), QString("Parameters"));
        button->click();
        QVERIFY(!p.page.tableShown());
        QCOMPARE(button->text(), QString("Table"));

        for (const int width : {1010, 640}) {
            p.page.resize(width, 640);
            QApplication::processEvents();
            const int centre = button->mapTo(p.page.buttonPanel(), button->rect().center()).x();
            QVERIFY(std::abs(centre - p.page.buttonPanel()->width() / 2) <= 1);
        }
    }

    void analysisFillsTheTableWithTitlesAndRows()
    {
        Page p;
        p.showTable();
        // No results yet: the title row and one empty row.
        QCOMPARE(p.page.table()->gridRowCount(), 2);
        p.page.analyse();
        QCOMPARE(p.trace.analyses, 1);
        QCOMPARE(p.page.model().rowCount(), 4);
        QCOMPARE(p.page.table()->gridRowCount(), 5);
        QCOMPARE(p.text(0, 0), std::string("26 (Detector 1)"));
        QCOMPARE(p.text(1, 0), std::string("27 (Detector 1)"));
        QCOMPARE(p.text(2, 0), std::string("27 (Detector 2)"));
        QCOMPARE(p.text(3, 0), std::string("28 (Detector 1)"));
        QCOMPARE(p.page.table()->gridRowHeight(0), 100);
        QCOMPARE(p.page.table()->gridRowHeight(1), 25);
        QCOMPARE(p.page.table()->grid()->horizontalHeader()->height(), 100);
    }

    void rendererSwitchChangesRowHeightsWithoutRebuilding()
    {
        Page p;
        p.showTable();
        p.page.analyse();
        const Line* first = p.line(0);
        const int analyses = p.trace.analyses;
        p.page.useContinuousRenderer();
        QCOMPARE(p.page.table()->gridRowHeight(0), 100);
        for (int r = 1; r <= 4; ++r) QCOMPARE(p.page.table()->gridRowHeight(r), 80);
        QCOMPARE(p.line(0), first);
        QCOMPARE(p.trace.analyses, analyses);
        p.page.useSingleRenderer();
        for (int r = 1; r <= 4; ++r) QCOMPARE(p.page.table()->gridRowHeight(r), 25);
        QCOMPARE(p.line(0), first);
    }

    void measurementAsTheWindowRunsIt()
    {
        Page p;
        p.page.analyse();
        p.page.setContinuous(true);
        p.page.measurementStarts();
        QCOMPARE(p.page.model().rowCount(), 0);
        QVERIFY(!p.page.parameters()->thresholdEdit()->isEnabled());
        QVERIFY(p.page.passband().alarms.noAdjacent.locked());
        for (int scan = 0; scan < 2; ++scan) p.page.analyse();
        QCOMPARE(p.page.model().rowCount(), 4);
        QCOMPARE(p.page.table()->gridRowHeight(1), 80);
        p.page.measurementStops();
        QVERIFY(p.page.parameters()->thresholdEdit()->isEnabled());
        QVERIFY(!p.page.passband().alarms.noAdjacent.locked());
        p.page.setContinuous(false);
        QCOMPARE(p.page.table()->gridRowHeight(1), 25);

        // The configuration file's Passband section goes through the page.
        TiXmlElement section("Passband");
        p.page.passband().threshold.setValue(-41.0f);
        p.page.configurationSection().writeSection(section);
        p.page.passband().threshold.setValue(-30.0f);
        p.trace.analyses = 0;
        p.page.configurationSection().readSection(&section);
        QCOMPARE(p.page.passband().threshold.value(), -41.0f);
        QCOMPARE(p.page.parameters()->thresholdEdit()->editBox()->text(), QString("-41.0"));
        QCOMPARE(p.trace.analyses, 2);
    }

    void channelNoLongerDetectedShowsDashes()
    {
        Page p;
        p.showTable();
        p.page.analyse();
        // Channel 28 goes dark in the next scan.
        p.trace.curves[0] = dwdmCurve("Detector 1", {ituChannelNm(26), ituChannelNm(27)});
        p.page.analyse();
        QCOMPARE(p.page.model().rowCount(), 4);
        QCOMPARE(p.text(3, 0), std::string("28 (Detector 1)"));
        for (int c = 1; c < 10; ++c) {
            QCOMPARE(p.text(3, c), std::string("--"));
            QVERIFY(!p.line(3)->cell(c).alarms[CellValues::Current]);
        }
        // Its minimum and maximum stay.
        QCOMPARE(p.text(3, 1, CellValues::Min), std::string("193.200"));
        const QString shown = p.page.table()->rowsText({3});
        QCOMPARE(shown.split('\n').at(1), QString("28 (Detector 1)\t--\t--\t--\t--\t--\t--\t--\t--\t--"));
        const QImage image = p.grid();
        QCOMPARE(redPixels(image, p.cellRect(3, 0).united(p.cellRect(3, 9))), 0);
    }

    void alarmLimitChangeRecoloursWithoutRecomputing()
    {
        Page p;
        p.showTable();
        p.page.analyse();
        QCOMPARE(redPixels(p.grid(), p.cellRect(0, rippleColumn)), 0);
        const Line* first = p.line(0);
        const int analyses = p.trace.analyses;

        p.page.parameters()->rippleRow()->edit()->SetValue(0.0);
        QCOMPARE(p.page.passband().alarms.ripple.value(), 0.0f);
        QCOMPARE(p.trace.analyses, analyses);
        QCOMPARE(p.line(0), first);
        QVERIFY(p.line(0)->cell(rippleColumn).alarms[CellValues::Current]);
        const QImage image = p.grid();
        for (int row = 0; row < 4; ++row) QVERIFY(redPixels(image, p.cellRect(row, rippleColumn)) > 5);
        // The other figures keep their colours.
        QCOMPARE(redPixels(image, p.cellRect(0, 5)), 0);
    }

    void parameterChangeReanalysesTheCurrentTraceOnce()
    {
        Page p;
        p.page.analyse();
        const std::string before = p.text(0, 3);
        p.trace.analyses = 0;
        p.page.parameters()->bandwidthEdit(1)->SetValue(-3.0);
        QCOMPARE(p.trace.analyses, 1);
        QCOMPARE(p.page.model().title(3).text(), std::string("-3.0dB Bandwidth (GHz)"));
        // The -1 dB width gave way to the -3 dB one: the column of level 1
        // now reads what the column of level 2 reads.
        QVERIFY(p.text(0, 3) != before);
        QCOMPARE(p.text(0, 3), p.text(0, 4));
    }

    void updateCurvesStartsAfreshAndAnalyseAccumulates()
    {
        Page p;
        p.page.analyse();
        p.trace.curves[0] = dwdmCurve("Detector 1", {ituChannelNm(26) + 0.01});
        p.page.analyse();
        QVERIFY(p.text(0, 1, CellValues::Min) != p.text(0, 1, CellValues::Max));
        p.page.updateCurves();
        QCOMPARE(p.page.model().rowCount(), 2);
        QCOMPARE(p.text(0, 1, CellValues::Min), p.text(0, 1, CellValues::Max));
        p.page.clearResults();
        QCOMPARE(p.page.model().rowCount(), 0);
        QCOMPARE(p.page.table()->gridRowCount(), 2);
    }

    void copyOfTheTableFollowsTheMode()
    {
        Page p;
        p.showTable();
        QVERIFY(QTest::qWaitForWindowExposed(&p.page));
        p.page.analyse();
        QTableView* grid = p.page.table()->grid();
        grid->setFocus();
        grid->selectRow(2);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QStringList lines = QGuiApplication::clipboard()->text().split('\n');
        QCOMPARE(lines.size(), 3);  // titles, the row, and the end of the last line
        QCOMPARE(lines[0].split('\t').size(), 10);
        QCOMPARE(lines[0].split('\t').at(1), QString("Central frequency (THz)"));
        QCOMPARE(lines[1].split('\t').at(0), QString("27 (Detector 2)"));
        QCOMPARE(lines[1].split('\t').at(1), QString::fromStdString(p.text(2, 1)));

        p.page.useContinuousRenderer();
        grid->selectRow(2);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        lines = QGuiApplication::clipboard()->text().split('\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[1].split('\t').at(0), QString("27 (min)"));
        QCOMPARE(lines[2].split('\t').at(0), QString("27 (Detector 2)"));
        QCOMPARE(lines[3].split('\t').at(0), QString("27 (max)"));
    }

    void resultFilesRoundTripThroughSaveAndLoad()
    {
        Page p;
        p.page.analyse();
        const QString xml = QString::fromStdString(p.documents.file("r.passband.xml"));
        const QString txt = QString::fromStdString(p.documents.file("r.txt"));
        QVERIFY(p.page.parameters()->saveResults(xml, true));
        QVERIFY(p.page.parameters()->saveResults(txt, false));
        QVERIFY(readWholeFile(txt.toStdString()).rfind("Threshold -30.0 dB\n", 0) == 0);
        QVERIFY(readWholeFile(xml.toStdString()).find("<Passband>") != std::string::npos);

        const std::string label = p.text(3, 0);
        p.page.clearResults();
        QCOMPARE(p.page.model().rowCount(), 0);
        QVERIFY(p.page.parameters()->loadResults(xml));
        QCOMPARE(p.page.model().rowCount(), 4);
        QCOMPARE(p.text(3, 0), label);
    }

    void unreadableResultFileSaysSoAndKeepsTheResults()
    {
        Page p;
        p.page.analyse();
        const std::string bad = p.documents.file("bad.passband.xml");
        writeWholeFile(bad, "<Passband><traces size=\"1\"");
        QString message;
        whenModalShows([&message](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return;
            message = box->text();
            box->accept();
        });
        QVERIFY(!p.page.parameters()->loadResults(QString::fromStdString(bad)));
        QCOMPARE(message, QString("Can't open the file. The format is invalid."));
        QCOMPARE(p.page.model().rowCount(), 4);
    }

    void saveDialogOpensInTheDataFolderAndMovesIt()
    {
        Page p;
        p.page.analyse();
        // The data folder is created when it is missing.
        std::filesystem::remove_all(p.settings.dataFolder);
        const std::string elsewhere = p.documents.file("elsewhere");
        std::filesystem::create_directory(elsewhere);
        QString opened;
        whenModalShows([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog != nullptr);
            opened = dialog->directory().absolutePath();
            dialog->selectNameFilter(TPassBandParameters::saveFilters.at(1));
            chooseFile(dialog, elsewhere + "/results.txt");
            QMetaObject::invokeMethod(dialog, &QDialog::accept);
        });
        const std::string dataFolder = p.settings.dataFolder;
        p.page.parameters()->saveClick();
        QCOMPARE(opened + "/", QString::fromStdString(dataFolder));
        QVERIFY(std::filesystem::is_directory(dataFolder));
        QVERIFY(readWholeFile(elsewhere + "/results.txt").rfind("Threshold", 0) == 0);
        QCOMPARE(QString::fromStdString(p.settings.dataFolder),
                 QFileInfo(QString::fromStdString(elsewhere)).absoluteFilePath() + "/");

        // Loading opens there too and leaves the folder as it is.
        QVERIFY(p.page.parameters()->saveResults(QString::fromStdString(elsewhere + "/r.passband.xml"), true));
        p.page.clearResults();
        whenModalShows([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog != nullptr);
            opened = dialog->directory().absolutePath();
            chooseFile(dialog, elsewhere + "/r.passband.xml");
            QMetaObject::invokeMethod(dialog, &QDialog::accept);
        });
        p.page.parameters()->loadClick();
        QCOMPARE(opened + "/", QString::fromStdString(p.settings.dataFolder));
        QCOMPARE(p.page.model().rowCount(), 4);
    }
};

QTEST_MAIN(PassbandPageTest)
#include "PassbandPageTest.moc"
