#pragma once

// Simulated Santec source: ":SOUR:POW:STAT 0|1", ":SOUR:POW <v>" (mW once
// the unit is linear), ":SOUR:WAV <pm>" with the wavelength as a whole number
// of picometres, ":SOUR:WAV:SWE:MOD <n>", and the shared SCPI set.

#include "SimScpiLaser.h"

namespace vemarsim {

class SimSantecLaser : public SimScpiLaser {
public:
    using SimScpiLaser::SimScpiLaser;

protected:
    bool handleModelCommand(std::string_view header, std::string_view argument) override;
    std::optional<double> readWavelength(std::string_view argument) const override;

private:
    long long sweepMode_ = 0;
};

}  // namespace vemarsim
