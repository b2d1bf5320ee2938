#pragma once

// MG9541A source: its own templates, and after the "*OPC?" handshake it
// polls "MOVE?" until the instrument reports that the move has ended.

#include "C_device.h"

class C_MG9541A : public C_Device {
public:
    static constexpr int movePollPauseMs = 500;

    C_MG9541A();

    const char* WaitReady(bool showMessage) override;
};
