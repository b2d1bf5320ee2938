#pragma once

// The entries of a client's error queue: the standard codes of the command
// language (negative) and the measurement's own scan codes and texts
// (positive), with the event status bits each one sets.

#include <cstdint>
#include <deque>
#include <string>

struct ScpiError {
    int code = 0;
    std::string text;  // without quotes; the standard text, then ";" and the detail

    // The standard text of a code, a detail after ";" when given.
    static ScpiError make(int code, const std::string& detail = {});
};

namespace ScpiCode {
inline constexpr int noError = 0;
// Command errors.
inline constexpr int commandError = -100;
inline constexpr int invalidCharacter = -101;
inline constexpr int syntaxError = -102;
inline constexpr int dataTypeError = -104;
inline constexpr int parameterNotAllowed = -108;
inline constexpr int missingParameter = -109;
inline constexpr int undefinedHeader = -113;
inline constexpr int numericDataError = -120;
inline constexpr int invalidSuffix = -131;
inline constexpr int stringDataError = -150;
// Execution errors.
inline constexpr int executionError = -200;
inline constexpr int commandProtected = -203;
inline constexpr int initIgnored = -213;
inline constexpr int settingsConflict = -221;
inline constexpr int dataOutOfRange = -222;
inline constexpr int tooMuchData = -223;
inline constexpr int illegalParameterValue = -224;
inline constexpr int dataStale = -230;
inline constexpr int hardwareMissing = -241;
inline constexpr int massStorageError = -250;
inline constexpr int fileNameError = -257;
// Device-specific errors.
inline constexpr int systemError = -310;
inline constexpr int queueOverflow = -350;
// Query errors.
inline constexpr int queryInterrupted = -410;

// The measurement's own entries besides its scan codes (1 to 125): an
// error without a code of its own (a source that could not be prepared, a
// failure of the link, a negative scan code) and the raised sampling step.
inline constexpr int measurementError = 99;
inline constexpr int samplingStepRaised = 130;
}  // namespace ScpiCode

// Bits of the standard event status register.
namespace EventStatus {
inline constexpr std::uint8_t operationComplete = 1;
inline constexpr std::uint8_t queryError = 4;
inline constexpr std::uint8_t deviceError = 8;
inline constexpr std::uint8_t executionError = 16;
inline constexpr std::uint8_t commandError = 32;

// The bit an error entry sets.
std::uint8_t bitOf(int code);
}  // namespace EventStatus

// A client's queue: oldest first, at most capacity entries; when full, the
// newest entry becomes "Queue overflow" and later ones are lost, so the
// first errors (the ones that explain the rest) stay.
class ErrorQueue {
public:
    static constexpr std::size_t capacity = 32;

    void push(ScpiError error);
    // The oldest entry, or 0,"No error".
    ScpiError pop();
    std::size_t size() const { return entries_.size(); }
    void clear() { entries_.clear(); }

    // The standard event status register (*ESR? reads and clears it).
    std::uint8_t eventStatus() const { return eventStatus_; }
    std::uint8_t takeEventStatus();
    void setEventBits(std::uint8_t bits) { eventStatus_ |= bits; }
    void clearEventStatus() { eventStatus_ = 0; }

private:
    std::deque<ScpiError> entries_;
    std::uint8_t eventStatus_ = 0;
};
