#pragma once

// The window's PostToOwner: each task the measurement session posts from the
// measurement thread becomes a queued call on the thread of a QObject (the
// main window), run by its event loop in the order posted, the way the
// measurement's messages reach the window. Calls still queued when the
// object goes are dropped with it; the object must outlive the session (a
// window owning its session does).

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <utility>

#include "MeasurementSession.h"

inline PostToOwner queuedTo(QObject* context)
{
    return [context](std::function<void()> task) {
        QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
    };
}
