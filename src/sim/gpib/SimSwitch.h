#pragma once

// Simulated optical switch: "CLOSE <n>" connects channel n.

#include "SimInstrument.h"

namespace vemarsim {

class SimSwitch : public SimInstrument {
public:
    using SimInstrument::SimInstrument;

    // The channel closed last, or -1.
    int channel() const;

protected:
    void handleCommand(std::string_view command) override;

private:
    int channel_ = -1;
};

}  // namespace vemarsim
