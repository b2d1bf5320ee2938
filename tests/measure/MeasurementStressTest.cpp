// A continuous run of 20 scans with no delay while the owner's thread keeps
// reading what was published the way the window does: every curve reduced
// to pixels, envelopes included, and the passband analysis of the trace.
// Run under ThreadSanitizer (VEMAR_SANITIZE_THREAD) it shows whether the
// measurement thread and the window share anything unguarded.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "MeasurementFixture.h"
#include "Passband.h"
#include "PixelReduction.h"
#include "Scanmanager.h"

namespace {

// The window's message queue: the thread posts, the owner takes.
class QueuedListener : public MeasurementListener {
public:
    struct Message {
        std::string kind;
    };
    std::optional<Message> next(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        if (!arrived_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return std::nullopt;
        Message m = queue_.front();
        queue_.pop_front();
        return m;
    }
    void scanCompleted(std::string) override { post("completed"); }
    void measurementEnded() override { post("ended"); }
    void samplingStepChanged(int) override { post("step"); }
    void statusMessage(int, std::string) override { post("status"); }
    void waitBeforeNextScan() override { post("wait"); }
    void saveContinuousScan(std::string) override { post("save"); }

private:
    void post(std::string kind)
    {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back({std::move(kind)});
        }
        arrived_.notify_one();
    }
    // Protects queue_.
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Message> queue_;
};

class MeasurementStressTest : public MeasurementTest {};

TEST_F(MeasurementStressTest, WindowReadsThePublishedScansWhileTheRunGoesOn)
{
    constexpr int scans = 20;
    addSource(0, 1240.0, 1680.0);
    setScanRange(1545.0, 1555.0);
    settings->samplingStep = 5;
    settings->scanParameters.samplingStep = 5;
    settings->measurementType = 1;
    settings->scanLimitEnabled = true;
    settings->scanLimit = scans;
    settings->scanDelay = 0;

    ScanManager store(nullptr, nullptr, nullptr);
    ScanTrace& lastScan = store.NewTrace(nullptr);
    lastScan.setName("Last Scan");
    for (const char* name : {"1", "2", "3", "4"}) lastScan.AddCurve(name, true);
    Passband passband(store);

    QueuedListener listener;
    int completed = 0;
    int reads = 0;
    std::size_t channelsFound = 0;
    std::vector<PlotPoint> points;
    EnvelopeSeries envelopes;
    const PixelAxis axis{1545.0, 1555.0, 800};
    {
        ThreadMeasurement thread(listener, sources, *settings, identity, lastScan);
        bool ended = false;
        while (!ended) {
            if (const auto m = listener.next(std::chrono::milliseconds(completed > 0 ? 0 : 50))) {
                if (m->kind == "completed") ++completed;
                if (m->kind == "wait" || m->kind == "save") thread.Continue();
                if (m->kind == "ended") ended = true;
            }
            if (completed == 0) continue;
            // What a zoom, a resize or a refresh of the window does.
            for (int c = 0; c < lastScan.CurveCount(); ++c) {
                reduceCurve(*lastScan.CurveAt(c), false, axis, points);
                reduceEnvelopes(*lastScan.CurveAt(c), false, axis, envelopes);
            }
            passband.analyse();
            channelsFound = passband.results().allChannels().size();
            ++reads;
        }
    }
    EXPECT_EQ(completed, scans);
    EXPECT_GT(reads, scans);
    EXPECT_EQ(lastScan.FindCurve("1")->data().nbScan(), scans);
    EXPECT_FALSE(points.empty());
    // The multiplexer's channels over 1545 to 1555 nm, 100 GHz apart.
    EXPECT_GE(channelsFound, 10u);
}

}  // namespace
