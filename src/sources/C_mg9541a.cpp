#include "C_mg9541a.h"

#include <chrono>
#include <string>

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
    using Clock = std::chrono::steady_clock;
    // The queries replace the last command; the error names the one waited for.
    const std::string waitedFor = LastCommand();
    C_Device::WaitReady(showMessage);
    // The wait counts the pauses at their nominal length and the answers as
    // they take, so that it lasts the minute on the bus whatever the pauses cost.
    double waitedMs = 0.0;
    for (;;) {
        Send("MOVE?");
        const auto asked = Clock::now();
        // An empty answer (a read time-out) converts to 0 and ends the wait.
        const bool moving = parseInt(Read(10)).value_or(0) != 0;
        if (!moving) return "";
        waitedMs += pacingMs + std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
        if (waitedMs + movePollPauseMs >= moveLimitS * 1000.0)
            return SetErrorText(cformat("%s : no answer 0 to MOVE? after %d s.", waitedFor.c_str(), moveLimitS).c_str());
        DriverPause::pauseMs(movePollPauseMs);
        waitedMs += movePollPauseMs;
    }
}
