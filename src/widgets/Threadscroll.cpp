#include "Threadscroll.h"

#include <QMetaObject>
#include <QObject>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

#include "RepeatSchedule.h"

struct TThreadScroll::Shared {
    // Outlives the thread: its owner destroys this object before itself.
    QObject* context = nullptr;
    std::function<bool()> step;

    // Guards ended and stepDone; the condition wakes the thread for either.
    std::mutex mutex;
    std::condition_variable wake;
    bool ended = false;
    bool stepDone = false;
};

TThreadScroll::TThreadScroll(QObject* context, std::function<bool()> step) : shared_(std::make_shared<Shared>())
{
    shared_->context = context;
    shared_->step = std::move(step);
    try {
        thread_ = std::thread(&TThreadScroll::work, shared_);
    } catch (const std::system_error&) {
        // Without a thread the button still steps once per click; holding it
        // simply does not repeat.
        shared_->ended = true;
    }
}

TThreadScroll::~TThreadScroll()
{
    Terminate();
    if (thread_.joinable()) thread_.join();
}

bool TThreadScroll::running() const
{
    std::lock_guard lock(shared_->mutex);
    return !shared_->ended;
}

void TThreadScroll::Terminate()
{
    {
        std::lock_guard lock(shared_->mutex);
        shared_->ended = true;
    }
    shared_->wake.notify_all();
}

void TThreadScroll::work(std::shared_ptr<Shared> shared)
{
    int pauseMs = RepeatSchedule::FirstPauseMs;
    std::unique_lock lock(shared->mutex);
    for (;;) {
        if (shared->wake.wait_for(lock, std::chrono::milliseconds(pauseMs), [&] { return shared->ended; })) return;
        pauseMs = RepeatSchedule::nextPauseMs(pauseMs);

        shared->stepDone = false;
        QMetaObject::invokeMethod(
            shared->context,
            [shared] {
                {
                    std::lock_guard stepLock(shared->mutex);
                    if (shared->ended) return;
                }
                // Run without the lock: the step may end the repeat itself
                // (through the owner), which takes the lock.
                const bool goOn = shared->step();
                {
                    std::lock_guard stepLock(shared->mutex);
                    if (!goOn) shared->ended = true;
                    shared->stepDone = true;
                }
                shared->wake.notify_all();
            },
            Qt::QueuedConnection);
        shared->wake.wait(lock, [&] { return shared->ended || shared->stepDone; });
        if (shared->ended) return;
    }
}
