#include "C_ecl.h"

#include "NumberFormat.h"

C_Ecl::C_Ecl()
{
    SetPrimaryAddress(10);
    SetCommand(CMD_POWER_ON, "CH%d:Enable");
    SetCommand(CMD_POWER_OFF, "CH%d:Disable");
    SetCommand(CMD_POWER, "CH%d:P=%2.2f");
    SetCommand(CMD_WAVELENGTH, "CH%d:L=%4.3f");
}

TemplateSignature C_Ecl::SignatureOf(tCommand key) const
{
    switch (key) {
    case CMD_POWER_ON:
    case CMD_POWER_OFF:
        return TemplateSignature::of({TemplateArgument::Int});
    case CMD_POWER:
    case CMD_WAVELENGTH:
        return TemplateSignature::of({TemplateArgument::Int, TemplateArgument::Double});
    default:
        return C_Laser::SignatureOf(key);
    }
}

const char* C_Ecl::Send(const char* text)
{
    isReady = false;
    Write(text);
    return nullptr;
}

const char* C_Ecl::WaitReady(bool showMessage) { return SerialPollWaitReady(pollFields(), showMessage); }

int C_Ecl::CheckStatus(bool showMessage)
{
    static constexpr StatusBitTexts texts{0x02, "Invalid parameter or value in '%s' .", 0x04,
                                          "Unkown command : '%s' . "};
    return SerialPollCheckStatus(pollFields(), texts, showMessage);
}

const char* C_Ecl::SetPower(float* powerMw)
{
    return SendTemplateAndWait(CMD_POWER, {channel, static_cast<double>(*powerMw)});
}

const char* C_Ecl::SetCurrent(float* current)
{
    return SendAndWait(cformat("I=%2.3f", static_cast<double>(*current)).c_str());
}

const char* C_Ecl::SetWavelength(double* wavelengthNm)
{
    return SendTemplateAndWait(CMD_WAVELENGTH, {channel, *wavelengthNm});
}

const char* C_Ecl::SetWavelengthNoWait(double* wavelengthNm)
{
    return SendTemplate(CMD_WAVELENGTH, {channel, *wavelengthNm}) ? nullptr : errorText.data();
}

const char* C_Ecl::SetAuxWavelength(double*) { return nullptr; }

const char* C_Ecl::PowerOn() { return SendTemplateAndWait(CMD_POWER_ON, {channel}); }

const char* C_Ecl::PowerOff() { return SendTemplateAndWait(CMD_POWER_OFF, {channel}); }

const char* C_Ecl::SetSpeed(int*) { return nullptr; }
