#include "SimSwitch.h"

#include "SimCommandText.h"

namespace vemarsim {

int SimSwitch::channel() const
{
    std::lock_guard lock(mutex_);
    return channel_;
}

void SimSwitch::handleCommand(std::string_view command)
{
    const auto [header, argument] = splitHeader(command);
    if (!equalsNoCase(header, "CLOSE")) return unknownCommand();
    const auto channel = parseInteger(argument);
    if (!channel || *channel < 0 || *channel > 999) return invalidValue();
    channel_ = static_cast<int>(*channel);
}

}  // namespace vemarsim
