#include "C_varnelplus.h"

#include "NumberFormat.h"

C_VarnelPlus::C_VarnelPlus()
{
    SetPrimaryAddress(10);
    SetCommand(CMD_POWER_ON, "Enable");
    SetCommand(CMD_POWER_OFF, "Disable");
    SetCommand(CMD_POWER, "P=%2.3f");
    SetCommand(CMD_WAVELENGTH, "L=%4.3f");
    SetCommand(CMD_SPEED, "MOTOR_SPEED=%d");
}

const char* C_VarnelPlus::Send(const char* text)
{
    isReady = false;
    Write(text);
    return nullptr;
}

const char* C_VarnelPlus::WaitReady(bool showMessage) { return SerialPollWaitReady(pollFields(), showMessage); }

int C_VarnelPlus::CheckStatus(bool showMessage)
{
    static constexpr StatusBitTexts texts{0x04, "Invalid parameter or value in '%s' .\t", 0x02,
                                          "Unkown command : '%s' . \t"};
    return SerialPollCheckStatus(pollFields(), texts, showMessage);
}

const char* C_VarnelPlus::SetPower(float* powerMw)
{
    if (const char* failure = SendAndWait("MW")) return failure;
    return SendTemplateAndWait(CMD_POWER, {static_cast<double>(*powerMw)});
}

const char* C_VarnelPlus::SetCurrent(float* current)
{
    return SendAndWait(cformat("I=%2.3f", static_cast<double>(*current)).c_str());
}

const char* C_VarnelPlus::SetWavelength(double* wavelengthNm)
{
    return SendTemplateAndWait(CMD_WAVELENGTH, {*wavelengthNm});
}

const char* C_VarnelPlus::SetWavelengthNoWait(double* wavelengthNm)
{
    return SendTemplate(CMD_WAVELENGTH, {*wavelengthNm}) ? nullptr : errorText.data();
}

const char* C_VarnelPlus::SetAuxWavelength(double* wavelengthNm)
{
    return SendAndWait(cformat("LS = %4.3f", *wavelengthNm).c_str());
}

const char* C_VarnelPlus::PowerOn() { return SendTemplateAndWait(CMD_POWER_ON, {}); }

const char* C_VarnelPlus::PowerOff() { return SendTemplateAndWait(CMD_POWER_OFF, {}); }

const char* C_VarnelPlus::SetSpeed(int* speedNmPerS) { return SendTemplateAndWait(CMD_SPEED, {*speedNmPerS}); }
