#include "UnitOperation.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <atomic>
#include <stdexcept>
#include <utility>

#include "MaintenanceHost.h"
#include "QueuedToObject.h"

namespace {

// Set by the operation that runs, cleared on the window's thread when its
// end is handled; read by the window before it touches the unit.
std::atomic<bool> operationRunning{false};

}  // namespace

UnitOperation::UnitOperation(MaintenanceHost& host, QObject* parent) : QObject(parent), host_(host) {}

UnitOperation::~UnitOperation()
{
    if (worker_.joinable()) {
        // The page goes while the unit is worked on: the work cannot be cut
        // short without leaving the flash half-programmed, so it ends first.
        worker_.join();
        operationRunning = false;
        host_.hideWait();
    }
}

bool UnitOperation::anyRunning() { return operationRunning.load(); }

bool UnitOperation::start(const QString& caption, const QString& text, Work work, Done done)
{
    bool expected = false;
    if (!operationRunning.compare_exchange_strong(expected, true)) return false;
    done_ = std::move(done);
    host_.showWait(caption, text);
    const PostToOwner post = queuedTo(this);
    worker_ = std::thread([post, work = std::move(work), this] {
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        // Posted to this object's receiver: dropped if the object goes
        // first (its destructor joins this thread before that).
        post([this, error] { finished(error); });
    });
    return true;
}

void UnitOperation::finished(std::exception_ptr error)
{
    if (worker_.joinable()) worker_.join();
    operationRunning = false;
    host_.hideWait();
    Done done = std::move(done_);
    done_ = nullptr;
    if (done) done(error);
    host_.unitOperationEnded();
}

QString UnitOperation::messageOf(std::exception_ptr error)
{
    if (!error) return {};
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

bool UnitOperation::waitForEnd(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (worker_.joinable() || done_) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
