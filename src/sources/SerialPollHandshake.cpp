// The serial-poll completion handshake of the models that signal "operation
// finished" with a ready bit in their status byte and report instrument errors
// with two status bits.

#include <chrono>

#include "C_Laser.h"
#include "DriverPause.h"
#include "UserMessages.h"

namespace {

constexpr int pollPauseMs = 10;

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

const char* C_Laser::SerialPollWaitReady(SerialPollFields fields, bool showMessage)
{
    if (!fields.isReady) {
        const std::int64_t start = nowMs();
        fields.lastStatus = 0;
        if (fields.readyBit == -1) {
            fields.isReady = true;
        } else {
            for (;;) {
                fields.lastStatus = SerialPoll();
                // An instrument that does not answer its poll will not answer
                // the next one either: no point in waiting for the ready bit.
                if (SerialPollFailed()) return SerialPollFailure(showMessage);
                fields.isReady = ((fields.lastStatus >> fields.readyBit) & 1) != 0;
                // A time-out alone is no error: the status check below decides.
                if (nowMs() - start > fields.readyTimeoutMs) {
                    fields.isReady = false;
                    break;
                }
                if (fields.isReady) break;
                DriverPause::pauseMs(pollPauseMs);
            }
        }
    }
    CheckStatus(showMessage);
    return errorText.data();
}

const char* C_Laser::SerialPollFailure(bool showMessage)
{
    if (GpibErrorText(showMessage)[0] == '\0') FormatErrorText("%s : no answer to the serial poll.");
    return errorText.data();
}

int C_Laser::SerialPollCheckStatus(SerialPollFields fields, const StatusBitTexts& texts, bool showMessage)
{
    if (!Open()) return -1;
    if (fields.readyBit == -1 || !fields.isReady) fields.lastStatus = SerialPoll() & 0xFF;
    if (GpibErrorText(showMessage)[0] != '\0') return -1;
    if ((fields.lastStatus & texts.firstBit) != 0) FormatErrorText(texts.firstText);
    if ((fields.lastStatus & texts.secondBit) != 0) FormatErrorText(texts.secondText);
    if (showMessage && errorText[0] != '\0')
        UserMessages::show(UserMessages::Severity::Warning, "Varnel Error", errorText.data());
    return fields.lastStatus;
}
