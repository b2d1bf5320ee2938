#include "SimInstrument.h"

#include <algorithm>
#include <cstring>

#include "SimCommandText.h"
#include "vemar_sim_gpib.h"

namespace vemarsim {
namespace {

// IEEE 488.2 event status bits.
constexpr std::uint8_t executionError = 0x10;
constexpr std::uint8_t commandError = 0x20;
// Status byte: message available, event status summary.
constexpr std::uint8_t messageAvailable = 0x10;
constexpr std::uint8_t eventSummary = 0x20;

}  // namespace

SimInstrument::SimInstrument(const SimInstrumentSetup& setup)
    : address_(setup.address), type_(setup.type), flags_(setup.flags)
{
}

void SimInstrument::write(std::string_view bytes)
{
    std::lock_guard lock(mutex_);
    log_.emplace_back(bytes);
    remote_ = true;
    lastError_ = CommandError::None;
    // A new command discards an answer nobody read, as a real instrument's
    // output queue does when it is interrupted.
    output_.clear();
    std::string_view command = bytes;
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r')) command.remove_suffix(1);
    if (equalsNoCase(trim(command), "*ESR?")) {
        const std::uint8_t value = eventStatus_;
        eventStatus_ = 0;
        answer(std::to_string(value));
    } else if (equalsNoCase(trim(command), "*CLS")) {
        eventStatus_ = 0;
    } else {
        handleCommand(command);
    }
}

SimReadResult SimInstrument::read(char* buffer, std::size_t maxCount, double timeoutS)
{
    const SimClockPoint deadline = std::chrono::steady_clock::now() + realDuration(timeoutS);
    for (;;) {
        SimClockPoint wakeAt = deadline;
        {
            std::lock_guard lock(mutex_);
            const SimClockPoint now = std::chrono::steady_clock::now();
            if (!output_.empty()) {
                if (now >= outputAvailable_) {
                    const std::size_t count = std::min(maxCount, output_.size());
                    std::memcpy(buffer, output_.data(), count);
                    output_.erase(0, count);
                    return {count, output_.empty(), false};
                }
                wakeAt = std::min(outputAvailable_, deadline);
            }
            if (now >= deadline) return {0, false, true};
        }
        sleepUntil(wakeAt);
    }
}

std::uint8_t SimInstrument::serialPoll()
{
    std::lock_guard lock(mutex_);
    return statusByteLocked(std::chrono::steady_clock::now());
}

std::uint8_t SimInstrument::statusByteLocked(SimClockPoint now) const
{
    std::uint8_t status = 0;
    if (!output_.empty() && now >= outputAvailable_) status |= messageAvailable;
    if (eventStatus_ != 0) status |= eventSummary;
    return status;
}

void SimInstrument::goToLocal()
{
    std::lock_guard lock(mutex_);
    remote_ = false;
}

std::vector<std::string> SimInstrument::commands() const
{
    std::lock_guard lock(mutex_);
    return log_;
}

void SimInstrument::clearCommands()
{
    std::lock_guard lock(mutex_);
    log_.clear();
}

void SimInstrument::answer(std::string_view text) { answerAt(text, SimClockPoint{}); }

void SimInstrument::answerAt(std::string_view text, SimClockPoint available)
{
    if (hasFlag(VEMARSIM_GPIB_SILENT)) return;
    output_.assign(text);
    if (!hasFlag(VEMARSIM_GPIB_NO_TERMINATOR)) output_ += '\n';
    outputAvailable_ = available;
}

void SimInstrument::invalidValue()
{
    lastError_ = CommandError::InvalidValue;
    eventStatus_ |= executionError;
}

void SimInstrument::unknownCommand()
{
    lastError_ = CommandError::UnknownCommand;
    eventStatus_ |= commandError;
}

}  // namespace vemarsim
