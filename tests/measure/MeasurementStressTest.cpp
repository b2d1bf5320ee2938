// A continuous run of 20 scans with no delay while the owner's thread keeps
// reading what was published the way the window does: every curve reduced
// to pixels, envelopes included, and the passband analysis of the trace;
// meanwhile a third thread reads the raw result of the latest published
// snapshot. Run under ThreadSanitizer (VEMAR_SANITIZE_THREAD) it shows
// whether the measurement thread and its readers share anything unguarded.

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "MeasurementFixture.h"
#include "MeasurementSession.h"
#include "Passband.h"
#include "PixelReduction.h"
#include "TaskQueue.h"

namespace {

// The window: the session posts the thread's messages to its queue, which
// this test's thread runs between its redraws.
class Window : public MeasurementView {
public:
    explicit Window(MeasurementSession& session) : session_(session) {}

    void scanCompleted(ScanTrace&, const ScanSnapshotPtr& scan) override
    {
        ++completed;
        std::lock_guard lock(latestMutex_);
        latest_ = scan;
    }
    void measurementEnded() override { ended = true; }
    void samplingStepChanged(int) override {}
    void statusMessage(const MeasurementStatus&) override {}
    void waitBeforeNextScan() override { session_.Continue(); }
    void saveContinuousScan(const std::string&) override { session_.Continue(); }
    void resolutionWarning(const std::string&, const std::string&) override {}

    ScanSnapshotPtr latest() const
    {
        std::lock_guard lock(latestMutex_);
        return latest_;
    }

    int completed = 0;
    bool ended = false;

private:
    MeasurementSession& session_;
    // Protects latest_, handed to the third reader.
    mutable std::mutex latestMutex_;
    ScanSnapshotPtr latest_;
};

class MeasurementStressTest : public MeasurementTest {};

TEST_F(MeasurementStressTest, WindowReadsThePublishedScansWhileTheRunGoesOn)
{
    constexpr int scans = 20;
    SessionSetup setup;
    setup.sources = &sources;
    setup.documentsFolder = documents.str();
    MeasurementSession session(setup);
    session.setIdentity(identity);
    addSource(0, 1240.0, 1680.0);
    setScanRange(1545.0, 1555.0);
    ApplicationConfig& settings = session.settings();
    settings.samplingStep = 5;
    settings.scanParameters.enable2 = settings.scanParameters.enable3 = settings.scanParameters.enable4 = 1;
    settings.measurementType = 1;
    settings.scanLimitEnabled = true;
    settings.scanLimit = scans;
    settings.scanDelay = 0;
    Passband passband(session.scans());

    Window window(session);
    TaskQueue owner;
    ScanTrace& lastScan = session.start(window, owner.poster());

    // A reader of the snapshots themselves, on a thread of its own.
    std::atomic<bool> stop{false};
    std::atomic<int> snapshotReads{0};
    std::thread reader([&] {
        double sum = 0.0;
        while (!stop) {
            if (const ScanSnapshotPtr scan = window.latest()) {
                for (const double nm : scan->result.wavelength) sum += nm;
                ++snapshotReads;
            }
            std::this_thread::yield();
        }
        EXPECT_GT(sum, 0.0);
    });

    int reads = 0;
    std::size_t channelsFound = 0;
    std::vector<PlotPoint> points;
    EnvelopeSeries envelopes;
    const PixelAxis axis{1545.0, 1555.0, 800};
    while (!window.ended) {
        owner.runNext(std::chrono::milliseconds(window.completed > 0 ? 0 : 50));
        if (window.completed == 0) continue;
        // What a zoom, a resize or a refresh of the window does.
        for (int c = 0; c < lastScan.CurveCount(); ++c) {
            reduceCurve(*lastScan.CurveAt(c), false, axis, points);
            reduceEnvelopes(*lastScan.CurveAt(c), false, axis, envelopes);
        }
        passband.analyse();
        channelsFound = passband.results().allChannels().size();
        ++reads;
    }
    stop = true;
    reader.join();

    EXPECT_FALSE(session.running());
    EXPECT_EQ(window.completed, scans);
    EXPECT_GT(reads, scans);
    EXPECT_GT(snapshotReads.load(), 0);
    EXPECT_EQ(lastScan.FindCurve("1")->data().nbScan(), scans);
    EXPECT_FALSE(points.empty());
    // The multiplexer's channels over 1545 to 1555 nm, 100 GHz apart.
    EXPECT_GE(channelsFound, 10u);
}

}  // namespace
