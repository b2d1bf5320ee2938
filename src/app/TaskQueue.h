#pragma once

// The owner thread's queue of a program without a window: other threads
// post tasks, the owner runs them one by one in the order they came, as a
// window's event loop runs its queued calls.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class TaskQueue {
public:
    using Task = std::function<void()>;

    // From any thread.
    void post(Task task)
    {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        arrived_.notify_one();
    }

    // On the owner thread: runs the next task, waiting up to timeout for
    // one; false when none came.
    bool runNext(std::chrono::milliseconds timeout)
    {
        Task task;
        {
            std::unique_lock lock(mutex_);
            if (!arrived_.wait_for(lock, timeout, [this] { return !tasks_.empty(); })) return false;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        // Outside the lock: a task may post again.
        task();
        return true;
    }

    // A function that posts to this queue, for the places that take one.
    std::function<void(Task)> poster()
    {
        return [this](Task task) { post(std::move(task)); };
    }

private:
    // Protects tasks_.
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Task> tasks_;
};
