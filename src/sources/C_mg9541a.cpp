#include "C_mg9541a.h"

#include "DriverPause.h"
#include "NumberFormat.h"

C_MG9541A::C_MG9541A()
{
    SetCommand(CMD_POWER_ON, "OUTP ON");
    SetCommand(CMD_POWER_OFF, "OUTP OFF");
    SetCommand(CMD_POWER, "POW %fmw");
    SetCommand(CMD_WAVELENGTH, "WCNT %fnm");
}

const char* C_MG9541A::WaitReady(bool showMessage)
{
    C_Device::WaitReady(showMessage);
    for (;;) {
        Send("MOVE?");
        // An empty answer (a read time-out) converts to 0 and ends the wait.
        if (parseInt(Read(10)).value_or(0) == 0) return "";
        DriverPause::pauseMs(movePollPauseMs);
    }
}
