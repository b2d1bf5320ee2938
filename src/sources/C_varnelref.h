#pragma once

// Reference source: the generic IEEE 488.2 behaviour under its own type.

#include "C_device.h"

class C_VarnelRef : public C_Device {
public:
    C_VarnelRef() = default;
};
