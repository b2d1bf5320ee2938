#include "SimSantecLaser.h"

#include "SimCommandText.h"

namespace vemarsim {

std::optional<double> SimSantecLaser::readWavelength(std::string_view argument) const
{
    const auto pm = parseInteger(argument);
    if (!pm || *pm < 0) return std::nullopt;
    return static_cast<double>(*pm) / 1000.0;
}

bool SimSantecLaser::handleModelCommand(std::string_view header, std::string_view argument)
{
    if (equalsNoCase(header, ":SOUR:POW:STAT"))
        return withValue(parseOnOff(argument), [this](bool on) { setOutput(on); });
    if (equalsNoCase(header, ":SOUR:POW"))
        return withValue(powerMw(argument, powerUnitLinear() ? "mw" : "dbm"), [this](double mw) { setPowerMw(mw); });
    if (equalsNoCase(header, ":SOUR:WAV"))
        return withValue(readWavelength(argument), [this](double nm) { moveTo(nm); });
    if (equalsNoCase(header, ":SOUR:WAV:SWE:MOD"))
        return withValue(parseInteger(argument), [this](long long mode) { sweepMode_ = mode; });
    return false;
}

}  // namespace vemarsim
