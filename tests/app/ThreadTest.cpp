#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "Thread.h"

namespace {

using namespace std::chrono_literals;

// A worker that runs until it is released or asked to cancel.
class GatedWorker : public Thread {
public:
    ~GatedWorker() override { wait(); }
    void release()
    {
        std::lock_guard lock(m_);
        released_ = true;
        cv_.notify_all();
    }
    std::atomic<int> runs{0};
    std::atomic<bool> sawCancel{false};

protected:
    void Execute() override
    {
        ++runs;
        std::unique_lock lock(m_);
        while (!released_ && !cancelRequested()) cv_.wait_for(lock, 1ms);
        sawCancel = cancelRequested();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool released_ = false;
};

TEST(ThreadTest, WorkStartsOnlyOnResumeAndRunsOnce)
{
    GatedWorker w;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(w.runs.load(), 0);
    EXPECT_FALSE(w.started());
    EXPECT_EQ(w.exitCode(), Thread::StillActive);

    ASSERT_TRUE(w.resume());
    ASSERT_TRUE(w.resume());  // a second resume starts nothing new
    w.release();
    w.wait();
    EXPECT_EQ(w.runs.load(), 1);
    EXPECT_TRUE(w.finished());
    EXPECT_EQ(w.exitCode(), Thread::Completed);
}

TEST(ThreadTest, ExitCodeStaysActiveWhileTheWorkRuns)
{
    GatedWorker w;
    w.resume();
    while (w.runs.load() == 0) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(w.exitCode(), Thread::StillActive);
    EXPECT_FALSE(w.finished());
    w.release();
    w.wait();
    EXPECT_EQ(w.exitCode(), Thread::Completed);
}

TEST(ThreadTest, CancelRequestReachesTheWorkAndResumesANeverStartedWorker)
{
    GatedWorker w;
    w.requestCancel();
    w.wait();
    EXPECT_TRUE(w.cancelRequested());
    EXPECT_TRUE(w.sawCancel.load());
    EXPECT_TRUE(w.finished());
}

TEST(ThreadTest, DestructionWaitsForTheWork)
{
    std::atomic<bool> done{false};
    class Slow : public Thread {
    public:
        explicit Slow(std::atomic<bool>& d) : done_(d) {}
        ~Slow() override { wait(); }

    protected:
        void Execute() override
        {
            std::this_thread::sleep_for(50ms);
            done_ = true;
        }

    private:
        std::atomic<bool>& done_;
    };
    {
        Slow s(done);
        s.resume();
    }
    EXPECT_TRUE(done.load());
}

TEST(ThreadTest, NeverResumedWorkerIsDestroyedWithoutRunning)
{
    std::atomic<int> runs{0};
    class Counting : public Thread {
    public:
        explicit Counting(std::atomic<int>& r) : runs_(r) {}
        ~Counting() override { wait(); }

    protected:
        void Execute() override { ++runs_; }

    private:
        std::atomic<int>& runs_;
    };
    { Counting c(runs); }
    EXPECT_EQ(runs.load(), 0);
}

}  // namespace
