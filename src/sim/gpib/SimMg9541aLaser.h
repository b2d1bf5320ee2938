#pragma once

// Simulated MG9541A: "OUTP ON|OFF", "POW <v>mw", "WCNT <v>nm". It answers
// "*OPC?" at once, whether or not it still moves, and "MOVE?" with 1 while
// it moves and 0 once it has arrived. It has no speed command.

#include "SimLaser.h"

namespace vemarsim {

class SimMg9541aLaser : public SimLaser {
public:
    SimMg9541aLaser(const SimInstrumentSetup& setup, SimSweepLog& sweeps);

protected:
    void handleCommand(std::string_view command) override;
};

}  // namespace vemarsim
