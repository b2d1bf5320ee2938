#pragma once

// Simulated Agilent source: "outp on|off", "power <v>mw", "wave <v>nm",
// ":SOUR:SWE:REP", ":SOUR:WAV:SWE:MODE", and the shared SCPI set.

#include "SimScpiLaser.h"

namespace vemarsim {

class SimAgilentLaser : public SimScpiLaser {
public:
    using SimScpiLaser::SimScpiLaser;

protected:
    bool handleModelCommand(std::string_view header, std::string_view argument) override;
    std::optional<double> readWavelength(std::string_view argument) const override;

private:
    std::string repeatMode_ = "ONEW";
    std::string sweepMode_ = "MAN";
};

}  // namespace vemarsim
