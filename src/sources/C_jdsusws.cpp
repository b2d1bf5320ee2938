#include "C_jdsusws.h"

#include <cmath>

#include "NumberFormat.h"

C_JdsuSws::C_JdsuSws() { SetCommand(CMD_WAVELENGTH, "LS=%4.3f"); }

int C_JdsuSws::SpeedIndex(int speedNmPerS)
{
    return static_cast<int>(std::floor(200.0 / speedNmPerS + 0.5)) - 1;
}

const char* C_JdsuSws::SetSpeed(int* speedNmPerS)
{
    if (*speedNmPerS <= 0) return SetErrorText(cformat("Invalid speed (%d nm/s).", *speedNmPerS).c_str());
    return SendTemplateAndWait(CMD_SPEED, {SpeedIndex(*speedNmPerS)});
}
