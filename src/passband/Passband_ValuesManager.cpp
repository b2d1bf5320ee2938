#include "Passband_ValuesManager.h"

void Passband_ValuesManager::beginAnalysis()
{
    for (auto& [name, values] : traces_) values->clearCurrent();
}

void Passband_ValuesManager::add(const std::string& name, int channel, const Passband_Value& record)
{
    auto& values = traces_[name];
    if (!values) values = std::make_unique<Passband_Values>();
    values->Add(channel, record);
}

void Passband_ValuesManager::fold()
{
    for (auto& [name, values] : traces_) values->fold();
}

void Passband_ValuesManager::replace(const std::string& name, std::unique_ptr<Passband_Values> values)
{
    traces_[name] = std::move(values);
}

std::set<int> Passband_ValuesManager::allChannels() const
{
    std::set<int> all;
    for (const auto& [name, values] : traces_) all.insert(values->channels().begin(), values->channels().end());
    return all;
}

const Passband_Values* Passband_ValuesManager::trace(const std::string& name) const
{
    const auto it = traces_.find(name);
    return it == traces_.end() ? nullptr : it->second.get();
}

std::vector<Passband_ValuesManager::Row> Passband_ValuesManager::rows() const
{
    std::vector<Row> list;
    for (const int channel : allChannels())
        for (const auto& [name, values] : traces_)
            if (values->minOf(channel) != nullptr) list.push_back({channel, &name, values.get()});
    return list;
}
