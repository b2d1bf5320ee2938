#pragma once

// Purity source: the Plus behaviour, but it does not take part in the bus's
// listener check, so it is taken as present without asking.

#include "C_varnelplus.h"

class C_VarnelPurity : public C_VarnelPlus {
public:
    C_VarnelPurity();

    bool IsPresent() override { return true; }
};
