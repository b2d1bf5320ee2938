#include "SimScpiLaser.h"

#include "SimCommandText.h"

namespace vemarsim {

SimScpiLaser::SimScpiLaser(const SimInstrumentSetup& setup, SimSweepLog& sweeps)
    : SimLaser(setup, sweeps, Limits{})
{
}

void SimScpiLaser::handleCommand(std::string_view command)
{
    const auto [header, argument] = splitHeader(command);
    if (equalsNoCase(header, "*OPC?") && argument.empty()) return answerWhenIdle("1");
    if (equalsNoCase(header, ":SOUR:POW:UNIT")) {
        withValue(parseOnOff(argument), [this](bool linear) { powerUnitLinear_ = linear; });
        return;
    }
    if (equalsNoCase(header, ":SOUR:WAV:SWE:SPE")) {
        const auto quantity = parseQuantity(argument);
        const bool nmPerS = quantity && (quantity->unit.empty() || equalsNoCase(quantity->unit, "nm/s"));
        withValue(nmPerS ? std::optional<double>(quantity->value) : std::nullopt, [this](double v) { setSpeed(v); });
        return;
    }
    if (equalsNoCase(header, ":SOUR:WAV:SWE:CYCL")) {
        withValue(parseInteger(argument), [this](long long n) { sweepCycles_ = n; });
        return;
    }
    if (equalsNoCase(header, ":SOUR:WAV:SWE:STAR")) {
        withValue(readWavelength(argument), [this](double nm) { sweepStartNm_ = nm; });
        return;
    }
    if (equalsNoCase(header, ":SOUR:WAV:SWE:STOP")) {
        withValue(readWavelength(argument), [this](double nm) { sweepStopNm_ = nm; });
        return;
    }
    // Sweeps of their own are never run: a started one has ended at once.
    if (equalsNoCase(header, ":SOUR:WAV:SWE")) {
        withValue(parseOnOff(argument), [](bool) {});
        return;
    }
    if (equalsNoCase(header, ":SOUR:WAV:SWE?") && argument.empty()) return answer("0");
    if (handleModelCommand(header, argument)) return;
    unknownCommand();
}

}  // namespace vemarsim
