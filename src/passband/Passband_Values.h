#pragma once

// The results of one curve name: the records of the latest analysis, the
// field-wise minimum and maximum over all analyses since the last clear, the
// duplicate flag of each channel and every channel ever stored.

#include <map>
#include <set>

#include "Passband_Value.h"

class Passband_Values {
public:
    using Records = std::map<int, Passband_Value>;

    // Stores a record of the latest analysis. A second record for a channel
    // already held marks the channel as duplicate; the one with the higher
    // peak level stays.
    void Add(int channel, const Passband_Value& record);
    // Extends min and max with the current records.
    void fold();
    void clearCurrent() { current_.clear(); }

    // Loading from a result file fills the maps directly.
    void setCurrent(int channel, const Passband_Value& record);
    void setMin(int channel, const Passband_Value& record);
    void setMax(int channel, const Passband_Value& record);
    void setDuplicate(int channel, bool flag) { duplicate_[channel] = flag; }

    const Records& current() const { return current_; }
    const Records& min() const { return min_; }
    const Records& max() const { return max_; }
    const std::map<int, bool>& duplicateFlags() const { return duplicate_; }
    const std::set<int>& channels() const { return channels_; }

    // nullptr when the map has no record for the channel.
    const Passband_Value* currentOf(int channel) const { return find(current_, channel); }
    const Passband_Value* minOf(int channel) const { return find(min_, channel); }
    const Passband_Value* maxOf(int channel) const { return find(max_, channel); }
    bool duplicate(int channel) const;

private:
    static const Passband_Value* find(const Records& records, int channel);

    Records current_;
    Records min_;
    Records max_;
    std::map<int, bool> duplicate_;
    std::set<int> channels_;
};
