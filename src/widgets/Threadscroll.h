#pragma once

// The repeat of a held up/down button. The thread only waits: after each
// pause of the repeat schedule it hands one step to the user-interface
// thread (the thread of `context`) and waits until that step has run, so
// every value change happens on the user-interface thread and steps never
// pile up in its queue. The owner ends the repeat by destroying the object,
// which wakes the thread and joins it; a step still queued at that moment is
// dropped unrun.
//
// The press that starts a repeat makes its own first step (so that a short
// click always gives exactly one); the thread makes the following ones.

#include <functional>
#include <memory>
#include <thread>

class QObject;

class TThreadScroll {
public:
    // step runs on the context's thread; it returns false when the repeat
    // must end (the button is no longer held). The context must outlive
    // this object.
    TThreadScroll(QObject* context, std::function<bool()> step);
    ~TThreadScroll();

    TThreadScroll(const TThreadScroll&) = delete;
    TThreadScroll& operator=(const TThreadScroll&) = delete;

    // True until the repeat ended, by a step returning false or by Terminate.
    bool running() const;

    // Tells the thread to end without waiting for it.
    void Terminate();

private:
    struct Shared;
    static void work(std::shared_ptr<Shared> shared);

    // Shared with the thread and with the steps in flight on the UI queue,
    // which may outlive this object by a few events.
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};
