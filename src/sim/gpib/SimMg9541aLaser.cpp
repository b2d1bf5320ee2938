#include "SimMg9541aLaser.h"

#include "SimCommandText.h"

namespace vemarsim {

SimMg9541aLaser::SimMg9541aLaser(const SimInstrumentSetup& setup, SimSweepLog& sweeps)
    : SimLaser(setup, sweeps, Limits{})
{
}

void SimMg9541aLaser::handleCommand(std::string_view command)
{
    const auto [header, argument] = splitHeader(command);
    if (equalsNoCase(header, "*OPC?") && argument.empty()) return answer("1");
    if (equalsNoCase(header, "MOVE?") && argument.empty())
        return answer(movingAt(std::chrono::steady_clock::now()) ? "1" : "0");
    if (equalsNoCase(header, "OUTP")) {
        if (const auto on = parseOnOff(argument)) return setOutput(*on);
        return invalidValue();
    }
    if (equalsNoCase(header, "POW")) {
        if (const auto mw = powerMw(argument, "dbm")) {
            setPowerMw(*mw);
            return;
        }
        return invalidValue();
    }
    if (equalsNoCase(header, "WCNT")) {
        if (const auto nm = wavelengthNm(argument, "m")) {
            moveTo(*nm);
            return;
        }
        return invalidValue();
    }
    unknownCommand();
}

}  // namespace vemarsim
