// A unit operation runs off the window's thread, one at a time, and brings
// its end or its exception back to the window's thread.

#include <QApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "MaintenanceHost.h"
#include "UnitOperation.h"

namespace {

class RecordingHost : public MaintenanceHost {
public:
    MeasurementSession& session() override { throw std::logic_error("no session here"); }
    const WindowDialogs& dialogs() const override { return dialogs_; }
    bool instrumentPresent() const override { return true; }
    bool idle() const override { return true; }
    bool factory() const override { return true; }
    std::string programFolder() const override { return "./"; }
    void showWait(const QString& caption, const QString& text) override
    {
        ++shown;
        waitCaption = caption;
        waitText = text;
    }
    void hideWait() override { ++hidden; }
    void uncheckEtalonDetectors() override {}
    void unitOperationEnded() override { ++ended; }

    int shown = 0;
    int hidden = 0;
    int ended = 0;
    QString waitCaption;
    QString waitText;

private:
    WindowDialogs dialogs_;
};

}  // namespace

class UnitOperationTest : public QObject {
    Q_OBJECT

private slots:
    void workRunsOffTheWindowThreadAndEndsOnIt()
    {
        RecordingHost host;
        UnitOperation operation(host);
        std::atomic<bool> onWindowThread{true};
        std::atomic<bool> release{false};
        bool doneOnWindowThread = false;
        bool doneWithoutError = false;
        QVERIFY(operation.start("DSP upgrade", "Please Wait.",
                                [&] {
                                    onWindowThread = QThread::currentThread() == qApp->thread();
                                    while (!release) std::this_thread::yield();
                                },
                                [&](std::exception_ptr error) {
                                    doneOnWindowThread = QThread::currentThread() == qApp->thread();
                                    doneWithoutError = error == nullptr;
                                }));
        QCOMPARE(host.shown, 1);
        QCOMPARE(host.waitCaption, QString("DSP upgrade"));
        QVERIFY(UnitOperation::anyRunning());
        // A second operation, of this page or another, waits its turn.
        RecordingHost other;
        UnitOperation second(other);
        QVERIFY(!second.start("x", "y", [] {}, {}));
        QCOMPARE(other.shown, 0);
        release = true;
        QVERIFY(operation.waitForEnd(10000));
        QVERIFY(!onWindowThread);
        QVERIFY(doneOnWindowThread);
        QVERIFY(doneWithoutError);
        QCOMPARE(host.hidden, 1);
        QCOMPARE(host.ended, 1);
        QVERIFY(!UnitOperation::anyRunning());
        QVERIFY(second.start("x", "y", [] {}, {}));
        QVERIFY(second.waitForEnd(10000));
    }

    void anExceptionComesBackWithItsText()
    {
        RecordingHost host;
        UnitOperation operation(host);
        QString text;
        QVERIFY(operation.start("c", "t",
                                [] {
                                    throw std::runtime_error(
                                        "Error C_DspFlashAccess::SendFlashData() FinOrder Ack error");
                                },
                                [&](std::exception_ptr error) { text = UnitOperation::messageOf(error); }));
        QVERIFY(operation.waitForEnd(10000));
        QCOMPARE(text, QString("Error C_DspFlashAccess::SendFlashData() FinOrder Ack error"));
        QCOMPARE(host.hidden, 1);
        QVERIFY(!UnitOperation::anyRunning());
    }

    void aPageThatGoesWaitsForItsOperation()
    {
        RecordingHost host;
        std::atomic<bool> finished{false};
        bool reported = false;
        {
            UnitOperation operation(host);
            QVERIFY(operation.start("c", "t",
                                    [&] {
                                        QThread::msleep(50);
                                        finished = true;
                                    },
                                    [&](std::exception_ptr) { reported = true; }));
        }
        QVERIFY(finished);
        QVERIFY(!reported);
        QCOMPARE(host.hidden, 1);
        QVERIFY(!UnitOperation::anyRunning());
        // The end posted by the finished work is dropped with the operation.
        QCoreApplication::processEvents();
        QVERIFY(!reported);
    }
};

QTEST_MAIN(UnitOperationTest)
#include "UnitOperationTest.moc"
