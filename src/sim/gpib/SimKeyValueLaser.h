#pragma once

// The simulated lasers whose commands are words and "NAME=VALUE" pairs
// ("Enable", "P=1.500", "L=1550.000", "MOTOR_SPEED=20"): the Plus family
// (Plus, Purity, JDSU SWS) and the ECL with the serial-poll handshake, and
// the Reference and the generic IEEE 488.2 source with "*OPC?". What differs
// between them is a dialect, one table row per model.

#include <cstdint>

#include "SimLaser.h"

namespace vemarsim {

struct KeyValueDialect {
    const char* wavelengthKey;   // key of the wavelength move
    const char* auxKey;          // key of the auxiliary wavelength, or nullptr
    bool channelPrefixed;        // "CH<n>:" before Enable, Disable, P= and L= (channel 1 only)
    bool hasSpeed;               // "MOTOR_SPEED=<n>"
    bool speedIsIndex;           // the speed is the motor index n: 200 / (n + 1) nm/s
    bool hasUnitCommands;        // "MW" / "DBM" choose the unit of P= (dBm at power-up)
    bool opcHandshake;           // answers "*OPC?" once idle; else a ready bit in the status byte
    std::uint8_t invalidValueBit;
    std::uint8_t unknownCommandBit;
};

// The dialect of a source type code, or nullptr when the model speaks another language.
const KeyValueDialect* keyValueDialect(int type);

class SimKeyValueLaser : public SimLaser {
public:
    SimKeyValueLaser(const SimInstrumentSetup& setup, SimSweepLog& sweeps, const KeyValueDialect& dialect);

protected:
    void handleCommand(std::string_view command) override;
    std::uint8_t statusByteLocked(SimClockPoint now) const override;

private:
    bool handleKeyValue(std::string_view key, std::string_view value);

    const KeyValueDialect& dialect_;
    bool powerInMw_ = false;
};

}  // namespace vemarsim
