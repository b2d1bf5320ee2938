#pragma once

// Plus source (also the R720S): serial-poll handshake with a ready bit, no
// pause between writes, status bits 0x04 (invalid value) and 0x02 (unknown
// command).

#include <cstdint>

#include "C_Laser.h"

class C_VarnelPlus : public C_Laser {
public:
    C_VarnelPlus();

    // Longest wait for the ready bit, in ms.
    std::int32_t readyTimeoutMs = 20000;
    // Bit of the status byte that means "finished"; -1 disables polling.
    std::int32_t readyBit = 0;
    // Last status byte read.
    std::int32_t lastStatus = 0;
    // Set by a successful poll, cleared by every Send.
    bool isReady = false;

    const char* WaitReady(bool showMessage) override;
    // The status byte, or -1 on a GPIB error.
    int CheckStatus(bool showMessage) override;

    const char* SetPower(float* powerMw) override;
    const char* SetCurrent(float* current) override;
    const char* SetWavelength(double* wavelengthNm) override;
    const char* SetWavelengthNoWait(double* wavelengthNm) override;
    const char* SetAuxWavelength(double* wavelengthNm) override;
    const char* PowerOn() override;
    const char* PowerOff() override;
    const char* SetSpeed(int* speedNmPerS) override;
    const char* Send(const char* text) override;

private:
    SerialPollFields pollFields() { return {readyTimeoutMs, readyBit, lastStatus, isReady}; }
};
