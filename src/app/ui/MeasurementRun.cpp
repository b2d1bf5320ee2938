#include "MeasurementRun.h"

#include <QMetaObject>
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Applicationconfig.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"
#include "ThreadMeasurement.h"

bool fillMeasurementFields(ApplicationConfig& settings, ConfLaser& sources, const MeasurementFields& fields)
{
    sources.UpdateActiveRange();
    if (sources.firstActive >= ConfLaser::sourceCount) return false;
    ScanParameterBlock& block = settings.scanParameters;
    block.flagA = 1;
    block.flagB = 1;
    block.inputIndex = static_cast<std::int16_t>(sources.firstActive);
    block.lastInputIndex = static_cast<std::int16_t>(sources.endActive - 1);
    block.flagC = 0;
    block.flagD = 1;
    block.precise = fields.precise ? 1 : 0;
    block.samplingStep = static_cast<std::int16_t>(settings.samplingStep);
    block.acquisitionMode = static_cast<std::int16_t>(fields.acquisitionMode);
    return true;
}

ScanTrace& lastScanTrace(ScanManager& scans, const SourceConfigurationView& liveConfiguration,
                         const ApplicationConfig& settings, bool* created)
{
    int found = -1;
    for (int i = 0; i < scans.Count() && found < 0; ++i)
        if (scans.Get(i).name() == lastScanName) found = i;
    ScanTrace* trace = nullptr;
    if (created != nullptr) *created = found < 0;
    if (found >= 0) {
        trace = &scans.Select(found);
    } else {
        trace = &scans.NewTrace(&liveConfiguration);
        trace->setName(lastScanName);
    }
    const ScanParameterBlock& block = settings.scanParameters;
    const bool continuous = settings.measurementType == 1;
    const std::array<std::pair<const char*, bool>, 6> inputs = {{
        {"1", true},
        {"2", block.enable2 != 0},
        {"3", block.enable3 != 0},
        {"4", block.enable4 != 0},
        {"Ext", block.enableExt != 0},
        {"Orl", block.enableOrl != 0},
    }};
    for (const auto& [name, enabled] : inputs) {
        if (enabled)
            trace->AddCurve(name, continuous);
        else
            trace->RemoveCurve(name);
    }
    return *trace;
}

// Posts every call of the measurement thread to the receiver's thread.
// Queued calls to one receiver run in the order they were posted.
class MeasurementRun::Listener : public MeasurementListener {
public:
    Listener(QObject& receiver, MeasurementMessageTarget& target) : receiver_(&receiver), target_(target) {}

    void scanCompleted(std::string) override
    {
        post([](MeasurementMessageTarget& t) { t.scanCompleted(); });
    }
    void measurementEnded() override
    {
        post([](MeasurementMessageTarget& t) { t.measurementEnded(); });
    }
    void samplingStepChanged(int step) override
    {
        post([step](MeasurementMessageTarget& t) { t.samplingStepChanged(step); });
    }
    void statusMessage(int severity, std::string text) override
    {
        post([severity, text = QString::fromStdString(text)](MeasurementMessageTarget& t) {
            t.statusMessage(severity, text);
        });
    }
    void waitBeforeNextScan() override
    {
        post([](MeasurementMessageTarget& t) { t.waitBeforeNextScan(); });
    }
    void saveContinuousScan(std::string fileName) override
    {
        post([fileName = std::move(fileName)](MeasurementMessageTarget& t) { t.saveContinuousScan(fileName); });
    }
    void resolutionWarning(const std::string& caption, const std::string& text) override
    {
        // The thread goes on once the box was closed, or once its owner
        // gives up on it (the window is going away).
        {
            std::lock_guard lock(mutex_);
            boxOpen_ = true;
        }
        post([this, caption = QString::fromStdString(caption),
              text = QString::fromStdString(text)](MeasurementMessageTarget& t) {
            t.resolutionWarning(caption, text);
            closeBox();
        });
        std::unique_lock lock(mutex_);
        closed_.wait(lock, [this] { return !boxOpen_ || abandoned_; });
    }

    // No box will be closed any more: a waiting thread goes on.
    void abandon()
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        closed_.notify_all();
    }

private:
    template <typename Call>
    void post(Call call)
    {
        QObject* receiver = receiver_.data();
        if (receiver == nullptr) return;
        QMetaObject::invokeMethod(
            receiver,
            [guard = receiver_, target = &target_, call = std::move(call)] {
                if (guard) call(*target);
            },
            Qt::QueuedConnection);
    }

    void closeBox()
    {
        std::lock_guard lock(mutex_);
        boxOpen_ = false;
        closed_.notify_all();
    }

    QPointer<QObject> receiver_;
    MeasurementMessageTarget& target_;
    // Protects boxOpen_ and abandoned_.
    std::mutex mutex_;
    std::condition_variable closed_;
    bool boxOpen_ = false;
    bool abandoned_ = false;
};

MeasurementRun::MeasurementRun(QObject& receiver, MeasurementMessageTarget& target, ConfLaser& sources,
                               ApplicationConfig& settings, const IdentityRecord& identity, ScanTrace& trace)
    : listener_(std::make_unique<Listener>(receiver, target))
{
    thread_ = std::make_unique<ThreadMeasurement>(*listener_, sources, settings, identity, trace);
}

MeasurementRun::~MeasurementRun()
{
    // The thread first: it calls the listener until it ends.
    listener_->abandon();
    thread_.reset();
}

void MeasurementRun::requestCancel() { thread_->requestCancel(); }
void MeasurementRun::markLast() { thread_->markLast(); }
void MeasurementRun::Continue() { thread_->Continue(); }
bool MeasurementRun::finished() const { return thread_->finished(); }

bool MeasurementRun::waitForEnd(int timeoutMs) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!thread_->finished()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
