#pragma once

// The optional optical switch that routes the sources: "CLOSE %d" with the
// channel plus an offset, then a 500 ms pause. Nothing is read back.

#include <cstdint>

#include "C_GPIBDevice.h"

class C_Switch : public C_GPIBDevice {
public:
    static constexpr int defaultAddress = 1;
    static constexpr int defaultChannelOffset = 7;
    static constexpr int settleMs = 500;

    C_Switch();
    // The device opens at the first Select.
    C_Switch(int address, int offset);

    void Select(int channel);

    const char* WaitReady(bool showMessage) override { return ""; }
    int CheckStatus(bool showMessage) override { return 1; }

    std::int32_t channelOffset = defaultChannelOffset;
};
