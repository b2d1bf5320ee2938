// The parameter panel of the passband page: its edit boxes and grid
// selector bound to the engine's properties, the locking during a
// measurement, the labels and bounds that follow the grid, the alarm rows'
// cross-limits, and how many analyses a change or a load costs.

#include <tinyxml.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "Doubleedit.h"
#include "GridLabels.h"
#include "Grid.h"
#include "PageFixture.h"
#include "Passband.h"
#include "Passband_alarm.h"
#include "Passband_bandwidthalarm.h"
#include "Passband_model.h"
#include "Passband_panel.h"
#include "Passband_parameters.h"
#include "Applicationconfig.h"
#include "TempDir.h"

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

// The user picks the entry at index in the grid selector.
void chooseGrid(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Types text into an edit box and presses Enter.
void typeInto(TDoubleEdit* edit, const QString& text)
{
    QLineEdit* box = edit->editBox();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

}  // namespace

class PassbandParametersTest : public QObject {
    Q_OBJECT

private:
    struct Page {
        Page() : settings(documents.str()), page(settings, trace)
        {
            trace.add(dwdmCurve("Detector 1", {ituChannelNm(26), ituChannelNm(27)}));
            page.resize(1010, 640);
        }
        TPassBandParameters& panel() { return *page.parameters(); }
        Passband& engine() { return page.passband(); }

        TempDir documents;
        ApplicationConfig settings;
        CountingTrace trace;
        TPassBandFrame page;
    };

private slots:
    void groupCaptionsAndGridChoices()
    {
        Page p;
        QStringList captions;
        for (const QGroupBox* group : p.panel().findChildren<QGroupBox*>()) captions << group->title();
        QCOMPARE(captions, (QStringList{"Channel detection threshold", "Grid", "Passband relative to the grid",
                                        "Bandwidths computed  at", "Load/Save Table", "Alarms setting"}));
        QComboBox* combo = p.panel().gridCombo();
        QStringList grids;
        for (int i = 0; i < combo->count(); ++i) grids << combo->itemText(i);
        QCOMPARE(grids, (QStringList{"ITU-T 100GHz", "ITU-T 50GHz", "ITU-T 25GHz", "ITU-T 12.5GHz", "CWDM"}));
        QCOMPARE(combo->currentIndex(), 0);

        // Bounds, increments and decimals of the left column's edit boxes.
        const struct {
            TDoubleEdit* edit;
            double min, max, increment;
            QString shown;
        } edits[] = {
            {p.panel().thresholdEdit(), -80.0, 20.0, 0.1, "-30.0"},
            {p.panel().owrEdit(), 0.0, 50.0, 0.5, "10.0"},
            {p.panel().bandwidthEdit(1), -70.0, 0.0, 0.5, "-1.0"},
            {p.panel().bandwidthEdit(2), -70.0, 0.0, 0.5, "-3.0"},
            {p.panel().bandwidthEdit(3), -70.0, 0.0, 0.5, "-20.0"},
            {p.panel().centrationRow()->edit(), 0.0, 100.0, 0.5, "20.0"},
            {p.panel().insertionLossRow()->edit(), -80.0, 80.0, 0.1, "5.0"},
            {p.panel().rippleRow()->edit(), 0.0, 80.0, 0.1, "0.5"},
            {p.panel().adjacentRow()->edit(), 0.0, 80.0, 0.1, "40.0"},
            {p.panel().nonAdjacentRow()->edit(), 0.0, 80.0, 0.1, "50.0"},
        };
        for (const auto& e : edits) {
            QCOMPARE(e.edit->GetMin(), e.min);
            QCOMPARE(e.edit->GetMax(), e.max);
            QCOMPARE(e.edit->GetIncrement(), e.increment);
            QCOMPARE(e.edit->GetPrecision(), 1);
            QCOMPARE(e.edit->editBox()->text(), e.shown);
        }
        QCOMPARE(p.panel().centrationRow()->size().height(), 45);
        QCOMPARE(p.panel().centrationRow()->edit()->size(), QSize(60, 25));
        QCOMPARE(p.panel().bandwidthRow(1)->maxEdit()->size(), QSize(60, 25));
    }

    void lockingGreysOutEveryEditAndTheGridSelector()
    {
        Page p;
        const QList<TDoubleEdit*> edits = p.panel().findChildren<TDoubleEdit*>();
        QCOMPARE(edits.size(), 16);  // threshold, passband, 3 levels, 11 limits
        p.page.lockParameters();
        for (const TDoubleEdit* edit : edits) QVERIFY2(!edit->isEnabled(), qPrintable(edit->objectName()));
        QVERIFY(!p.panel().gridCombo()->isEnabled());
        QVERIFY(!p.panel().loadButton()->isEnabled());
        QVERIFY(p.panel().saveButton()->isEnabled());

        // A disabled box takes no typing, and a change it reports anyway is refused.
        typeInto(p.panel().thresholdEdit(), "-45");
        QCOMPARE(p.engine().threshold.value(), -30.0f);
        p.panel().rippleRow()->edit()->SetValue(7.0);
        QCOMPARE(p.engine().alarms.ripple.value(), 0.5f);
        chooseGrid(p.panel().gridCombo(), 4);
        QCOMPARE(p.engine().grid.gridType.value(), GridType::Itu100GHz);
        // A configuration load leaves locked values alone.
        TiXmlElement section("Passband");
        auto* configuration = new TiXmlElement("Configuration");
        configuration->SetAttribute("Threshold", "-44.000000");
        section.LinkEndChild(configuration);
        p.page.loadConfiguration(&section);
        QCOMPARE(p.engine().threshold.value(), -30.0f);
        QCOMPARE(p.panel().thresholdEdit()->editBox()->text(), QString("-30.0"));

        p.page.unlockParameters();
        for (const TDoubleEdit* edit : edits) QVERIFY2(edit->isEnabled(), qPrintable(edit->objectName()));
        QVERIFY(p.panel().gridCombo()->isEnabled());
        QVERIFY(p.panel().loadButton()->isEnabled());
    }

    void gridChangeUpdatesLabelsBoundsAndUnits_data()
    {
        QTest::addColumn<int>("grid");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("spacing");
        QTest::addColumn<QString>("subdivision");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("widestPassband");
        QTest::addColumn<QString>("centralTitle");
        QTest::newRow("ITU-T 100GHz") << 0 << "195.900(THz)" << "100(GHz)" << "115" << "(GHz)" << 50.0
                                      << "Central frequency (THz)";
        QTest::newRow("ITU-T 50GHz") << 1 << "195.900(THz)" << "50(GHz)" << "229" << "(GHz)" << 25.0
                                     << "Central frequency (THz)";
        QTest::newRow("ITU-T 25GHz") << 2 << "195.925(THz)" << "25(GHz)" << "458" << "(GHz)" << 12.5
                                     << "Central frequency (THz)";
        QTest::newRow("ITU-T 12.5GHz") << 3 << "195.9375(THz)" << "12.5(GHz)" << "917" << "(GHz)" << 6.25
                                       << "Central frequency (THz)";
        QTest::newRow("CWDM") << 4 << "1271(nm)" << "20(nm)" << "18" << "(nm)" << 10.0 << "Central wavelength (nm)";
    }
    void gridChangeUpdatesLabelsBoundsAndUnits()
    {
        QFETCH(int, grid);
        QFETCH(QString, start);
        QFETCH(QString, spacing);
        QFETCH(QString, subdivision);
        QFETCH(QString, unit);
        QFETCH(double, widestPassband);
        QFETCH(QString, centralTitle);
        Page p;
        TPassBandParameters& panel = p.panel();
        chooseGrid(panel.gridCombo(), grid);
        QCOMPARE(static_cast<int>(p.engine().grid.gridType.value()), grid);
        QCOMPARE(panel.startValue()->text(), start);
        QCOMPARE(panel.spacingValue()->text(), spacing);
        QCOMPARE(panel.subdivisionValue()->text(), subdivision);
        QCOMPARE(panel.passbandUnit()->text(), unit);
        QCOMPARE(panel.owrEdit()->GetMax(), widestPassband);
        QCOMPARE(panel.centrationRow()->edit()->GetMax(), 2.0 * widestPassband);
        QCOMPARE(panel.centrationRow()->unitLabel()->text(), unit);
        for (int k = 1; k <= 3; ++k) {
            QCOMPARE(panel.bandwidthRow(k)->maxEdit()->GetMax(), 4.0 * widestPassband);
            QCOMPARE(panel.bandwidthRow(k)->minUnitLabel()->text(), unit);
            QCOMPARE(panel.bandwidthRow(k)->maxUnitLabel()->text(), unit);
        }
        // The table's titles follow too (the nm grid names nm, the others GHz).
        const QString tableUnit = grid == 4 ? "(nm)" : "(GHz)";
        QCOMPARE(text(p.page.model().title(1).text()), centralTitle);
        QCOMPARE(text(p.page.model().title(2).text()), "Channel center accuracy " + tableUnit);
        QCOMPARE(text(p.page.model().title(3).text()), "-1.0dB Bandwidth " + tableUnit);
    }

    void cwdmHoldsTheLimitsInsideTheNewBounds()
    {
        // The passband 10, accuracy 20 and maxima 200 of the 100 GHz grid
        // meet CWDM's 10, 20 and 40: only the maxima have to come down.
        Page p;
        chooseGrid(p.panel().gridCombo(), 4);
        QCOMPARE(p.engine().owr.value(), 10.0f);
        QCOMPARE(p.engine().alarms.ChannelCentration.value(), 20.0f);
        QCOMPARE(p.engine().alarms.maxBandwidth1.value(), 40.0f);
        QCOMPARE(p.panel().bandwidthRow(1)->maxEdit()->editBox()->text(), QString("40.0"));
        // A passband wider than the finest grid allows comes down with it,
        // to the largest value of one decimal inside half the spacing.
        chooseGrid(p.panel().gridCombo(), 3);
        QCOMPARE(p.engine().owr.value(), 6.2f);
        QCOMPARE(p.panel().owrEdit()->editBox()->text(), QString("6.2"));
        QCOMPARE(p.engine().alarms.ChannelCentration.value(), 12.5f);
    }

    void gridLabelTexts()
    {
        const struct {
            double value;
            int minDecimals, maxDecimals;
            const char* text;
        } table[] = {
            {195.9, 3, 4, "195.900"}, {195.925, 3, 4, "195.925"}, {195.9375, 3, 4, "195.9375"},
            {1271.0, 0, 3, "1271"},   {1271.5, 0, 3, "1271.5"},   {0.0, 0, 3, "0"},
        };
        for (const auto& c : table)
            QCOMPARE(text(GridLabels::formatDecimals(c.value, c.minDecimals, c.maxDecimals)), QString(c.text));
        QCOMPARE(text(GridLabels::plainNumber(12.5f)), QString("12.5"));
        QCOMPARE(text(GridLabels::plainNumber(1000000.0f)), QString("1000000"));
        QCOMPARE(text(GridLabels::bandwidthLevelText(-1.0f)), QString("< -1.0 dB bandwidth < "));
    }

    void bandwidthRowsLimitEachOther()
    {
        Page p;
        Passband_BandwidthAlarm* row = p.panel().bandwidthRow(2);
        QCOMPARE(row->centreLabel()->text(), QString("< -3.0 dB bandwidth < "));
        QCOMPARE(row->minEdit()->GetMax(), 200.0);
        QCOMPARE(row->maxEdit()->GetMin(), 1.0);

        typeInto(row->minEdit(), "3");
        QCOMPARE(p.engine().alarms.minBandwidth2.value(), 3.0f);
        QCOMPARE(row->maxEdit()->GetMin(), 3.0);
        typeInto(row->maxEdit(), "150");
        QCOMPARE(p.engine().alarms.maxBandwidth2.value(), 150.0f);
        QCOMPARE(row->minEdit()->GetMax(), 150.0);
        // The other rows keep their own limits.
        QCOMPARE(p.panel().bandwidthRow(1)->minEdit()->GetMax(), 200.0);

        // A maximum below the minimum is held at the minimum by its box.
        typeInto(row->maxEdit(), "2");
        QCOMPARE(p.engine().alarms.maxBandwidth2.value(), 3.0f);

        p.engine().bandwidth2.setValue(-6.0f);
        QCOMPARE(row->centreLabel()->text(), QString("< -6.0 dB bandwidth < "));
    }

    void aGridWithoutChoiceShowsTheFirstEntry()
    {
        Page p;
        chooseGrid(p.panel().gridCombo(), 2);
        p.engine().grid.gridType.setValue(static_cast<GridType>(7));
        QCOMPARE(p.panel().gridCombo()->currentIndex(), 0);
        QCOMPARE(static_cast<int>(p.engine().grid.gridType.value()), 7);
        // Labels stay as they were: there is no grid to show.
        QCOMPARE(p.panel().spacingValue()->text(), QString("25(GHz)"));
        chooseGrid(p.panel().gridCombo(), 0);
        QCOMPARE(p.engine().grid.gridType.value(), GridType::Itu100GHz);
    }

    void typedParameterAnalysesOnce()
    {
        Page p;
        p.page.updateCurves();
        QCOMPARE(p.page.model().rowCount(), 2);
        p.trace.analyses = 0;
        typeInto(p.panel().thresholdEdit(), "-1.5");
        QCOMPARE(p.engine().threshold.value(), -1.5f);
        QCOMPARE(p.trace.analyses, 1);
        // Peaks at -2 dB lie below the new threshold.
        QCOMPARE(p.page.model().rowCount(), 0);
        // Leaving the box applies the same value again: nothing happens.
        p.panel().owrEdit()->editBox()->setFocus();
        QCOMPARE(p.trace.analyses, 1);
    }

    void shownValuesDoNotReplaceTheProperty()
    {
        // The box shows one decimal and holds its bounds; the property keeps
        // what was set, and setting it costs exactly one analysis.
        Page p;
        p.trace.analyses = 0;
        p.engine().bandwidth1.setValue(-1.25f);
        QCOMPARE(p.trace.analyses, 1);
        QCOMPARE(p.engine().bandwidth1.value(), -1.25f);
        QCOMPARE(p.panel().bandwidthEdit(1)->editBox()->text(), QString("-1.2"));
    }

    void loadAnalysesOncePerAcceptedChangeThenOnceMore()
    {
        Page p;
        const auto load = [&p](const char* threshold, const char* bandwidth1) {
            TiXmlElement section("Passband");
            auto* configuration = new TiXmlElement("Configuration");
            configuration->SetAttribute("Threshold", threshold);
            configuration->SetAttribute("Grid", "0");
            configuration->SetAttribute("Bandwidth1", bandwidth1);
            configuration->SetAttribute("Bandwidth2", "-3.000000");
            configuration->SetAttribute("Bandwidth3", "-20.000000");
            configuration->SetAttribute("OWR", "10.000000");
            section.LinkEndChild(configuration);
            p.trace.analyses = 0;
            p.page.loadConfiguration(&section);
        };
        load("-30.000000", "-1.000000");
        QCOMPARE(p.trace.analyses, 1);
        load("-35.000000", "-0.500000");
        QCOMPARE(p.trace.analyses, 3);
        QCOMPARE(p.panel().thresholdEdit()->editBox()->text(), QString("-35.0"));
        QCOMPARE(p.panel().bandwidthEdit(1)->editBox()->text(), QString("-0.5"));
        QCOMPARE(p.engine().threshold.value(), -35.0f);
    }
};

QTEST_MAIN(PassbandParametersTest)
#include "PassbandParametersTest.moc"
