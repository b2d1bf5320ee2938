#include "C_device.h"


C_Device::C_Device()
{
    SetPrimaryAddress(10);
    SetCommand(CMD_POWER_ON, "Enable");
    SetCommand(CMD_POWER_OFF, "Disable");
    SetCommand(CMD_POWER, "P=%2.3f");
    SetCommand(CMD_WAVELENGTH, "L=%4.3f");
    SetCommand(CMD_SPEED, "MOTOR_SPEED=%d");
}

const char* C_Device::Send(const char* text) { return WriteAndPause(text, pacingMs); }

const char* C_Device::WaitReady(bool)
{
    // The answer only says that the instrument has worked through the queue.
    Send("*OPC?");
    Read(50);
    return "";
}

int C_Device::CheckStatus(bool) { return 1; }

const char* C_Device::SetPower(float* powerMw)
{
    return SendTemplateAndWait(CMD_POWER, {static_cast<double>(*powerMw)});
}

const char* C_Device::SetCurrent(float* current) { return CurrentWithoutCommand(*current, "I=%2.3f"); }

const char* C_Device::SetWavelength(double* wavelengthNm)
{
    return SendTemplateAndWait(CMD_WAVELENGTH, {*wavelengthNm});
}

const char* C_Device::SetWavelengthNoWait(double* wavelengthNm)
{
    return SendTemplate(CMD_WAVELENGTH, {*wavelengthNm}) ? nullptr : errorText.data();
}

const char* C_Device::SetAuxWavelength(double*) { return nullptr; }

const char* C_Device::PowerOn() { return SendTemplateAndWait(CMD_POWER_ON, {}); }

const char* C_Device::PowerOff() { return SendTemplateAndWait(CMD_POWER_OFF, {}); }

const char* C_Device::SetSpeed(int* speedNmPerS) { return SendTemplateAndWait(CMD_SPEED, {*speedNmPerS}); }
