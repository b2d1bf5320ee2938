// The passband page and vemar-cli agree: scans of the simulated DWDM
// multiplexer, saved by vemar-cli, shown on the page as a continuous
// measurement shows them, give the rows, figures and alarms that
// `vemar-cli analyse` prints for the same files.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <map>
#include <optional>
#include <utility>

#include "Applicationconfig.h"
#include "ConfigurationFile.h"
#include "FigureFormat.h"
#include "Passband_model.h"
#include "Passband_panel.h"
#include "ScanFile.h"
#include "Scanmanager.h"
#include "Table.h"
#include "TempDir.h"

namespace {

// Runs vemar-cli with its settings and documents in folder; its stdout, or
// nothing when it failed.
std::optional<QByteArray> runCli(const TempDir& folder, const QStringList& arguments)
{
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(folder.str()));
    environment.insert(QStringLiteral("XDG_DOCUMENTS_DIR"), QString::fromStdString(folder.file("documents")));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(VEMAR_CLI_PROGRAM), arguments);
    if (!cli.waitForFinished(120000) || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0) {
        qWarning("vemar-cli %s: %s", qPrintable(arguments.join(' ')), cli.readAllStandardError().constData());
        return std::nullopt;
    }
    return cli.readAllStandardOutput();
}

// Decimals of the table's columns 1 ... 9 on a frequency grid.
constexpr int decimals[10] = {0, 3, 1, 1, 1, 1, 2, 2, 2, 2};

QString figureText(const QJsonValue& value, int column)
{
    if (value.isNull()) return QStringLiteral("--");
    return QString::fromStdString(formatFigure(static_cast<float>(value.toDouble()), decimals[column]));
}

}  // namespace

class CliAgreementTest : public QObject {
    Q_OBJECT

private slots:
    void pageShowsWhatTheCommandLineToolPrints()
    {
        TempDir folder;
        const QString base = QString::fromStdString(folder.file("dwdm"));
        QVERIFY(runCli(folder, {"--simulate", "--seed", "1", "--sim-time-scale", "0.01", "--config",
                                VEMAR_DEMO_CONFIG, "scan", "--continuous", "3", "--out", base}));
        const QStringList scans = {base + "_1.scan.xml", base + "_2.scan.xml", base + "_3.scan.xml"};
        const std::optional<QByteArray> json = runCli(folder, QStringList{"--json", "analyse"} + scans);
        const std::optional<QByteArray> table = runCli(folder, QStringList{"analyse"} + scans);
        QVERIFY(json && table);

        // The page as a continuous measurement of these three scans leaves it.
        TempDir documents;
        ApplicationConfig settings(documents.str());
        ScanManager store(nullptr, nullptr, nullptr);
        TPassBandFrame page(settings, store);
        page.useContinuousRenderer();
        page.lockParameters();
        page.clearResults();
        for (const QString& scan : scans) {
            QCOMPARE(loadFromChartPage(scan.toStdString(), store, settings, ConfigurationSections{}, nullptr), 0);
            page.analyse();
        }
        page.unlockParameters();

        // The printed rows, by (channel, trace).
        std::map<std::pair<int, QString>, QJsonObject> printed;
        const QJsonObject document = QJsonDocument::fromJson(*json).object();
        for (const QJsonValue trace : document.value("traces").toArray())
            for (const QJsonValue channel : trace.toObject().value("channels").toArray())
                printed[{channel.toObject().value("channel").toInt(), trace.toObject().value("name").toString()}] =
                    channel.toObject();
        // The text table: channel, trace, then min, current, max of the central frequency.
        std::map<std::pair<int, QString>, QStringList> centralTexts;
        for (const QByteArray& line : table->split('\n')) {
            const QStringList fields = QString::fromUtf8(line).split(',');
            bool number = false;
            const int channel = fields.value(0).toInt(&number);
            if (number && fields.size() > 4) centralTexts[{channel, fields[1]}] = fields.mid(2, 3);
        }

        const Passband_Model& model = page.model();
        QVERIFY(model.rowCount() > 30);
        QCOMPARE(static_cast<std::size_t>(model.rowCount()), printed.size());
        QCOMPARE(centralTexts.size(), printed.size());
        const char* records[3] = {"min", "current", "max"};
        int alarms = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            const Line* line = model.values().line(row);
            const std::pair<int, QString> key{line->channel(), QString::fromStdString(line->traceName())};
            QVERIFY2(printed.count(key) == 1, qPrintable(QString("row %1").arg(row)));
            const QJsonObject& channel = printed[key];
            // What the table shows of the row: titles, then its min, latest and max lines.
            const QStringList shown = page.table()->rowsText({row}).split('\n');
            QCOMPARE(shown.size(), 5);
            for (int which = 0; which < 3; ++which) {
                const QStringList fields = shown[1 + which].split('\t');
                QCOMPARE(fields.size(), 10);
                const QJsonArray values = channel.value(records[which]).toArray();
                const QJsonArray flags = channel.value("alarm").toObject().value(records[which]).toArray();
                for (int column = 1; column < 10; ++column) {
                    const CellValues& cell = line->cell(column);
                    QCOMPARE(fields[column], figureText(values.at(column - 1), column));
                    QCOMPARE(cell.alarms[static_cast<std::size_t>(which)], flags.at(column - 1).toBool());
                    alarms += cell.alarms[static_cast<std::size_t>(which)];
                }
                QCOMPARE(QString::fromStdString(line->cell(1).texts[static_cast<std::size_t>(which)]),
                         centralTexts[key].at(which));
            }
        }
        // The device fails its non-adjacent isolation limit.
        QVERIFY(alarms > 0);
    }
};

QTEST_MAIN(CliAgreementTest)
#include "CliAgreementTest.moc"
