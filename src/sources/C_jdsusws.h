#pragma once

// JDSU SWS source: the Plus behaviour with its own wavelength command and a
// motor-speed index instead of a speed in nm/s.

#include "C_varnelplus.h"

class C_JdsuSws : public C_VarnelPlus {
public:
    C_JdsuSws();

    // The motor-speed index of a speed in nm/s: floor(200 / s + 0.5) - 1.
    // Only defined for positive speeds.
    static int SpeedIndex(int speedNmPerS);

    // Refuses a speed that is not positive (it has no index) without sending.
    const char* SetSpeed(int* speedNmPerS) override;
};
