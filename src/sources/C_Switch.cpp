#include "C_Switch.h"

#include "DriverPause.h"
#include "NumberFormat.h"

C_Switch::C_Switch() : C_Switch(defaultAddress, defaultChannelOffset) {}

C_Switch::C_Switch(int address, int offset) : channelOffset(offset) { SetAddress(address); }

void C_Switch::Select(int channel)
{
    Write(cformat("CLOSE %d", channel + channelOffset).c_str());
    DriverPause::pauseMs(settleMs);
}
