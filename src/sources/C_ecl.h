#pragma once

// ECL source: channel-prefixed commands (channel 1), serial-poll handshake
// with a 5 s ready time-out, status bits 0x02 (invalid value) and 0x04
// (unknown command); no speed command.

#include <cstdint>

#include "C_Laser.h"

class C_Ecl : public C_Laser {
public:
    static constexpr int channel = 1;

    C_Ecl();

    std::int32_t readyTimeoutMs = 5000;
    std::int32_t readyBit = 0;
    std::int32_t lastStatus = 0;
    bool isReady = false;

    // Power-on and power-off take the channel; power and wavelength take the
    // channel, then the value.
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

private:
    SerialPollFields pollFields() { return {readyTimeoutMs, readyBit, lastStatus, isReady}; }
};
