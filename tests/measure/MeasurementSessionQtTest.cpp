// A measurement of the session delivered as the window receives it: queued
// calls on the window object's thread, run by its event loop.

#include <QCoreApplication>
#include <QObject>

#include <chrono>
#include <thread>

#include "MeasurementFixture.h"
#include "MeasurementSession.h"
#include "QueuedToObject.h"

namespace {

class EventLoopView : public MeasurementView {
public:
    explicit EventLoopView(MeasurementSession& session) : session_(session) {}
    void scanCompleted(ScanTrace& trace, const ScanSnapshotPtr&) override
    {
        note("completed");
        scanCount = trace.FindCurve("1")->data().nbScan();
    }
    void measurementEnded() override
    {
        note("ended");
        ended = true;
    }
    void samplingStepChanged(int) override { note("step"); }
    void statusMessage(const MeasurementStatus&) override { note("status"); }
    void waitBeforeNextScan() override
    {
        note("wait");
        session_.Continue();
    }
    void saveContinuousScan(const std::string&) override { session_.Continue(); }
    void resolutionWarning(const std::string&, const std::string&) override { note("resolution"); }

    std::vector<std::string> kinds;
    std::vector<std::thread::id> threads;
    int scanCount = 0;
    bool ended = false;

private:
    void note(const char* kind)
    {
        if (std::string(kind) != "status") kinds.push_back(kind);
        threads.push_back(std::this_thread::get_id());
    }
    MeasurementSession& session_;
};

class MeasurementSessionQtTest : public MeasurementTest {};

TEST_F(MeasurementSessionQtTest, MessagesArriveAsQueuedCallsOnTheWindowsThread)
{
    int argc = 0;
    QCoreApplication application(argc, nullptr);
    QObject window;
    SessionSetup setup;
    setup.sources = &sources;
    setup.documentsFolder = documents.str();
    MeasurementSession session(setup);
    session.setIdentity(identity);
    usePreset("patchcord");
    addSource(0, 1240.0, 1680.0);
    setScanRange(1549.0, 1551.0);
    session.settings().samplingStep = 1;
    session.settings().measurementType = 1;
    session.settings().scanLimitEnabled = true;
    session.settings().scanLimit = 2;

    EventLoopView view(session);
    session.start(view, queuedTo(&window));
    // The window's event loop.
    for (int i = 0; i < 30000 && !view.ended; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(view.ended);
    EXPECT_EQ(view.kinds, (std::vector<std::string>{"completed", "wait", "completed", "ended"}));
    for (const std::thread::id id : view.threads) EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_EQ(view.scanCount, 2);
    EXPECT_FALSE(session.running());
}

}  // namespace
