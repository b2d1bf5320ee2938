#include "Passband_Values.h"

#include "Log.h"

void Passband_Values::Add(int channel, const Passband_Value& record)
{
    const auto held = current_.find(channel);
    if (held != current_.end()) {
        // Two detections of one curve fell into the same grid channel.
        duplicate_[channel] = true;
        const float oldPeak = held->second[Passband_Value::PeakLevel];
        const float newPeak = record[Passband_Value::PeakLevel];
        Log::debug("current = %.3f  new = %.3f\n", oldPeak, newPeak);
        if (!(oldPeak < newPeak)) return;
    } else {
        duplicate_[channel] = false;
    }
    Log::debug("Passband_Values::Add %.3f\n", record[Passband_Value::PeakLevel]);
    current_[channel] = record;
    channels_.insert(channel);
}

void Passband_Values::fold()
{
    for (const auto& [channel, record] : current_) {
        const auto [low, newLow] = min_.try_emplace(channel, record);
        const auto [high, newHigh] = max_.try_emplace(channel, record);
        for (std::size_t k = 0; k < Passband_Value::figureCount; ++k) {
            // On ties the older value stays.
            if (!newLow && record.values[k] < low->second.values[k]) low->second.values[k] = record.values[k];
            if (!newHigh && record.values[k] > high->second.values[k]) high->second.values[k] = record.values[k];
        }
    }
}

void Passband_Values::setCurrent(int channel, const Passband_Value& record)
{
    current_[channel] = record;
    channels_.insert(channel);
}

void Passband_Values::setMin(int channel, const Passband_Value& record)
{
    min_[channel] = record;
    channels_.insert(channel);
}

void Passband_Values::setMax(int channel, const Passband_Value& record)
{
    max_[channel] = record;
    channels_.insert(channel);
}

bool Passband_Values::duplicate(int channel) const
{
    const auto it = duplicate_.find(channel);
    return it != duplicate_.end() && it->second;
}

const Passband_Value* Passband_Values::find(const Records& records, int channel)
{
    const auto it = records.find(channel);
    return it == records.end() ? nullptr : &it->second;
}
