#pragma once

// Purity source: the Plus behaviour, but it does not take part in the bus's
// listener check, so it is taken as present as soon as its device opens,
// without asking the bus. Whether it answers shows at its first serial poll:
// a poll that fails ends the operation with the connection error.

#include "C_varnelplus.h"

class C_VarnelPurity : public C_VarnelPlus {
public:
    C_VarnelPurity();

    // True when the library opened the device (no listener check).
    bool IsPresent() override;
};
