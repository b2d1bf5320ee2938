// The decimal and integer edit boxes as their owners use them: bounds, wrap,
// the precision an increment brings, the key filter, Enter and leaving the
// box, the up/down actions, and "." whatever the locale.

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <clocale>
#include <cstdio>
#include <limits>
#include <memory>

#include "Buttonupdown.h"
#include "CommaLocale.h"
#include "Doubleedit.h"
#include "Intedit.h"

namespace {

constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();

// A start wavelength edit as the main window has it.
std::unique_ptr<TDoubleEdit> wavelengthEdit(bool wrap = false)
{
    auto edit = std::make_unique<TDoubleEdit>();
    edit->SetIncrement(0.1);
    edit->SetRange(1240.0, 1675.0);
    edit->SetWrap(wrap);
    edit->SetValue(1550.0);
    return edit;
}

void leave(QWidget* box, Qt::FocusReason reason)
{
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(box, &out);
}

}  // namespace

class NumericEditTest : public QObject {
    Q_OBJECT

private slots:
    void setValueKeepsBoundsOrWraps_data()
    {
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("text");
        QTest::newRow("above max") << false << 2000.0 << "1675.0";
        QTest::newRow("above max, wrap") << true << 2000.0 << "1240.0";
        QTest::newRow("below min") << false << 1000.0 << "1240.0";
        QTest::newRow("below min, wrap") << true << 1000.0 << "1675.0";
        QTest::newRow("inside, rounded to the precision") << true << 1550.04 << "1550.0";
    }
    void setValueKeepsBoundsOrWraps()
    {
        QFETCH(bool, wrap);
        QFETCH(double, x);
        QFETCH(QString, text);
        TDoubleEdit edit;
        edit.SetRange(1240.0, 1675.0);
        edit.SetPrecision(1);
        edit.SetWrap(wrap);
        edit.SetValue(x);
        QCOMPARE(edit.editBox()->text(), text);
        QCOMPARE(edit.GetValue(), text.toDouble());
    }

    void integerSetValueKeepsBoundsOrWraps()
    {
        TIntEdit edit;
        edit.SetRange(1, 30);
        edit.SetValue(31);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("30"));
        edit.SetWrap(true);
        edit.SetValue(31);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("1"));
        edit.SetValue(0);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("30"));
        QCOMPARE(edit.GetValue(), 30);
    }

    void incrementSetsThePrecision_data()
    {
        QTest::addColumn<double>("increment");
        QTest::addColumn<QString>("text");
        QTest::newRow("0.01 shows two decimals") << 0.01 << "12.35";
        QTest::newRow("0.001 shows three") << 0.001 << "12.346";
        QTest::newRow("0.5 shows one") << 0.5 << "12.3";
        QTest::newRow("1 shows none") << 1.0 << "12";
    }
    void incrementSetsThePrecision()
    {
        QFETCH(double, increment);
        QFETCH(QString, text);
        TDoubleEdit edit;
        edit.SetPrecision(4);
        edit.SetValue(12.3456);
        edit.SetIncrement(increment);
        QCOMPARE(edit.editBox()->text(), text);
        QCOMPARE(edit.GetIncrement(), increment);
    }

    void precisionIsStoredAsItsMagnitude()
    {
        TDoubleEdit edit;
        edit.SetPrecision(-3);
        QCOMPARE(edit.GetPrecision(), 3);
        edit.SetValue(1.5);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("1.500"));
    }

    void unreadableTextReadsAsZeroWithinTheBounds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("value");
        QTest::newRow("letters, 0 inside") << "abc" << -10.0 << 10.0 << 0.0;
        QTest::newRow("letters, 0 below") << "abc" << 1240.0 << 1675.0 << 1240.0;
        QTest::newRow("empty, 0 above") << "" << -80.0 << -3.0 << -3.0;
        QTest::newRow("comma") << "1,5" << -10.0 << 10.0 << 0.0;
        QTest::newRow("beyond max, never wrapped") << "2000" << 1240.0 << 1675.0 << 1675.0;
    }
    void unreadableTextReadsAsZeroWithinTheBounds()
    {
        QFETCH(QString, text);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, value);
        TDoubleEdit edit;
        edit.SetRange(min, max);
        edit.SetWrap(true);
        edit.editBox()->setText(text);
        QCOMPARE(edit.GetValue(), value);
    }

    void integerUnreadableTextReadsAsZero()
    {
        TIntEdit edit;
        edit.SetRange(-5, 5);
        edit.editBox()->setText(QStringLiteral("4.5"));
        QCOMPARE(edit.GetValue(), 0);
        edit.SetRange(1, 250);
        edit.editBox()->setText(QStringLiteral("99999999999"));
        QCOMPARE(edit.GetValue(), 1);
    }

    void newBoundBeyondTheTextMovesTheValue()
    {
        auto edit = wavelengthEdit();
        QSignalSpy changes(edit.get(), &TDoubleEdit::changed);
        edit->SetMin(1500.0);
        QCOMPARE(changes.count(), 0);  // 1550 is still inside
        edit->SetMin(1600.0);
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1600.0"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toDouble(), 1600.0);
        edit->SetMax(1620.0);
        QCOMPARE(changes.count(), 1);
        edit->SetMax(1610.5);
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1600.0"));
        edit->SetMin(1400.0);
        edit->SetMax(1450.0);
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1450.0"));
        QCOMPARE(edit->GetMin(), 1400.0);
        QCOMPARE(edit->GetMax(), 1450.0);
    }

    void rangeMovedPastTheOldOneLeavesNoTextOutside()
    {
        // One bound at a time, the value first meets the old maximum and then
        // lies below the new minimum; both at once it lands on the new range.
        TDoubleEdit edit;
        edit.SetPrecision(1);
        edit.SetRange(1240.0, 1675.0);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("1240.0"));
        TIntEdit count;
        count.SetRange(1000, 100000);
        QCOMPARE(count.editBox()->text(), QStringLiteral("1000"));
    }

    void everyValueSetIsAnnounced()
    {
        auto edit = wavelengthEdit();
        QSignalSpy changes(edit.get(), &TDoubleEdit::changed);
        edit->SetValue(2000.0);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toDouble(), 1675.0);
        edit->SetValue(1675.0);  // the same value is announced again
        QCOMPARE(changes.count(), 2);

        TIntEdit count;
        QSignalSpy countChanges(&count, &TIntEdit::changed);
        count.SetValue(7);
        QCOMPARE(countChanges.count(), 1);
        QCOMPARE(countChanges.at(0).at(0).toInt(), 7);
    }

    void typingAloneAnnouncesNothing()
    {
        auto edit = wavelengthEdit();
        edit->show();
        QSignalSpy changes(edit.get(), &TDoubleEdit::changed);
        edit->editBox()->clear();
        QTest::keyClicks(edit->editBox(), "1600.5");
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1600.5"));
        QCOMPARE(changes.count(), 0);
    }

    void keyFilterDropsWhatNoNumberHolds_data()
    {
        QTest::addColumn<bool>("decimal");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("beeps");
        QTest::newRow("decimal: digits, minus, point") << true << "-12.5" << "-12.5" << 0;
        QTest::newRow("decimal: a letter") << true << "12a" << "12" << 1;
        QTest::newRow("decimal: comma") << true << "1,5" << "15" << 1;
        QTest::newRow("decimal: blank and plus") << true << "+1 2" << "12" << 2;
        QTest::newRow("decimal: exponent") << true << "1e3" << "13" << 1;
        QTest::newRow("integer: digits and minus") << false << "-250" << "-250" << 0;
        QTest::newRow("integer: point") << false << "2.5" << "25" << 1;
        QTest::newRow("integer: letters") << false << "x1y" << "1" << 2;
    }
    void keyFilterDropsWhatNoNumberHolds()
    {
        QFETCH(bool, decimal);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(int, beeps);
        std::unique_ptr<TNumericEdit> edit;
        if (decimal)
            edit = std::make_unique<TDoubleEdit>();
        else
            edit = std::make_unique<TIntEdit>();
        edit->show();
        edit->editBox()->clear();
        QSignalSpy rejected(edit.get(), &TNumericEdit::keyRejected);
        QTest::keyClicks(edit->editBox(), typed);
        QCOMPARE(edit->editBox()->text(), text);
        QCOMPARE(rejected.count(), beeps);
    }

    void editingKeysPassTheFilter()
    {
        TDoubleEdit edit;
        edit.show();
        QLineEdit* box = edit.editBox();
        box->setText(QStringLiteral("1234"));
        box->setCursorPosition(4);
        QSignalSpy rejected(&edit, &TNumericEdit::keyRejected);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("123"));
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), QStringLiteral("23"));
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Left);
        QTest::keyClick(box, Qt::Key_5);
        QCOMPARE(box->text(), QStringLiteral("253"));
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);  // select all
        QCOMPARE(box->selectedText(), QStringLiteral("253"));
        QTest::keyClick(box, Qt::Key_7);
        QCOMPARE(box->text(), QStringLiteral("7"));
        QCOMPARE(rejected.count(), 0);
    }

    void enterAppliesTheTextAndAnnouncesTwice()
    {
        auto edit = wavelengthEdit();
        edit->show();
        edit->editBox()->setText(QStringLiteral("2000"));
        QSignalSpy changes(edit.get(), &TDoubleEdit::changed);
        QTest::keyClick(edit->editBox(), Qt::Key_Return);
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1675.0"));
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(0).at(0).toDouble(), 1675.0);
        QCOMPARE(changes.at(1).at(0).toDouble(), 1675.0);

        edit->editBox()->setText(QStringLiteral("nonsense"));
        QTest::keyClick(edit->editBox(), Qt::Key_Enter);  // the keypad's
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1240.0"));
        QCOMPARE(changes.count(), 4);
    }

    void enterStillReachesTheDefaultButton()
    {
        QDialog dialog;
        auto* edit = new TDoubleEdit(&dialog);
        edit->SetIncrement(0.01);
        edit->SetRange(-80.0, 10.0);
        auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setDefault(true);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(edit);
        layout->addWidget(ok);
        double valueSeenByOk = 0.0;
        connect(ok, &QPushButton::clicked, &dialog, [&] {
            valueSeenByOk = edit->GetValue();
            dialog.accept();
        });
        dialog.show();
        edit->editBox()->setText(QStringLiteral("-3.456"));
        QTest::keyClick(edit->editBox(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(valueSeenByOk, -3.46);
    }

    void leavingTheBoxAppliesTheText()
    {
        TIntEdit edit;
        edit.SetRange(1, 250);
        edit.show();
        edit.editBox()->setText(QStringLiteral("900"));
        QSignalSpy changes(&edit, &TIntEdit::changed);
        leave(edit.editBox(), Qt::TabFocusReason);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("250"));
        QCOMPARE(changes.count(), 2);
        edit.editBox()->setText(QStringLiteral("-4"));
        leave(edit.editBox(), Qt::MouseFocusReason);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("1"));
        QCOMPARE(changes.count(), 4);
    }

    void switchingWindowOrMenuDoesNotLeaveTheBox()
    {
        TDoubleEdit edit;
        edit.show();
        edit.editBox()->setText(QStringLiteral("12"));
        QSignalSpy changes(&edit, &TDoubleEdit::changed);
        leave(edit.editBox(), Qt::ActiveWindowFocusReason);
        leave(edit.editBox(), Qt::PopupFocusReason);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("12"));
    }

    void upAndDownStepByTheIncrement()
    {
        auto edit = wavelengthEdit();
        edit->editBox()->setText(QStringLiteral("1600.04"));  // typed, not yet applied
        edit->StepUp();
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1600.1"));
        edit->StepDown();
        edit->StepDown();
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1599.9"));

        TIntEdit count;
        count.SetRange(1, 100000);
        count.SetIncrement(10);
        count.SetValue(5);
        count.StepUp();
        QCOMPARE(count.GetValue(), 15);
        count.StepDown();
        count.StepDown();
        QCOMPARE(count.GetValue(), 1);
    }

    void stepsMeetTheBoundsAndWrap_data()
    {
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<bool>("up");
        QTest::addColumn<double>("from");
        QTest::addColumn<QString>("text");
        // 0.2 + 0.1 is 0.30000000000000004 in binary, above the maximum 0.3.
        QTest::newRow("up onto max") << true << true << 0.2 << "0.3";
        QTest::newRow("up past max, wrap") << true << true << 0.3 << "0.0";
        QTest::newRow("up past max") << false << true << 0.3 << "0.3";
        QTest::newRow("down onto min") << true << false << 0.1 << "0.0";
        QTest::newRow("down past min, wrap") << true << false << 0.0 << "0.3";
        QTest::newRow("down past min") << false << false << 0.0 << "0.0";
    }
    void stepsMeetTheBoundsAndWrap()
    {
        QFETCH(bool, wrap);
        QFETCH(bool, up);
        QFETCH(double, from);
        QFETCH(QString, text);
        TDoubleEdit edit;
        edit.SetIncrement(0.1);
        edit.SetRange(0.0, 0.3);
        edit.SetWrap(wrap);
        edit.SetValue(from);
        if (up)
            edit.StepUp();
        else
            edit.StepDown();
        QCOMPARE(edit.editBox()->text(), text);
    }

    void integerStepsDoNotOverflow()
    {
        TIntEdit edit;
        edit.SetRange(int32Min, int32Max);
        edit.SetIncrement(int32Max);
        edit.SetValue(int32Max);
        edit.StepUp();
        QCOMPARE(edit.GetValue(), int32Max);
        edit.SetWrap(true);
        edit.StepUp();
        QCOMPARE(edit.GetValue(), int32Min);
        edit.StepDown();
        QCOMPARE(edit.GetValue(), int32Max);
    }

    void theButtonsStepOnePerClick()
    {
        auto edit = wavelengthEdit();
        edit->resize(80, 25);
        edit->show();
        QSignalSpy changes(edit.get(), &TDoubleEdit::changed);
        QTest::mouseClick(edit->buttons()->upButton(), Qt::LeftButton);
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1550.1"));
        QTest::mouseClick(edit->buttons()->downButton(), Qt::LeftButton);
        QTest::mouseClick(edit->buttons()->downButton(), Qt::LeftButton);
        QCOMPARE(edit->editBox()->text(), QStringLiteral("1549.9"));
        QCoreApplication::processEvents();
        QCOMPARE(changes.count(), 3);
        QVERIFY(!edit->buttons()->repeating());
    }

    void buttonsComeAndGo()
    {
        TDoubleEdit edit;
        edit.resize(60, 25);
        edit.show();
        QVERIFY(edit.GetShowUpDown());
        QVERIFY(edit.buttons() != nullptr);
        QCOMPARE(edit.buttons()->geometry(), QRect(43, 2, 16, 24));
        QCOMPARE(edit.editBox()->geometry(), QRect(0, 0, 60, 25));
        const int frame = edit.editBox()->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit.editBox());
        QCOMPARE(edit.editBox()->textMargins().right(), 16 - frame);
        edit.SetShowUpDown(false);
        QVERIFY(edit.buttons() == nullptr);
        QCOMPARE(edit.editBox()->geometry(), QRect(0, 0, 60, 25));
        QCOMPARE(edit.editBox()->textMargins().right(), 0);
        edit.SetShowUpDown(true);
        QVERIFY(edit.buttons() != nullptr);
        QVERIFY(edit.buttons()->isVisible());
        edit.SetIncrement(0.5);
        QTest::mouseClick(edit.buttons()->upButton(), Qt::LeftButton);
        QCOMPARE(edit.GetValue(), 0.5);
        edit.resize(120, 30);
        QCOMPARE(edit.buttons()->geometry(), QRect(103, 2, 16, 29));
    }

    void sizeHintMakesRoomForTheBounds()
    {
        TDoubleEdit wavelength;
        wavelength.SetIncrement(0.1);
        wavelength.SetRange(1240.0, 1680.0);
        wavelength.SetValue(1240.0);
        TIntEdit address;
        address.SetRange(1, 30);
        const QFontMetrics metrics(wavelength.editBox()->font());
        QVERIFY(wavelength.sizeHint().width() >= metrics.horizontalAdvance(QStringLiteral("1680.0")) + 16);
        QVERIFY(address.sizeHint().width() < wavelength.sizeHint().width());
        wavelength.SetShowUpDown(false);
        QVERIFY(wavelength.sizeHint().width() >= metrics.horizontalAdvance(QStringLiteral("1680.0")));
        TDoubleEdit unbounded;
        unbounded.SetRange(-1e300, 1e300);
        QVERIFY(unbounded.sizeHint().width() < 3 * wavelength.sizeHint().width());
    }

    void disablingTakesTheBoxAndBoth()
    {
        TIntEdit edit;
        edit.show();
        edit.SetEnabled(false);
        QVERIFY(!edit.editBox()->isEnabled());
        QVERIFY(!edit.buttons()->upButton()->isEnabled());
        QVERIFY(!edit.buttons()->downButton()->isEnabled());
        QTest::mouseClick(edit.buttons()->upButton(), Qt::LeftButton);
        QCOMPARE(edit.GetValue(), 0);
        edit.SetEnabled(true);
        QVERIFY(edit.editBox()->isEnabled());
        QVERIFY(edit.buttons()->upButton()->isEnabled());
    }

    void pointerEnteringIsAnnounced()
    {
        TDoubleEdit edit;
        QSignalSpy entered(&edit, &TNumericEdit::entered);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&edit, &enter);
        QCOMPARE(entered.count(), 1);
    }

    void aDecimalCommaLocaleChangesNothing()
    {
        CommaLocale comma;
        if (!comma.active()) QSKIP("no locale with a decimal comma on this machine");
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        char check[16];
        std::snprintf(check, sizeof check, "%.1f", 1.5);
        QCOMPARE(QString::fromLatin1(check), QStringLiteral("1,5"));

        TDoubleEdit edit;
        edit.SetIncrement(0.01);
        edit.SetRange(-80.0, 10.0);
        edit.show();
        edit.SetValue(-3.5);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("-3.50"));
        edit.editBox()->clear();
        QSignalSpy rejected(&edit, &TNumericEdit::keyRejected);
        QTest::keyClicks(edit.editBox(), "-2,25");
        QCOMPARE(rejected.count(), 1);
        edit.editBox()->clear();
        QTest::keyClicks(edit.editBox(), "-2.25");
        QTest::keyClick(edit.editBox(), Qt::Key_Return);
        QCOMPARE(edit.GetValue(), -2.25);
        QCOMPARE(edit.editBox()->text(), QStringLiteral("-2.25"));
        edit.StepUp();
        QCOMPARE(edit.editBox()->text(), QStringLiteral("-2.24"));
        QLocale::setDefault(previous);
    }
};

QTEST_MAIN(NumericEditTest)
#include "NumericEditTest.moc"
