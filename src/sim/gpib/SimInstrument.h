#pragma once

// An instrument on the simulated GPIB bus: it takes commands, keeps the
// answers it owes in an output queue (an answer may only become available
// later, when the operation it waits for has finished), and answers serial
// polls with its status byte. Every command received is recorded.
//
// Commands of the IEEE 488.2 common set that every instrument shares
// ("*ESR?", "*CLS") are handled here; the rest goes to the model's parser.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "SimTiming.h"

namespace vemarsim {

// What to put at an address.
struct SimInstrumentSetup {
    int address = 0;
    int type = 8;
    double lambdaMinNm = 1240.0;
    double lambdaMaxNm = 1680.0;
    double wavelengthNm = 0.0;  // 0: lambdaMinNm
    double speedNmPerS = 0.0;   // 0: the model's default
    unsigned flags = 0;         // VEMARSIM_GPIB_* behaviour flags
};

struct SimReadResult {
    std::size_t count = 0;
    bool end = false;       // the last byte of the answer was sent
    bool timedOut = false;  // nothing came within the time-out
};

class SimInstrument {
public:
    explicit SimInstrument(const SimInstrumentSetup& setup);
    virtual ~SimInstrument() = default;

    SimInstrument(const SimInstrument&) = delete;
    SimInstrument& operator=(const SimInstrument&) = delete;

    int type() const { return type_; }
    int address() const { return address_; }

    void write(std::string_view bytes);
    // Blocks (in simulated time) until an answer is available or the time-out passes.
    SimReadResult read(char* buffer, std::size_t maxCount, double timeoutS);
    std::uint8_t serialPoll();
    void goToLocal();

    std::vector<std::string> commands() const;
    void clearCommands();

protected:
    enum class CommandError { None, InvalidValue, UnknownCommand };

    // The model's parser; runs with mutex_ held.
    virtual void handleCommand(std::string_view command) = 0;
    // The status byte; runs with mutex_ held.
    virtual std::uint8_t statusByteLocked(SimClockPoint now) const;

    // With mutex_ held: an answer available at once, or from a later moment.
    // A silent instrument owes nothing; the line feed is left out on request.
    void answer(std::string_view text);
    void answerAt(std::string_view text, SimClockPoint available);
    void invalidValue();
    void unknownCommand();
    bool hasFlag(unsigned flag) const { return (flags_ & flag) != 0; }
    bool outputPending() const { return !output_.empty(); }
    CommandError lastError() const { return lastError_; }
    bool remote() const { return remote_; }

    // Protects every field of the instrument and of its model subclass.
    mutable std::mutex mutex_;

private:
    const int address_;
    const int type_;
    const unsigned flags_;
    bool remote_ = true;
    std::uint8_t eventStatus_ = 0;  // *ESR? register
    CommandError lastError_ = CommandError::None;
    std::string output_;
    SimClockPoint outputAvailable_{};
    std::vector<std::string> log_;
};

}  // namespace vemarsim
