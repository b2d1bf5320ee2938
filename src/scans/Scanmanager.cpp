#include "Scanmanager.h"

ScanManager::ScanManager(ScanForm* form, ScanChart* chart, const SourceConfigurationView* liveConfiguration)
    : form_(form), chart_(chart), emptyTrace_(std::make_unique<ScanTrace>(form, chart, liveConfiguration))
{
}

ScanManager::~ScanManager() = default;

ScanTrace& ScanManager::NewTrace(const SourceConfigurationView* configuration)
{
    traces_.push_back(std::make_unique<ScanTrace>(form_, chart_, configuration));
    Select(Count() - 1);
    return *traces_.back();
}

ScanTrace& ScanManager::Select(int index)
{
    if (index != current_ && index >= -1 && index < Count()) {
        if (current_ >= 0) traces_[static_cast<std::size_t>(current_)]->SetSelected(false);
        current_ = index;
        if (current_ >= 0) traces_[static_cast<std::size_t>(current_)]->SetSelected(true);
    }
    return Current();
}

ScanTrace& ScanManager::Current()
{
    return Get(current_);
}

const ScanTrace& ScanManager::Current() const
{
    return Get(current_);
}

ScanTrace& ScanManager::Get(int index)
{
    if (index < 0 || index >= Count()) return *emptyTrace_;
    return *traces_[static_cast<std::size_t>(index)];
}

const ScanTrace& ScanManager::Get(int index) const
{
    return const_cast<ScanManager*>(this)->Get(index);
}

void ScanManager::DeleteCurrent()
{
    if (current_ < 0) return;
    traces_.erase(traces_.begin() + current_);
    current_ = -1;
    if (!traces_.empty()) Select(0);
}

void ScanManager::RedrawAll() const
{
    for (const auto& trace : traces_) trace->RedrawAll();
}
