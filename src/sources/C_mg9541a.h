#pragma once

// MG9541A source: its own templates, and after the "*OPC?" handshake it
// polls "MOVE?" until the instrument reports that the move has ended. An
// instrument that keeps reporting a move would hold the scan start for ever:
// after a minute the wait ends with an error text naming the command.

#include "C_device.h"

class C_MG9541A : public C_Device {
public:
    static constexpr int movePollPauseMs = 500;
    static constexpr int moveLimitS = 60;

    C_MG9541A();

    const char* WaitReady(bool showMessage) override;
};
