#pragma once

// The eleven limits that decide which passband results are failures. Each
// limit has an initial value and a separate default: the value a load takes
// when the file has no entry for it.

#include <array>

#include "Editable.h"

class TiXmlElement;

class Passband_Alarms {
public:
    // spacing: the reference channel spacing the initial limits scale with.
    explicit Passband_Alarms(float spacing);
    Passband_Alarms(const Passband_Alarms&) = delete;
    Passband_Alarms& operator=(const Passband_Alarms&) = delete;

    void lockAll();
    void unlockAll();
    // Appends the "Alarms" element to parent.
    void save(TiXmlElement& parent) const;
    // Reads the "Alarms" child of parent, limit by limit; missing attributes
    // give the defaults, texts that are not numbers keep the limit as it is.
    // Without the element nothing changes.
    void load(const TiXmlElement& parent);

    // Whether figure (index of Passband_Value) is a failure. A none marker
    // always is, except for the central figure, which never is. Comparisons
    // include equality.
    bool inAlarm(std::size_t figure, float value) const;

    Editable<float> ChannelCentration;
    Editable<float> minBandwidth1;
    Editable<float> maxBandwidth1;
    Editable<float> minBandwidth2;
    Editable<float> maxBandwidth2;
    Editable<float> minBandwidth3;
    Editable<float> maxBandwidth3;
    Editable<float> maxIL;
    Editable<float> ripple;
    Editable<float> adjacent;
    Editable<float> noAdjacent;

    // The eleven limits in the order of the file and of locking, with their
    // attribute names.
    struct Entry {
        const char* attribute;
        Editable<float> Passband_Alarms::*limit;
    };
    static const std::array<Entry, 11> table;
};
