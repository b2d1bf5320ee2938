#include "C_santec.h"

#include <cmath>
#include <limits>


C_Santec::C_Santec()
{
    SetPrimaryAddress(10);
    SetCommand(CMD_POWER_ON, ":SOUR:POW:STAT 1");
    SetCommand(CMD_POWER_OFF, ":SOUR:POW:STAT 0");
    SetCommand(CMD_POWER, ":SOUR:POW %2.3f");
    SetCommand(CMD_WAVELENGTH, "----------");
    SetCommand(CMD_WAVELENGTH_SCPI, ":SOUR:WAV %u");
    SetCommand(CMD_SWEEP_START, ":SOUR:WAV:SWE:STAR %u");
    SetCommand(CMD_SWEEP_STOP, ":SOUR:WAV:SWE:STOP %u");
    SetCommand(CMD_SWEEP_RUN, ":SOUR:WAV:SWE 1");
    SetCommand(CMD_SWEEP_QUERY, ":SOUR:WAV:SWE?");
}

unsigned C_Santec::WavelengthPm(double wavelengthNm)
{
    const double pm = std::round(wavelengthNm * 1000.0);
    if (!(pm > 0.0)) return 0;
    if (pm >= static_cast<double>(std::numeric_limits<unsigned>::max())) return std::numeric_limits<unsigned>::max();
    return static_cast<unsigned>(pm);
}

TemplateSignature C_Santec::SignatureOf(tCommand key) const
{
    switch (key) {
    case CMD_SWEEP_START:
    case CMD_SWEEP_STOP:
    case CMD_WAVELENGTH_SCPI:
        return TemplateSignature::of({TemplateArgument::Unsigned});
    default:
        return C_Laser::SignatureOf(key);
    }
}

const char* C_Santec::Send(const char* text) { return WriteAndPause(text, pacingMs); }

const char* C_Santec::WaitReady(bool) { return RepeatedOpcWaitReady(); }

int C_Santec::CheckStatus(bool) { return -1; }

const char* C_Santec::SetPower(float* powerMw) { return SetPowerInLinearUnit(*powerMw); }

const char* C_Santec::SetCurrent(float* current) { return CurrentWithoutCommand(*current, nullptr); }

const char* C_Santec::SetWavelength(double* wavelengthNm)
{
    return SendTemplateAndWait(CMD_WAVELENGTH_SCPI, {WavelengthPm(*wavelengthNm)});
}

const char* C_Santec::SetWavelengthNoWait(double* wavelengthNm)
{
    return SendTemplate(CMD_WAVELENGTH_SCPI, {WavelengthPm(*wavelengthNm)}) ? nullptr : errorText.data();
}

const char* C_Santec::SetAuxWavelength(double*) { return nullptr; }

const char* C_Santec::PowerOn()
{
    if (const char* failure = SendTemplateAndWait(CMD_POWER_ON, {})) return failure;
    return SendAndWaitEach(
        {":SOUR:POW:UNIT 1", ":SOUR:WAV:SWE:SPE 20", ":SOUR:WAV:SWE:MOD 1", ":SOUR:WAV:SWE:CYCL 1"});
}

const char* C_Santec::PowerOff() { return SendTemplateAndWait(CMD_POWER_OFF, {}); }

const char* C_Santec::SetSpeed(int*) { return nullptr; }
