#include "C_agilent.h"


C_Agilent::C_Agilent()
{
    SetPrimaryAddress(10);
    SetCommand(CMD_POWER_ON, "outp on");
    SetCommand(CMD_POWER_OFF, "outp off");
    SetCommand(CMD_POWER, "power %fmw");
    SetCommand(CMD_WAVELENGTH, "----------");
    SetCommand(CMD_WAVELENGTH_SCPI, "wave %fnm");
    SetCommand(CMD_SWEEP_START, ":SOUR:WAV:SWE:STAR %fnm");
    SetCommand(CMD_SWEEP_STOP, ":SOUR:WAV:SWE:STOP %fnm");
    SetCommand(CMD_SWEEP_RUN, ":SOUR:WAV:SWE 1");
    SetCommand(CMD_SWEEP_QUERY, ":SOUR:WAV:SWE?");
}

const char* C_Agilent::Send(const char* text) { return WriteAndPause(text, pacingMs); }

const char* C_Agilent::WaitReady(bool) { return RepeatedOpcWaitReady(); }

int C_Agilent::CheckStatus(bool) { return -1; }

const char* C_Agilent::SetPower(float* powerMw) { return SetPowerInLinearUnit(*powerMw); }

const char* C_Agilent::SetCurrent(float* current) { return CurrentWithoutCommand(*current, nullptr); }

const char* C_Agilent::SetWavelength(double* wavelengthNm)
{
    return SendTemplateAndWait(CMD_WAVELENGTH_SCPI, {*wavelengthNm});
}

const char* C_Agilent::SetWavelengthNoWait(double* wavelengthNm) { return SetWavelength(wavelengthNm); }

const char* C_Agilent::SetAuxWavelength(double*) { return nullptr; }

const char* C_Agilent::PowerOn()
{
    if (const char* failure = SendTemplateAndWait(CMD_POWER_ON, {})) return failure;
    return SendAndWaitEach({":SOUR:SWE:REP ONEW", ":SOUR:POW:UNIT 1", ":SOUR:WAV:SWE:SPE 20nm/s",
                            ":SOUR:WAV:SWE:MODE CONT", ":SOUR:WAV:SWE:CYCL 1"});
}

const char* C_Agilent::PowerOff() { return SendTemplateAndWait(CMD_POWER_OFF, {}); }

const char* C_Agilent::SetSpeed(int*) { return nullptr; }
