#include "MeasurementMessages.h"

#include "UserMessages.h"

std::optional<MeasurementMessage> MeasurementMessages::next(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return std::nullopt;
    MeasurementMessage message = std::move(queue_.front());
    queue_.pop_front();
    return message;
}

void MeasurementMessages::post(MeasurementMessage message)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(message));
    }
    arrived_.notify_one();
}

void MeasurementMessages::scanCompleted(std::string chartTitle)
{
    post({MeasurementMessage::Kind::ScanCompleted, 0, std::move(chartTitle)});
}

void MeasurementMessages::measurementEnded() { post({MeasurementMessage::Kind::MeasurementEnded, 0, {}}); }

void MeasurementMessages::samplingStepChanged(int samplingStepPm)
{
    post({MeasurementMessage::Kind::SamplingStepChanged, samplingStepPm, {}});
}

void MeasurementMessages::statusMessage(int severity, std::string text)
{
    post({MeasurementMessage::Kind::Status, severity, std::move(text)});
}

void MeasurementMessages::waitBeforeNextScan() { post({MeasurementMessage::Kind::WaitBeforeNextScan, 0, {}}); }

void MeasurementMessages::saveContinuousScan(std::string fileName)
{
    post({MeasurementMessage::Kind::SaveContinuousScan, 0, std::move(fileName)});
}

void MeasurementMessages::resolutionWarning(const std::string& caption, const std::string& text)
{
    UserMessages::show(UserMessages::Severity::Warning, caption, text);
}
