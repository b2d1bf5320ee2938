#include "SimAgilentLaser.h"

#include "SimCommandText.h"

namespace vemarsim {

std::optional<double> SimAgilentLaser::readWavelength(std::string_view argument) const
{
    return wavelengthNm(argument, "m");
}

bool SimAgilentLaser::handleModelCommand(std::string_view header, std::string_view argument)
{
    if (equalsNoCase(header, "outp")) return withValue(parseOnOff(argument), [this](bool on) { setOutput(on); });
    if (equalsNoCase(header, "power"))
        return withValue(powerMw(argument, powerUnitLinear() ? "w" : "dbm"), [this](double mw) { setPowerMw(mw); });
    if (equalsNoCase(header, "wave")) return withValue(readWavelength(argument), [this](double nm) { moveTo(nm); });
    if (equalsNoCase(header, ":SOUR:SWE:REP")) {
        const bool known = equalsNoCase(argument, "ONEW") || equalsNoCase(argument, "TWOW");
        return withValue(known ? std::optional<std::string>(argument) : std::nullopt,
                         [this](const std::string& mode) { repeatMode_ = mode; });
    }
    if (equalsNoCase(header, ":SOUR:WAV:SWE:MODE")) {
        const bool known = equalsNoCase(argument, "CONT") || equalsNoCase(argument, "STEP") ||
                           equalsNoCase(argument, "MAN");
        return withValue(known ? std::optional<std::string>(argument) : std::nullopt,
                         [this](const std::string& mode) { sweepMode_ = mode; });
    }
    return false;
}

}  // namespace vemarsim
