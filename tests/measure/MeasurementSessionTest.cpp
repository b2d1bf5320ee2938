// Measurements started through the session, as the window's start button
// and "vemar-cli scan" start them: the fields and the trace prepared at the
// start, every message delivered on the owner's thread in order with the
// session's own part done first, the stop button, the calibration read once.

#include <filesystem>
#include <thread>

#include "CurveChecks.h"
#include "FileUtil.h"
#include "MeasurementFixture.h"
#include "MeasurementSession.h"
#include "TaskQueue.h"

namespace {

using namespace curvecheck;
using Strings = std::vector<std::string>;

// A window: records what it hears and on which thread, and lets the thread
// go on at once after its pauses.
class RecordingView : public MeasurementView {
public:
    explicit RecordingView(MeasurementSession& session) : session_(session) {}

    void scanCompleted(ScanTrace& trace, const ScanSnapshotPtr& scan) override
    {
        note("completed");
        traces.push_back(&trace);
        scans.push_back(scan);
        nbScans.push_back(trace.FindCurve("1")->data().nbScan());
        if (onScanCompleted) onScanCompleted();
    }
    void measurementEnded() override
    {
        note("ended");
        runningAtEnd = session_.running();
    }
    void samplingStepChanged(int step) override
    {
        note("step");
        stepInSettings = session_.settings().scanParameters.samplingStep;
        EXPECT_EQ(step, session_.settings().samplingStep);
    }
    void statusMessage(const MeasurementStatus& status) override
    {
        note("status");
        statuses.push_back(status);
    }
    void waitBeforeNextScan() override
    {
        note("wait");
        session_.Continue();
    }
    void saveContinuousScan(const std::string&) override
    {
        note("save");
        session_.Continue();
    }
    void resolutionWarning(const std::string&, const std::string& text) override
    {
        note("resolution");
        boxText = text;
    }

    Strings texts() const
    {
        Strings out;
        for (const auto& s : statuses) out.push_back(s.text);
        return out;
    }

    Strings kinds;
    std::vector<std::thread::id> threads;
    std::vector<MeasurementStatus> statuses;
    std::vector<ScanTrace*> traces;
    std::vector<ScanSnapshotPtr> scans;
    std::vector<int> nbScans;
    std::string boxText;
    int stepInSettings = 0;
    bool runningAtEnd = true;
    std::function<void()> onScanCompleted;

private:
    void note(const char* kind)
    {
        kinds.push_back(kind);
        threads.push_back(std::this_thread::get_id());
    }
    MeasurementSession& session_;
};

class MeasurementSessionTest : public MeasurementTest {
protected:
    void SetUp() override
    {
        MeasurementTest::SetUp();
        SessionSetup setup;
        setup.sources = &sources;
        setup.documentsFolder = documents.str();
        session = std::make_unique<MeasurementSession>(setup);
        session->setIdentity(identity);
        session->settings().samplingStep = 1;
        view = std::make_unique<RecordingView>(*session);
    }
    void TearDown() override
    {
        view.reset();
        session.reset();
        MeasurementTest::TearDown();
    }

    // The owner's loop: runs what the session posts until the measurement ends.
    void runToTheEnd()
    {
        for (int i = 0; i < 60000 && !ended(); ++i) owner.runNext(std::chrono::milliseconds(5));
        ASSERT_TRUE(ended());
    }
    bool ended() const { return !view->kinds.empty() && view->kinds.back() == "ended"; }

    Strings nonStatusKinds() const
    {
        Strings out;
        for (const auto& k : view->kinds)
            if (k != "status") out.push_back(k);
        return out;
    }

    TaskQueue owner;
    std::unique_ptr<MeasurementSession> session;
    std::unique_ptr<RecordingView> view;
};

TEST_F(MeasurementSessionTest, StartPreparesTheBlockAndTheLastScanTrace)
{
    usePreset("patchcord");
    addSource(0, 1240.0, 1680.0);
    addSource(1, 1240.0, 1680.0);
    sources.sources[0].enable = false;  // the first active source is TLS2
    setScanRange(1549.0, 1551.0);
    ApplicationConfig& settings = session->settings();
    settings.samplingStep = 7;
    ScanParameterBlock& block = settings.scanParameters;
    block.flagA = block.flagB = block.flagD = 0;
    block.flagC = 1;
    block.enable3 = 1;
    MeasurementStartOptions options;
    options.precise = true;
    options.acquisitionMode = 3;
    ScanTrace& trace = session->start(*view, owner.poster(), options);

    EXPECT_EQ(block.flagA, 1);
    EXPECT_EQ(block.flagB, 1);
    EXPECT_EQ(block.flagC, 0);
    EXPECT_EQ(block.flagD, 1);
    EXPECT_EQ(block.inputIndex, 1);
    EXPECT_EQ(block.lastInputIndex, 1);
    EXPECT_EQ(block.precise, 1);
    EXPECT_EQ(block.samplingStep, 7);
    EXPECT_EQ(block.acquisitionMode, 3);
    ASSERT_EQ(session->scans().Count(), 1);
    EXPECT_EQ(&session->scans().Current(), &trace);
    EXPECT_EQ(trace.name(), "Last Scan");
    ASSERT_EQ(trace.CurveCount(), 2);
    EXPECT_EQ(trace.CurveAt(0)->name(), "1");
    EXPECT_EQ(trace.CurveAt(1)->name(), "3");
    EXPECT_FALSE(trace.CurveAt(0)->hasEnvelopes());
    runToTheEnd();

    // The next measurement reuses the trace; its curves follow the inputs.
    block.enable3 = 0;
    block.enable2 = 1;
    settings.measurementType = 1;
    settings.scanLimitEnabled = true;
    settings.scanLimit = 1;
    view->kinds.clear();
    ScanTrace& again = session->start(*view, owner.poster());
    EXPECT_EQ(&again, &trace);
    EXPECT_EQ(session->scans().Count(), 1);
    ASSERT_EQ(trace.CurveCount(), 2);
    EXPECT_EQ(trace.CurveAt(1)->name(), "2");
    EXPECT_TRUE(trace.CurveAt(0)->hasEnvelopes());
    runToTheEnd();
}

TEST_F(MeasurementSessionTest, LastScanIsNullOnceTheStoreDeletedTheTrace)
{
    // "Clear &Current Scan" after a run deletes the trace; the session must
    // not hand out the freed trace afterwards, and the next start makes a
    // new "Last Scan".
    usePreset("patchcord");
    addSource(0, 1240.0, 1680.0);
    setScanRange(1549.0, 1551.0);
    ScanTrace& trace = session->start(*view, owner.poster());
    runToTheEnd();
    EXPECT_EQ(session->lastScan(), &trace);

    session->scans().DeleteCurrent();
    EXPECT_EQ(session->lastScan(), nullptr);

    view->kinds.clear();
    ScanTrace& again = session->start(*view, owner.poster());
    EXPECT_EQ(session->lastScan(), &again);
    EXPECT_EQ(session->scans().Count(), 1);
    runToTheEnd();
    EXPECT_EQ(again.name(), "Last Scan");
}

TEST_F(MeasurementSessionTest, EveryMessageReachesTheOwnersThreadInOrder)
{
    usePreset("patchcord");
    addSource(0, 1240.0, 1680.0);
    setScanRange(1549.0, 1551.0);
    ApplicationConfig& settings = session->settings();
    settings.measurementType = 1;
    settings.scanLimitEnabled = true;
    settings.scanLimit = 2;
    ScanTrace& trace = session->start(*view, owner.poster());
    EXPECT_TRUE(session->running());
    runToTheEnd();

    EXPECT_EQ(nonStatusKinds(), (Strings{"completed", "wait", "completed", "ended"}));
    for (const std::thread::id id : view->threads) EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_EQ(view->texts(), (Strings{"", "Source configuration", "Data acquisition", "", "Source configuration",
                                      "Data acquisition", ""}));
    // The texts of a clean scan carry its code; the progress texts none.
    EXPECT_FALSE(view->statuses[1].code.has_value());
    EXPECT_EQ(view->statuses[3].code, 0);
    // When the view hears of a scan, the trace already holds it.
    ASSERT_EQ(view->traces.size(), 2u);
    EXPECT_EQ(view->traces[0], &trace);
    EXPECT_EQ(view->nbScans, (std::vector<int>{1, 2}));
    EXPECT_EQ(view->scans[1]->index, 2);
    EXPECT_FALSE(view->scans[1]->firstOfRun);
    EXPECT_EQ(trace.result().sampleCount(), view->scans[1]->result.sampleCount());
    // The thread is gone before the view hears of the end.
    EXPECT_FALSE(view->runningAtEnd);
    EXPECT_FALSE(session->running());
}

TEST_F(MeasurementSessionTest, RaisedSamplingStepIsCopiedIntoTheSettings)
{
    // 1 pm over the whole band with four detectors: the memory holds 5 pm.
    addSource(0, 1240.0, 1680.0);
    setScanRange(1240.0, 1680.0);
    sources.speed = 100;
    ScanParameterBlock& block = session->settings().scanParameters;
    block.enable2 = block.enable3 = block.enable4 = 1;
    session->start(*view, owner.poster());
    runToTheEnd();

    // The box first (the thread waits for it), then the step.
    const Strings kinds = nonStatusKinds();
    ASSERT_GE(kinds.size(), 2u);
    EXPECT_EQ(kinds[0], "resolution");
    EXPECT_EQ(kinds[1], "step");
    EXPECT_NE(view->boxText.find("set to 5pm"), std::string::npos) << view->boxText;
    EXPECT_EQ(view->stepInSettings, 5);
    EXPECT_EQ(session->settings().samplingStep, 5);
    EXPECT_EQ(block.samplingStep, 5);
    ASSERT_EQ(view->scans.size(), 1u);
    EXPECT_EQ(view->scans[0]->samplingStepPm, 5);
}

TEST_F(MeasurementSessionTest, StopButton)
{
    usePreset("patchcord");
    addSource(0, 1240.0, 1680.0);
    setScanRange(1545.0, 1555.0);
    struct Case {
        const char* name;
        int measurementType;
        bool cancelled;  // the scan under way ends with the cancel text
    };
    const Case cases[] = {{"continuous: after the scan under way", 1, false}, {"single: cancelled", 0, true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        session->settings().measurementType = k.measurementType;
        session->settings().scanLimitEnabled = false;
        view = std::make_unique<RecordingView>(*session);
        // A sweep of 0.5 s of simulated time, 50 ms here: a stop while it
        // runs arrives in time.
        setTimeScale(k.cancelled ? 0.1 : defaultTimeScale);
        if (!k.cancelled) view->onScanCompleted = [this] { session->stop(); };
        session->start(*view, owner.poster());
        if (k.cancelled) {
            for (int i = 0; i < 60000; ++i) {
                owner.runNext(std::chrono::milliseconds(1));
                const Strings texts = view->texts();
                if (!texts.empty() && texts.back() == "Data acquisition") break;
            }
            session->stop();
        }
        runToTheEnd();
        if (k.cancelled) {
            EXPECT_TRUE(view->scans.empty());
            ASSERT_FALSE(view->statuses.empty());
            EXPECT_EQ(view->statuses.back().text, "The measurement has been canceled by the user");
            EXPECT_EQ(view->statuses.back().code, 1);
        } else {
            EXPECT_EQ(view->scans.size(), 1u);
            for (const auto& s : view->statuses) EXPECT_NE(s.severity, 2) << s.text;
        }
    }
}

TEST_F(MeasurementSessionTest, RefusedWithoutASourceInTheRange)
{
    addSource(0, 1240.0, 1300.0);
    setScanRange(1500.0, 1550.0);
    try {
        session->start(*view, owner.poster());
        FAIL() << "started";
    } catch (const MeasurementRefused& refused) {
        EXPECT_EQ(refused.reason(), MeasurementRefused::Reason::NoSourceInRange);
    }
    EXPECT_FALSE(session->running());
    EXPECT_EQ(session->scans().Count(), 0);
}

TEST_F(MeasurementSessionTest, ADamagedCalibrationFileRefusesTheStartAMissingOneIsAWarning)
{
    addSource(0, 1240.0, 1680.0);
    setScanRange(1544.0, 1556.0);
    const std::string path = session->settings().calibFolder + calibrationFileName(identity);
    const std::string good = readWholeFile(path);
    ASSERT_FALSE(good.empty());

    // One byte short would move every level: nothing starts, nothing changes.
    writeWholeFile(path, good.substr(0, good.size() - 1));
    try {
        session->start(*view, owner.poster());
        FAIL() << "started on a damaged calibration file";
    } catch (const MeasurementRefused& refused) {
        EXPECT_EQ(refused.reason(), MeasurementRefused::Reason::Calibration);
        EXPECT_NE(std::string(refused.what()).find(path), std::string::npos) << refused.what();
    }
    EXPECT_FALSE(session->running());
    EXPECT_EQ(session->scans().Count(), 0);

    // Without a file the levels are not calibrated: the run goes on, and the
    // operator hears it first.
    std::filesystem::remove(path);
    session->start(*view, owner.poster());
    runToTheEnd();
    ASSERT_FALSE(view->statuses.empty());
    EXPECT_EQ(view->statuses.front().severity, 1);
    EXPECT_EQ(view->statuses.front().text, "No calibration file " + path + ": the levels are not calibrated");
    EXPECT_EQ(view->scans.size(), 1u);
}

TEST_F(MeasurementSessionTest, CalibrationIsReadOnceAMeasurement)
{
    // The tables read at the start serve every pass: a file gone after the
    // first scan changes neither the start alignment nor the levels.
    addSource(0, 1240.0, 1680.0);
    setScanRange(1544.0, 1556.0);
    ApplicationConfig& settings = session->settings();
    settings.measurementType = 1;
    settings.scanLimitEnabled = true;
    settings.scanLimit = 2;
    ScanParameterBlock& block = settings.scanParameters;
    block.enable2 = block.enable3 = block.enable4 = 1;
    std::vector<double> shifts;
    view->onScanCompleted = [&] {
        shifts.push_back(sources.sources[0].startShift);
        for (const auto& entry : std::filesystem::directory_iterator(settings.calibFolder))
            if (entry.path().filename().string().rfind("File", 0) == 0) std::filesystem::remove(entry.path());
    };
    ScanTrace& trace = session->start(*view, owner.poster());
    runToTheEnd();
    ASSERT_EQ(shifts.size(), 2u);
    EXPECT_NE(shifts[0], 0.0);
    EXPECT_EQ(shifts[1], shifts[0]);
    int compared = 0;
    EXPECT_LT(passbandError(pointsOf(trace, "1"), 1, 0.5, compared), 0.05);
    EXPECT_GT(compared, 100);
}

TEST_F(MeasurementSessionTest, AbortStopsTheRunAtOnceAndDropsItsMessages)
{
    usePreset("patchcord");
    addSource(0, 1240.0, 1680.0);
    setScanRange(1549.0, 1551.0);
    session->settings().measurementType = 1;  // no limit: only a stop ends it
    session->start(*view, owner.poster());
    for (int i = 0; i < 60000 && view->scans.empty(); ++i) owner.runNext(std::chrono::milliseconds(1));
    ASSERT_FALSE(view->scans.empty());
    session->abort();
    EXPECT_FALSE(session->running());
    const std::size_t heard = view->kinds.size();
    while (owner.runNext(std::chrono::milliseconds(0))) {
    }
    EXPECT_EQ(view->kinds.size(), heard);
    // The session measures again.
    session->settings().measurementType = 0;
    session->start(*view, owner.poster());
    runToTheEnd();
    EXPECT_EQ(view->scans.size(), 2u);
}

TEST_F(MeasurementSessionTest, MessagesAfterTheSessionIsGoneDoNothing)
{
    usePreset("patchcord");
    addSource(0, 1240.0, 1680.0);
    setScanRange(1549.0, 1551.0);
    session->settings().measurementType = 1;  // no limit: only a stop ends it
    session->start(*view, owner.poster());
    for (int i = 0; i < 60000 && view->scans.empty(); ++i) owner.runNext(std::chrono::milliseconds(1));
    ASSERT_FALSE(view->scans.empty());
    // Going, the session stops the thread and waits for it.
    session.reset();
    const std::size_t heard = view->kinds.size();
    while (owner.runNext(std::chrono::milliseconds(0))) {
    }
    EXPECT_EQ(view->kinds.size(), heard);
}

}  // namespace
