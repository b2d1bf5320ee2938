#pragma once

// Generic IEEE 488.2 source: user-editable templates, "*OPC?" handshake,
// 250 ms pause after every write.

#include "C_Laser.h"

class C_Device : public C_Laser {
public:
    static constexpr int pacingMs = 250;

    C_Device();

    const char* WaitReady(bool showMessage) override;
    // Nothing is read: always 1.
    int CheckStatus(bool showMessage) override;

    const char* SetPower(float* powerMw) override;
    // Sends "I=%2.3f" (or darkens the source for exactly 0); always "NoCurrent".
    const char* SetCurrent(float* current) override;
    const char* SetWavelength(double* wavelengthNm) override;
    const char* SetWavelengthNoWait(double* wavelengthNm) override;
    const char* SetAuxWavelength(double* wavelengthNm) override;
    const char* PowerOn() override;
    const char* PowerOff() override;
    const char* SetSpeed(int* speedNmPerS) override;
    const char* Send(const char* text) override;
};
