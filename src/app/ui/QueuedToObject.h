#pragma once

// The window's PostToOwner: each task the measurement session posts from the
// measurement thread becomes an event for a small receiver living on the
// thread of a QObject (the main window), run by its event loop in the order
// posted, the way the measurement's messages reach the window. The event
// owns the task, so the task runs and is destroyed on the window's thread:
// nothing the task holds (texts, a scan snapshot, the run it refers to) is
// released on the measurement thread after the window has used it. Events
// still queued when the object goes are dropped with its receiver; the
// object must outlive the session (a window owning its session does).

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <utility>

#include "MeasurementSession.h"

namespace queuedtoobject {

// Qt's event queue orders a posted event before its delivery with a lock of
// its own, which the thread sanitizer cannot see (Qt is not built with it),
// so every task would be reported as a race between its poster and the
// window. The poster's release on this counter after building the event and
// the receiver's acquire before reading it state the same order where the
// sanitizer sees it; it costs one atomic increment per task.
inline std::atomic<unsigned> postedTasks{0};

class TaskEvent : public QEvent {
public:
    explicit TaskEvent(std::function<void()> task) : QEvent(type()), task_(std::move(task)) {}
    static QEvent::Type type()
    {
        static const int registered = QEvent::registerEventType();
        return static_cast<QEvent::Type>(registered);
    }
    void run() const
    {
        if (task_) task_();
    }

private:
    std::function<void()> task_;
};

// A child of the context object, so it lives on the context's thread and
// goes with it.
class TaskReceiver : public QObject {
public:
    static constexpr const char* name = "QueuedTaskReceiver";
    explicit TaskReceiver(QObject* context) : QObject(context) { setObjectName(name); }

    static TaskReceiver* of(QObject* context)
    {
        for (QObject* child : context->children())
            if (child->objectName() == QLatin1String(name))
                if (auto* receiver = dynamic_cast<TaskReceiver*>(child)) return receiver;
        return new TaskReceiver(context);
    }

protected:
    bool event(QEvent* e) override
    {
        postedTasks.load(std::memory_order_acquire);
        if (e->type() != TaskEvent::type()) return QObject::event(e);
        static_cast<TaskEvent*>(e)->run();
        return true;
    }
};

}  // namespace queuedtoobject

// Called on the context's thread; the function it returns may be called
// from any thread.
inline PostToOwner queuedTo(QObject* context)
{
    QObject* receiver = queuedtoobject::TaskReceiver::of(context);
    return [receiver](std::function<void()> task) {
        auto* event = new queuedtoobject::TaskEvent(std::move(task));
        queuedtoobject::postedTasks.fetch_add(1, std::memory_order_release);
        QCoreApplication::postEvent(receiver, event);
    };
}
