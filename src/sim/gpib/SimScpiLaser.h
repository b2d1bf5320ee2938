#pragma once

// The part of the SCPI command set that the simulated Agilent and Santec
// sources share: "*OPC?" answered once idle, the power unit and the sweep
// settings under ":SOUR:WAV:SWE". Each model adds its own commands and says
// how it reads a wavelength.

#include <optional>
#include <string>
#include <string_view>

#include "SimLaser.h"

namespace vemarsim {

class SimScpiLaser : public SimLaser {
public:
    SimScpiLaser(const SimInstrumentSetup& setup, SimSweepLog& sweeps);

protected:
    void handleCommand(std::string_view command) final;
    // The model's own commands; false for a header it does not know.
    virtual bool handleModelCommand(std::string_view header, std::string_view argument) = 0;
    // A wavelength argument in the model's form, in nm.
    virtual std::optional<double> readWavelength(std::string_view argument) const = 0;

    // Runs apply with the parsed value, or flags an invalid value.
    template <typename T, typename Apply>
    bool withValue(const std::optional<T>& value, Apply apply)
    {
        if (value)
            apply(*value);
        else
            invalidValue();
        return true;
    }

    bool powerUnitLinear() const { return powerUnitLinear_; }

private:
    bool powerUnitLinear_ = false;  // ":SOUR:POW:UNIT 1"; dBm at power-up
    double sweepStartNm_ = 0.0;
    double sweepStopNm_ = 0.0;
    long long sweepCycles_ = 1;
    std::string sweepMode_;
};

}  // namespace vemarsim
