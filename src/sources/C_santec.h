#pragma once

// Santec source: SCPI commands with the wavelength as an integer number of
// picometres, "*OPC?" repeated until 1, 100 ms pause after every write.

#include "C_Laser.h"

class C_Santec : public C_Laser {
public:
    static constexpr int pacingMs = 100;

    C_Santec();

    // The integer the wavelength templates receive: the wavelength in pm,
    // rounded to the nearest (0 below 0, the largest unsigned above it).
    static unsigned WavelengthPm(double wavelengthNm);

    // The wavelength and sweep templates take the wavelength in pm.
    TemplateSignature SignatureOf(tCommand key) const override;

    const char* WaitReady(bool showMessage) override;
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
};
