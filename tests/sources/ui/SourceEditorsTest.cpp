// The source panel as the main window uses it: the enable chain of the
// rows, the 5 nm rule with its hints, the fibre band limits, the type list
// rebuilding the driver, the command dialog, RefreshAll / ApplyAll on a
// source configuration, and the sources-changed handler. A GPIB library
// that counts its calls stands on the bus, so the tests also see that
// editing sends nothing to an instrument.

#include <dlfcn.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "C_agilent.h"
#include "C_device.h"
#include "C_santec.h"
#include "Componentsourceeditor.h"
#include "Doubleedit.h"
#include "DriverPause.h"
#include "GpibBinding.h"
#include "Gpibsourceeditor.h"
#include "Intedit.h"
#include "Panelhint.h"
#include "Panelsourceeditor.h"
#include "SourceTypes.h"
#include "Sourceconfig.h"

namespace {

// The counting library's controls (CountingGpib.cpp).
class Bus {
public:
    Bus()
    {
        // The same loaded image as the binding's: dlopen counts references.
        handle_ = ::dlopen(COUNTING_GPIB_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) throw std::runtime_error("cannot load " COUNTING_GPIB_PATH);
    }
    ~Bus() { ::dlclose(handle_); }
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    int calls(const char* entry) { return get<int (*)(const char*)>("counting_calls")(entry); }
    std::string writes() { return get<const char* (*)()>("counting_writes")(); }
    void reset() { get<void (*)()>("counting_reset")(); }
    // Commands, answers and status polls: what an instrument would see of
    // an operation (opening and closing a handle aside).
    int traffic() { return calls("ibwrt") + calls("ibrd") + calls("ibrsp"); }

private:
    template <typename F>
    F get(const char* name)
    {
        auto f = reinterpret_cast<F>(::dlsym(handle_, name));
        if (f == nullptr) throw std::runtime_error(name);
        return f;
    }
    void* handle_ = nullptr;
};

void typeInto(TNumericEdit* edit, const QString& text)
{
    QLineEdit* box = edit->editBox();
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

void selectType(TComponentSourceEditor* row, int code)
{
    const int index = row->typeList()->findData(code);
    QVERIFY(index >= 0);
    row->typeList()->setCurrentIndex(index);
}

void selectSpeed(TComponentSourceEditor* row, int speed)
{
    const int index = row->speedList()->findData(speed);
    QVERIFY(index >= 0);
    row->speedList()->setCurrentIndex(index);
}

// A panel on its own configuration, shown (offscreen), with a counter of
// the handler's runs.
struct Fixture {
    // `prepare` changes the records before the panel first shows them (and
    // gives them their drivers), as a configuration file would.
    explicit Fixture(std::array<bool, 4> enabled = {true, false, false, false},
                     const std::function<void(ConfLaser&)>& prepare = {})
    {
        for (std::size_t i = 0; i < 4; ++i) {
            SourceConfig& source = sources.sources[i];
            source.enable = enabled[i];
            source.address = 10 + static_cast<int>(i);
            source.lambdaMin = 1240.0;
            source.lambdaMax = 1680.0;
            source.speed = 20;
        }
        if (prepare) prepare(sources);
        panel = std::make_unique<TPanelSourceEditor>(nullptr, sources);
        panel->SetSourcesChangedHandler([this] { ++changes; });
        panel->resize(panel->sizeHint());
        panel->show();
    }
    TComponentSourceEditor* row(int i) const { return panel->row(i); }
    std::array<bool, 4> boxes() const
    {
        std::array<bool, 4> out{};
        for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = row(i)->enableBox()->isChecked();
        return out;
    }
    std::array<bool, 4> records() const
    {
        std::array<bool, 4> out{};
        for (std::size_t i = 0; i < 4; ++i) out[i] = sources.sources[i].enable;
        return out;
    }

    ConfLaser sources;
    std::unique_ptr<TPanelSourceEditor> panel;
    int changes = 0;
};

using Boxes = std::array<bool, 4>;

}  // namespace

class SourceEditorsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Gpib::setCandidateLibraries({COUNTING_GPIB_PATH});
        DriverPause::setPauseFunction([](int) {});
        bus_ = std::make_unique<Bus>();
    }
    void cleanupTestCase()
    {
        DriverPause::setPauseFunction({});
        Gpib::setCandidateLibraries({});
        bus_.reset();
    }
    void init() { bus_->reset(); }

    void listsHoldTheOfferedTypesAndSpeeds()
    {
        Fixture f;
        const QComboBox* types = f.row(0)->typeList();
        const QStringList texts{"VARNEL PLUS",       "VARNEL PURITY", "VARNEL REFERENCE", "VARNEL R720S(-HP)",
                                "VARNEL R720R",      "JDSU SWS",      "AGILENT",          "Other (IEEE 488.2)"};
        const QList<int> codes{0, 1, 2, 9, 10, 6, 5, 8};
        QCOMPARE(types->count(), texts.size());
        for (int i = 0; i < types->count(); ++i) {
            QCOMPARE(types->itemText(i), texts[i]);
            QCOMPARE(types->itemData(i).toInt(), codes[i]);
        }
        const QComboBox* speeds = f.row(0)->speedList();
        const QList<int> values{10, 11, 12, 13, 14, 15, 17, 18, 20, 22, 25, 29, 33, 40, 50, 67, 100};
        QCOMPARE(speeds->count(), values.size());
        for (int i = 0; i < speeds->count(); ++i) {
            QCOMPARE(speeds->itemText(i), QString::number(values[i]));
            QCOMPARE(speeds->itemData(i).toInt(), values[i]);
        }
        QCOMPARE(types->width(), 200);
        QCOMPARE(speeds->width(), 60);
        QStringList header;
        for (const QLabel* label : f.panel->headerLabels()) header << label->text();
        QCOMPARE(header, (QStringList{"TLS ", "Addr.", "Low wav.", "High wav.", "Source Type", "Speed"}));
    }

    void rowControlsStandTwentyEightPixelsApart()
    {
        Fixture f;
        const TComponentSourceEditor* row = f.row(0);
        const QList<QWidget*> controls{row->enableBox(), row->numberLabel(), row->addressEdit(), row->lowEdit(),
                                       row->highEdit(),  row->typeList(),    row->speedList(),   row->editButton()};
        for (int i = 1; i < controls.size(); ++i)
            QCOMPARE(controls[i]->x(), controls[i - 1]->geometry().right() + 1 + 28);
        for (const QWidget* control : controls) QCOMPARE(control->y(), 6);
        QCOMPARE(f.row(1)->y() - f.row(0)->y(), 31);
        // Room for "1640.0" beside the up/down pair.
        QVERIFY(row->lowEdit()->width() >= 70);
        QVERIFY(row->highEdit()->width() >= 70);
    }

    void enableChain_data()
    {
        QTest::addColumn<Boxes>("before");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<Boxes>("after");
        QTest::addColumn<int>("changes");
        QTest::newRow("unchecking TLS2 unchecks TLS3 and TLS4")
            << Boxes{true, true, true, true} << 1 << Boxes{true, false, false, false} << 1;
        QTest::newRow("checking TLS4 checks TLS2 and TLS3")
            << Boxes{true, false, false, false} << 3 << Boxes{true, true, true, true} << 1;
        QTest::newRow("unchecking TLS1 leaves it checked")
            << Boxes{true, true, false, false} << 0 << Boxes{true, true, false, false} << 0;
        QTest::newRow("checking TLS2") << Boxes{true, false, false, false} << 1 << Boxes{true, true, false, false}
                                       << 1;
    }
    void enableChain()
    {
        QFETCH(Boxes, before);
        QFETCH(int, clicked);
        QFETCH(Boxes, after);
        QFETCH(int, changes);
        Fixture f(before);
        QCOMPARE(f.boxes(), before);

        QTest::mouseClick(f.row(clicked)->enableBox(), Qt::LeftButton);

        QCOMPARE(f.boxes(), after);
        QCOMPARE(f.records(), after);
        QCOMPARE(f.changes, changes);
        for (int i = 0; i < 4; ++i) {
            const TComponentSourceEditor* row = f.row(i);
            const bool on = after[static_cast<std::size_t>(i)];
            QVERIFY(row->enableBox()->isEnabled());
            QCOMPARE(row->addressEdit()->isEnabled(), on);
            QCOMPARE(row->lowEdit()->isEnabled(), on);
            QCOMPARE(row->highEdit()->isEnabled(), on);
            QCOMPARE(row->typeList()->isEnabled(), on);
            QCOMPARE(row->speedList()->isEnabled(), on);
        }
        QCOMPARE(bus_->traffic(), 0);
    }

    void panelAndRowEnabling()
    {
        Fixture f({true, true, false, false});
        f.panel->SetEnabled(false);
        for (const QLabel* label : f.panel->headerLabels()) QVERIFY(!label->isEnabled());
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!f.row(i)->enableBox()->isEnabled());
            QVERIFY(!f.row(i)->lowEdit()->isEnabled());
            QVERIFY(!f.row(i)->editButton()->isEnabled());
        }

        f.panel->SetEnabled(true);
        for (const QLabel* label : f.panel->headerLabels()) QVERIFY(label->isEnabled());
        QVERIFY(f.row(1)->lowEdit()->isEnabled());
        // A disabled source's own controls stay off; its box can be clicked.
        QVERIFY(f.row(2)->enableBox()->isEnabled());
        QVERIFY(!f.row(2)->lowEdit()->isEnabled());

        // A unit with two laser inputs: rows 3 and 4 are off altogether,
        // and stay off when the panel is enabled again.
        f.panel->SetRowEnabled(2, false);
        f.panel->SetRowEnabled(3, false);
        f.panel->SetEnabled(false);
        f.panel->SetEnabled(true);
        QVERIFY(f.row(1)->enableBox()->isEnabled());
        QVERIFY(!f.row(2)->enableBox()->isEnabled());
        QVERIFY(!f.row(3)->enableBox()->isEnabled());
        f.panel->SetRowEnabled(2, true);
        QVERIFY(f.row(2)->enableBox()->isEnabled());
    }

    void editButtonOnlyForTheGenericSource()
    {
        Fixture f({true, true, false, false});
        SourceConfig& record = f.sources.sources[1];
        TComponentSourceEditor* row = f.row(1);
        QCOMPARE(record.type, SourceTypes::Manual);
        QVERIFY(dynamic_cast<C_Device*>(record.laser.get()) != nullptr);
        QVERIFY(row->editButton()->isEnabled());
        QCOMPARE(row->typeList()->currentText(), QStringLiteral("Other (IEEE 488.2)"));

        selectType(row, SourceTypes::Agilent);
        QCOMPARE(record.type, SourceTypes::Agilent);
        QVERIFY(dynamic_cast<C_Agilent*>(record.laser.get()) != nullptr);
        QVERIFY(!row->editButton()->isEnabled());

        // The generic source again: a new driver with its own templates.
        record.laser->SetCommand(CMD_POWER_ON, "OUTP ON");
        selectType(row, SourceTypes::Manual);
        QVERIFY(dynamic_cast<C_Device*>(record.laser.get()) != nullptr);
        QCOMPARE(QString::fromLatin1(record.laser->GetCommand(CMD_POWER_ON)->GetText()), QStringLiteral("Enable"));
        QVERIFY(row->editButton()->isEnabled());

        // A disabled generic source cannot open its dialog.
        QTest::mouseClick(f.row(1)->enableBox(), Qt::LeftButton);
        QVERIFY(!row->editButton()->isEnabled());
        QCOMPARE(bus_->traffic(), 0);
    }

    void fiveNanometreRule_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<bool>("typeLow");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("newLow");
        QTest::addColumn<double>("newHigh");
        QTest::addColumn<QString>("hint");
        const QString high = TComponentSourceEditor::highUpdatedHint;
        const QString low = TComponentSourceEditor::lowUpdatedHint;
        QTest::newRow("low within 5 nm: high follows") << 1500.0 << 1510.0 << true << "1508" << 1508.0 << 1513.0
                                                       << high;
        QTest::newRow("high within 5 nm: low follows") << 1500.0 << 1600.0 << false << "1502" << 1497.0 << 1502.0
                                                       << low;
        QTest::newRow("high at its limit: low moves back, no hint")
            << 1500.0 << 1680.0 << true << "1677" << 1675.0 << 1680.0 << QString();
        QTest::newRow("far enough apart") << 1500.0 << 1600.0 << true << "1550.5" << 1550.5 << 1600.0 << QString();
        QTest::newRow("10 nm the other way round") << 1500.0 << 1600.0 << true << "1610" << 1610.0 << 1600.0
                                                   << QString();
    }
    void fiveNanometreRule()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(bool, typeLow);
        QFETCH(QString, typed);
        QFETCH(double, newLow);
        QFETCH(double, newHigh);
        QFETCH(QString, hint);
        Fixture f;
        SourceConfig& record = f.sources.sources[0];
        record.lambdaMin = low;
        record.lambdaMax = high;
        f.panel->RefreshAll();
        TComponentSourceEditor* row = f.row(0);
        QCOMPARE(f.changes, 0);

        typeInto(typeLow ? row->lowEdit() : row->highEdit(), typed);

        QCOMPARE(row->lowEdit()->GetValue(), newLow);
        QCOMPARE(row->highEdit()->GetValue(), newHigh);
        // The record follows at once, before any ApplyAll.
        QCOMPARE(record.lambdaMin, newLow);
        QCOMPARE(record.lambdaMax, newHigh);
        QCOMPARE(f.changes, 1);
        QCOMPARE(row->HintShown(), !hint.isEmpty());
        if (!hint.isEmpty()) {
            QCOMPARE(row->hint()->Text(), hint);
            QVERIFY(hint.startsWith(QLatin1Char(' ')) && hint.endsWith(QLatin1Char(' ')));
            QVERIFY(hint.contains(QLatin1Char('\n')));
            // The next edit of the row puts it away.
            typeInto(row->highEdit(), "1660");
            QVERIFY(!row->HintShown());
        }
        QCOMPARE(bus_->traffic(), 0);
    }

    void hintStandsOnTheWindowBesideTheRow()
    {
        ConfLaser sources;
        sources.sources[0].enable = true;
        sources.sources[0].lambdaMin = 1500.0;
        sources.sources[0].lambdaMax = 1600.0;
        QWidget window;
        window.resize(1024, 300);
        auto* panel = new TPanelSourceEditor(&window, sources);
        panel->move(12, 40);
        window.show();
        TComponentSourceEditor* row = panel->row(0);

        typeInto(row->highEdit(), "1503");
        QVERIFY(row->HintShown());
        QPointer<TPanelHint> hint = row->hint();
        // On the window, so that it may reach beyond the panel, and inside it.
        QCOMPARE(hint->parentWidget(), &window);
        QVERIFY(window.rect().contains(hint->geometry()));
        QVERIFY(hint->x() > row->highEdit()->mapTo(&window, QPoint(0, 0)).x());

        // A click puts it away; so does hiding the panel (another page).
        QTest::mouseClick(hint->label(), Qt::LeftButton);
        QVERIFY(!row->HintShown());
        typeInto(row->highEdit(), "1496");
        QVERIFY(row->HintShown());
        panel->hide();
        QVERIFY(!row->HintShown());
        panel->show();
        typeInto(row->highEdit(), "1490");
        QVERIFY(row->HintShown());
        // Disabling the panel (a scan starts) hides it too.
        panel->SetEnabled(false);
        QVERIFY(!row->HintShown());
        delete panel;
        QVERIFY(hint.isNull());
    }

    void fibreBandLimits_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::newRow("standard") << 0 << 1240.0 << 1680.0;
        QTest::newRow("PM13") << 1 << 1260.0 << 1360.0;
        QTest::newRow("PM15") << 2 << 1440.0 << 1640.0;
        QTest::newRow("unknown band") << 7 << 1240.0 << 1680.0;
    }
    void fibreBandLimits()
    {
        QFETCH(int, band);
        QFETCH(double, min);
        QFETCH(double, max);
        Fixture f;
        SourceConfig& record = f.sources.sources[0];
        f.panel->SetFibreBand(band);
        TComponentSourceEditor* row = f.row(0);
        for (TDoubleEdit* edit : {row->lowEdit(), row->highEdit()}) {
            QCOMPARE(edit->GetMin(), min);
            QCOMPARE(edit->GetMax(), max);
        }
        QCOMPARE(row->lowEdit()->GetValue(), min);
        QCOMPARE(row->highEdit()->GetValue(), max);
        // The record keeps its range until the panel applies.
        QCOMPARE(record.lambdaMin, 1240.0);
        QCOMPARE(record.lambdaMax, 1680.0);

        typeInto(row->lowEdit(), "1200");
        QCOMPARE(row->lowEdit()->GetValue(), min);
        row->lowEdit()->StepDown();
        QCOMPARE(row->lowEdit()->GetValue(), min);
        typeInto(row->highEdit(), "1700");
        QCOMPARE(row->highEdit()->GetValue(), max);

        f.panel->ApplyAll();
        QCOMPARE(record.lambdaMin, min);
        QCOMPARE(record.lambdaMax, max);
    }

    void narrowerBandThenWiderShowsTheRecordAgain()
    {
        Fixture f;
        SourceConfig& record = f.sources.sources[0];
        record.lambdaMin = 1300.0;
        record.lambdaMax = 1600.0;
        f.panel->RefreshAll();
        f.panel->SetFibreBand(1);
        TComponentSourceEditor* row = f.row(0);
        // Both ends fall in the PM13 band; they stay 5 nm apart.
        QCOMPARE(row->lowEdit()->GetValue(), 1300.0);
        QCOMPARE(row->highEdit()->GetValue(), 1360.0);
        f.panel->SetFibreBand(0);
        QCOMPARE(row->lowEdit()->GetValue(), 1300.0);
        QCOMPARE(row->highEdit()->GetValue(), 1600.0);
        record.lambdaMin = 1500.0;
        f.panel->SetFibreBand(1);
        QCOMPARE(row->lowEdit()->GetValue(), 1355.0);
        QCOMPARE(row->highEdit()->GetValue(), 1360.0);
        QCOMPARE(f.changes, 0);
    }

    void commandDialog()
    {
        Fixture f;
        SourceConfig& record = f.sources.sources[0];
        TComponentSourceEditor* row = f.row(0);
        TGpibSourceEditor* dialog = row->commandDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Please define the following GPIB commands"));
        QCOMPARE(dialog->okButton()->text(), QStringLiteral("Ok"));
        QCOMPARE(dialog->cancelButton()->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog->defaultButton()->text(), QStringLiteral("Default"));
        QStringList captions;
        for (int i = 0; i < TGpibSourceEditor::fieldCount; ++i) {
            const auto* caption = qobject_cast<QLabel*>(dialog->findChildren<QLabel*>().value(i));
            QVERIFY(caption != nullptr);
            captions << caption->text();
        }
        QCOMPARE(captions, (QStringList{"Power On :", "Power Off :", "Power (mW) :", "Wavelength (nm) :",
                                        "Speed (nm/s) :"}));

        const QStringList defaults{"Enable", "Disable", "P=%2.3f", "L=%4.3f", "MOTOR_SPEED=%d"};
        auto current = [&record] {
            QStringList texts;
            for (tCommand key : TGpibSourceEditor::templateKeys)
                texts << QString::fromLatin1(record.laser->GetCommand(key)->GetText());
            return texts;
        };
        auto fields = [dialog] {
            QStringList texts;
            for (int i = 0; i < TGpibSourceEditor::fieldCount; ++i) texts << dialog->field(i)->text();
            return texts;
        };

        // "Edit" shows the current texts.
        const QStringList mine{"OUTP ON", "OUTP OFF", "POW %.3fMW", "WAV %.3fNM", "SPEED %d"};
        for (int i = 0; i < 5; ++i)
            record.laser->GetCommand(TGpibSourceEditor::templateKeys[static_cast<std::size_t>(i)])
                ->SetText(mine[i].toLatin1().constData());
        QTest::mouseClick(row->editButton(), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->isModal());
        QCOMPARE(fields(), mine);

        // "Default" fills the defaults and stays open; "Ok" makes them current.
        QTest::mouseClick(dialog->defaultButton(), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QCOMPARE(fields(), defaults);
        QCOMPARE(current(), mine);
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(current(), defaults);

        // "Cancel" keeps the current texts and refills the fields.
        dialog->Edit();
        dialog->field(0)->setText(QStringLiteral("POWER ON"));
        dialog->field(4)->setText(QStringLiteral("VEL %d"));
        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(current(), defaults);
        QCOMPARE(fields(), defaults);
        // Escape is a cancel too.
        dialog->Edit();
        dialog->field(1)->setText(QStringLiteral("POWER OFF"));
        QTest::keyClick(dialog->field(1), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(current(), defaults);

        // At most 30 characters, typed or pasted.
        dialog->Edit();
        QLineEdit* on = dialog->field(0);
        on->clear();
        QTest::keyClicks(on, QString(40, QLatin1Char('A')));
        QCOMPARE(on->text().size(), 30);
        dialog->field(1)->setText(QString(45, QLatin1Char('B')));
        QCOMPARE(dialog->field(1)->text().size(), 30);
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        QCOMPARE(current()[0], QString(30, QLatin1Char('A')));
        QCOMPARE(current()[1], QString(30, QLatin1Char('B')));

        // A template that cannot take its value is refused with the reason;
        // nothing changes, not even the fields that would fit.
        const QStringList before = current();
        dialog->Edit();
        dialog->field(0)->setText(QStringLiteral("ON"));
        dialog->field(2)->setText(QStringLiteral("P=%d"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->Problem().startsWith(QStringLiteral("Power (mW) :")));
        QCOMPARE(current(), before);
        dialog->field(2)->setText(QStringLiteral("P=%.2f"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(current()[0], QStringLiteral("ON"));
        QCOMPARE(current()[2], QStringLiteral("P=%.2f"));
        QCOMPARE(bus_->traffic(), 0);
    }

    void commandDialogFollowsTheRebuiltDriver()
    {
        Fixture f;
        SourceConfig& record = f.sources.sources[0];
        TComponentSourceEditor* row = f.row(0);
        record.laser->GetCommand(CMD_POWER_ON)->SetText("OUTP ON");
        selectType(row, SourceTypes::Agilent);
        selectType(row, SourceTypes::Manual);
        TGpibSourceEditor* dialog = row->commandDialog();
        dialog->Edit();
        QCOMPARE(dialog->field(0)->text(), QStringLiteral("Enable"));
        dialog->field(0)->setText(QStringLiteral("LASER ON"));
        dialog->ButtonOkClick();
        QCOMPARE(QString::fromLatin1(record.laser->GetCommand(CMD_POWER_ON)->GetText()), QStringLiteral("LASER ON"));
    }

    void refreshShowsTheRecords()
    {
        Fixture f({true, true, false, false}, [](ConfLaser& sources) {
            SourceConfig& a = sources.sources[0];
            a.address = 5;
            a.lambdaMin = 1500.0;
            a.lambdaMax = 1630.5;
            a.speed = 33;
            a.type = SourceTypes::JdsuSws;
            SourceConfig& b = sources.sources[1];
            b.address = 0;                 // no file: the edit's lowest address
            b.speed = 99;                  // not offered
            b.type = SourceTypes::Santec;  // not offered
        });
        SourceConfig& a = f.sources.sources[0];
        SourceConfig& b = f.sources.sources[1];
        QCOMPARE(f.changes, 0);

        const TComponentSourceEditor* first = f.row(0);
        QVERIFY(first->enableBox()->isChecked());
        QCOMPARE(first->addressEdit()->GetValue(), 5);
        QCOMPARE(first->lowEdit()->GetValue(), 1500.0);
        QCOMPARE(first->highEdit()->GetValue(), 1630.5);
        QCOMPARE(first->speedList()->currentData().toInt(), 33);
        QCOMPARE(first->typeList()->currentText(), QStringLiteral("JDSU SWS"));
        // The type rule ran: the driver follows the record's type.
        QVERIFY(a.laser != nullptr);
        QVERIFY(!first->editButton()->isEnabled());

        const TComponentSourceEditor* second = f.row(1);
        QVERIFY(second->enableBox()->isChecked());
        QCOMPARE(second->addressEdit()->GetValue(), 1);
        QCOMPARE(second->speedList()->currentIndex(), -1);
        QCOMPARE(second->typeList()->currentIndex(), -1);
        QCOMPARE(b.type, SourceTypes::Santec);
        QVERIFY(dynamic_cast<C_Santec*>(b.laser.get()) != nullptr);
        QVERIFY(!second->editButton()->isEnabled());

        // Records changed behind the panel's back show after RefreshAll;
        // a speed the list lacks shows no entry rather than the old one.
        a.lambdaMin = 1510.0;
        a.address = 30;
        a.speed = 99;
        f.panel->RefreshAll();
        QCOMPARE(first->lowEdit()->GetValue(), 1510.0);
        QCOMPARE(first->addressEdit()->GetValue(), 30);
        QCOMPARE(first->speedList()->currentIndex(), -1);
        QCOMPARE(f.changes, 0);

        // What the lists lack stays in the record through ApplyAll.
        f.panel->ApplyAll();
        QCOMPARE(b.type, SourceTypes::Santec);
        QCOMPARE(b.speed, 99);
        QCOMPARE(a.speed, 99);
        QCOMPARE(b.address, 1);
        QCOMPARE(bus_->traffic(), 0);
    }

    void applyAllWritesTheControls()
    {
        Fixture f({true, true, false, false});
        SourceConfig& a = f.sources.sources[0];
        SourceConfig& b = f.sources.sources[1];
        TComponentSourceEditor* first = f.row(0);
        TComponentSourceEditor* second = f.row(1);

        // Nothing edited: ApplyAll changes nothing and sends nothing.
        f.panel->ApplyAll();
        QCOMPARE(a.address, 10);
        QCOMPARE(a.speed, 20);
        QCOMPARE(f.changes, 0);
        QCOMPARE(bus_->traffic(), 0);

        // Address and speed wait for ApplyAll.
        first->addressEdit()->SetValue(7);
        selectSpeed(first, 33);
        selectSpeed(second, 20);
        QCOMPARE(a.address, 10);
        QCOMPARE(a.speed, 20);
        QCOMPARE(bus_->traffic(), 0);

        f.panel->ApplyAll();
        QCOMPARE(a.address, 7);
        QCOMPARE(a.laser->PrimaryAddress(), 7);
        QCOMPARE(a.speed, 33);
        QCOMPARE(b.speed, 20);
        // Only the new speed went out, to the first source.
        QVERIFY(QString::fromStdString(bus_->writes()).contains(QStringLiteral("MOTOR_SPEED=33")));
        QVERIFY(!QString::fromStdString(bus_->writes()).contains(QStringLiteral("MOTOR_SPEED=20")));
        QCOMPARE(f.changes, 0);

        bus_->reset();
        f.panel->ApplyAll();
        QCOMPARE(bus_->traffic(), 0);

        // An enable flag or a range that differs from the record is a change
        // of the sources.
        b.enable = false;
        a.lambdaMax = 1600.0;
        f.panel->ApplyAll();
        QVERIFY(b.enable);
        QCOMPARE(a.lambdaMax, 1680.0);
        QCOMPARE(f.changes, 1);
    }

    void refreshApplyRoundTrip()
    {
        // A configuration shown by one panel and applied into another
        // configuration's records gives the same records.
        Fixture f({true, true, true, false});
        const std::array<int, 4> types{SourceTypes::Manual, SourceTypes::Agilent, SourceTypes::VarnelR720S,
                                       SourceTypes::JdsuSws};
        const std::array<int, 4> speeds{10, 25, 67, 100};
        for (std::size_t i = 0; i < 4; ++i) {
            SourceConfig& s = f.sources.sources[i];
            s.address = 3 + static_cast<int>(i) * 5;
            s.lambdaMin = 1300.0 + 50.0 * static_cast<double>(i);
            s.lambdaMax = 1450.5 + 50.0 * static_cast<double>(i);
            s.type = types[i];
            s.speed = speeds[i];
        }
        f.panel->RefreshAll();

        ConfLaser copy;
        TPanelSourceEditor other(nullptr, copy);
        for (int i = 0; i < 4; ++i) {
            TComponentSourceEditor* from = f.row(i);
            TComponentSourceEditor* to = other.row(i);
            to->SetSourceEnabled(from->enableBox()->isChecked());
            to->addressEdit()->SetValue(from->addressEdit()->GetValue());
            to->highEdit()->SetValue(from->highEdit()->GetValue());
            to->lowEdit()->SetValue(from->lowEdit()->GetValue());
            to->typeList()->setCurrentIndex(from->typeList()->currentIndex());
            to->speedList()->setCurrentIndex(from->speedList()->currentIndex());
        }
        other.ApplyAll();
        for (std::size_t i = 0; i < 4; ++i) {
            const SourceConfig& a = f.sources.sources[i];
            const SourceConfig& b = copy.sources[i];
            QCOMPARE(b.enable, a.enable);
            QCOMPARE(b.address, a.address);
            QCOMPARE(b.lambdaMin, a.lambdaMin);
            QCOMPARE(b.lambdaMax, a.lambdaMax);
            QCOMPARE(b.type, a.type);
            // A source that takes no part is not on the bus, so its speed
            // cannot be applied (and its speed list is off for the user).
            if (a.enable) QCOMPARE(b.speed, a.speed);
        }
    }

    void handlerCanBeReplacedAndTurnedOff()
    {
        Fixture f;
        int other = 0;
        f.panel->SetSourcesChangedHandler([&other] { ++other; });
        QTest::mouseClick(f.row(1)->enableBox(), Qt::LeftButton);
        QCOMPARE(other, 1);
        QCOMPARE(f.changes, 0);
        f.panel->SetSourcesChangedHandler({});
        QTest::mouseClick(f.row(1)->enableBox(), Qt::LeftButton);
        QCOMPARE(other, 1);
        QVERIFY(!f.sources.sources[1].enable);
    }

private:
    std::unique_ptr<Bus> bus_;
};

QTEST_MAIN(SourceEditorsTest)
#include "SourceEditorsTest.moc"
