#pragma once

// Agilent source: SCPI commands, "*OPC?" repeated until 1, 100 ms pause after
// every write. Its wavelength operations use the SCPI wavelength template;
// the sweep templates are registered but never sent.

#include "C_Laser.h"

class C_Agilent : public C_Laser {
public:
    static constexpr int pacingMs = 100;

    C_Agilent();

    const char* WaitReady(bool showMessage) override;
    // No status is read: always -1.
    int CheckStatus(bool showMessage) override;

    const char* SetPower(float* powerMw) override;
    // Only darkens the source for exactly 0; always "NoCurrent".
    const char* SetCurrent(float* current) override;
    const char* SetWavelength(double* wavelengthNm) override;
    // Waits as well: this model only takes the next command once it has moved.
    const char* SetWavelengthNoWait(double* wavelengthNm) override;
    const char* SetAuxWavelength(double* wavelengthNm) override;
    const char* PowerOn() override;
    const char* PowerOff() override;
    const char* SetSpeed(int* speedNmPerS) override;
    const char* Send(const char* text) override;
};
