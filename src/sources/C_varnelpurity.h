#pragma once

// Purity source: the Plus behaviour, but it does not take part in the bus's
// listener check, so it is taken as present without asking the bus.

#include "C_varnelplus.h"

class C_VarnelPurity : public C_VarnelPlus {
public:
    C_VarnelPurity();

    // True without bus traffic, as long as there is a GPIB library at all:
    // without one, every operation would poll for a ready bit that never
    // comes and then report success.
    bool IsPresent() override;
};
