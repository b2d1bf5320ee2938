// The up/down pair and its repeat thread: one step per click, the repeat
// while held running every step on the user-interface thread, and the end of
// the repeat on release, a second press, disabling, hiding and destruction.
// The pace of the repeat is the schedule's (tested as a pure function); here
// only its order and its end are checked.

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <QWidget>
#include <memory>

#include "Buttonupdown.h"
#include "Doubleedit.h"
#include "Threadscroll.h"

namespace {

// Long enough for the first repeats (500 + 400 ms) on a loaded machine.
constexpr int RepeatWaitMs = 10000;

struct Counter {
    int up = 0;
    int down = 0;
    bool offUiThread = false;
};

class Owner {
public:
    Owner()
    {
        widget.resize(80, 25);
        pair = new TButtonUpDown(&widget);
        pair->SetUpClickNotifier([this] { count(counter.up); });
        pair->SetDownClickNotifier([this] { count(counter.down); });
        widget.show();
    }
    void count(int& n)
    {
        if (QThread::currentThread() != widget.thread()) counter.offUiThread = true;
        ++n;
    }
    QWidget widget;
    TButtonUpDown* pair = nullptr;
    Counter counter;
};

}  // namespace

class ButtonUpDownTest : public QObject {
    Q_OBJECT

private slots:
    void placesItselfOnEveryResizeOfTheOwner()
    {
        Owner owner;
        QCOMPARE(owner.pair->geometry(), QRect(63, 2, 16, 24));
        QCOMPARE(owner.pair->upButton()->geometry(), QRect(0, 0, 16, 11));
        QCOMPARE(owner.pair->downButton()->geometry(), QRect(0, 11, 16, 11));
        owner.widget.resize(200, 40);
        QCOMPARE(owner.pair->geometry(), QRect(183, 2, 16, 39));
        QCOMPARE(owner.pair->downButton()->geometry(), QRect(0, 18, 16, 18));
    }

    void aClickIsOneStep()
    {
        Owner owner;
        QTest::mouseClick(owner.pair->upButton(), Qt::LeftButton);
        QCOMPARE(owner.counter.up, 1);
        QTest::mouseClick(owner.pair->downButton(), Qt::LeftButton);
        QCOMPARE(owner.counter.down, 1);
        QVERIFY(!owner.pair->repeating());
        QCoreApplication::processEvents();
        QCOMPARE(owner.counter.up, 1);
        QCOMPARE(owner.counter.down, 1);
    }

    void holdingRepeatsOnTheUiThreadUntilRelease()
    {
        Owner owner;
        QToolButton* up = owner.pair->upButton();
        QTest::mousePress(up, Qt::LeftButton);
        QCOMPARE(owner.counter.up, 1);  // the press itself
        QVERIFY(owner.pair->repeating());
        QTRY_VERIFY_WITH_TIMEOUT(owner.counter.up >= 3, RepeatWaitMs);
        QTest::mouseRelease(up, Qt::LeftButton);
        QVERIFY(!owner.pair->repeating());
        const int atRelease = owner.counter.up;
        // Nothing queued before the release may still step.
        QTest::qWait(50);
        QCoreApplication::processEvents();
        QCOMPARE(owner.counter.up, atRelease);
        QCOMPARE(owner.counter.down, 0);
        QVERIFY(!owner.counter.offUiThread);
    }

    void pressingTheOtherButtonEndsTheFirstRepeat()
    {
        Owner owner;
        QTest::mousePress(owner.pair->upButton(), Qt::LeftButton);
        QVERIFY(owner.pair->repeating());
        // The release the user made went elsewhere; the next press takes over.
        QTest::mousePress(owner.pair->downButton(), Qt::LeftButton);
        QCOMPARE(owner.counter.down, 1);
        const int upSteps = owner.counter.up;
        QTRY_VERIFY_WITH_TIMEOUT(owner.counter.down >= 2, RepeatWaitMs);
        QCOMPARE(owner.counter.up, upSteps);
        QTest::mouseRelease(owner.pair->downButton(), Qt::LeftButton);
        QVERIFY(!owner.pair->repeating());
    }

    void disablingOrHidingEndsTheRepeat()
    {
        Owner owner;
        QTest::mousePress(owner.pair->upButton(), Qt::LeftButton);
        QVERIFY(owner.pair->repeating());
        owner.pair->SetEnabled(false);
        QVERIFY(!owner.pair->repeating());
        QVERIFY(!owner.pair->upButton()->isEnabled());
        QVERIFY(!owner.pair->downButton()->isEnabled());

        owner.pair->SetEnabled(true);
        QTest::mousePress(owner.pair->downButton(), Qt::LeftButton);
        QVERIFY(owner.pair->repeating());
        owner.widget.setEnabled(false);  // the owner, as a running measurement does
        QVERIFY(!owner.pair->repeating());

        owner.widget.setEnabled(true);
        QTest::mousePress(owner.pair->downButton(), Qt::LeftButton);
        QVERIFY(owner.pair->repeating());
        owner.widget.hide();
        QVERIFY(!owner.pair->repeating());
    }

    void aReleaseLostElsewhereEndsTheRepeat()
    {
        Owner owner;
        QTest::mousePress(owner.pair->upButton(), Qt::LeftButton);
        QVERIFY(owner.pair->repeating());
        // The release reaches another widget (a window that popped up, say):
        // the button still looks down, but the mouse button is up.
        QTest::mouseRelease(&owner.widget, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(owner.pair->upButton()->isDown());
        QTRY_VERIFY_WITH_TIMEOUT(!owner.pair->repeating(), RepeatWaitMs);
        QCOMPARE(owner.counter.up, 1);
    }

    void aStepThatEndsTheHoldEndsTheRepeat()
    {
        // The notifier disables the pair from inside a repeated step, as an
        // owner reaching its bound might.
        Owner owner;
        int steps = 0;
        owner.pair->SetUpClickNotifier([&] {
            if (++steps == 2) owner.pair->SetEnabled(false);
        });
        QTest::mousePress(owner.pair->upButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(steps == 2, RepeatWaitMs);
        QVERIFY(!owner.pair->repeating());
        QTest::qWait(50);
        QCOMPARE(steps, 2);
    }

    void destroyingAHeldEditJoinsItsRepeat()
    {
        auto edit = std::make_unique<TDoubleEdit>();
        edit->SetIncrement(0.1);
        edit->SetRange(1240.0, 1675.0);
        edit->resize(80, 25);
        edit->show();
        QTest::mousePress(edit->buttons()->upButton(), Qt::LeftButton);
        QCOMPARE(edit->GetValue(), 1240.1);
        QTRY_VERIFY_WITH_TIMEOUT(edit->GetValue() >= 1240.25, RepeatWaitMs);
        edit.reset();
        QTest::qWait(50);
        QCoreApplication::processEvents();
    }

    void heldEditStepsItsValue()
    {
        TDoubleEdit edit;
        edit.SetIncrement(0.5);
        edit.SetRange(0.0, 100.0);
        edit.resize(80, 25);
        edit.show();
        QSignalSpy changes(&edit, &TDoubleEdit::changed);
        QTest::mousePress(edit.buttons()->downButton(), Qt::LeftButton);  // at the minimum already
        QCOMPARE(edit.editBox()->text(), QStringLiteral("0.0"));
        QTest::mouseRelease(edit.buttons()->downButton(), Qt::LeftButton);
        QTest::mousePress(edit.buttons()->upButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(changes.count() >= 3, RepeatWaitMs);
        QTest::mouseRelease(edit.buttons()->upButton(), Qt::LeftButton);
        QCOMPARE(edit.GetValue(), 0.5 * (changes.count() - 1));
    }

    void aPressWithoutNotifierDoesNothing()
    {
        QWidget owner;
        owner.resize(60, 25);
        auto* pair = new TButtonUpDown(&owner);
        owner.show();
        QTest::mousePress(pair->upButton(), Qt::LeftButton);
        QVERIFY(!pair->repeating());
        QTest::mouseRelease(pair->upButton(), Qt::LeftButton);
    }

    void repeatEndsWhenTheStepSaysSo()
    {
        QObject context;
        int steps = 0;
        TThreadScroll repeat(&context, [&] { return ++steps < 2; });
        QVERIFY(repeat.running());
        QTRY_VERIFY_WITH_TIMEOUT(!repeat.running(), RepeatWaitMs);
        QCOMPARE(steps, 2);
    }

    void terminateEndsTheRepeatAtOnce()
    {
        QObject context;
        int steps = 0;
        {
            TThreadScroll repeat(&context, [&] { return ++steps > 0; });
            repeat.Terminate();
            QVERIFY(!repeat.running());
        }  // joined here, long before the first pause is over
        QCoreApplication::processEvents();
        QCOMPARE(steps, 0);
    }
};

QTEST_MAIN(ButtonUpDownTest)
#include "ButtonUpDownTest.moc"
