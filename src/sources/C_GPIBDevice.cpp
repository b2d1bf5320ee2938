#include "C_GPIBDevice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "GpibBinding.h"
#include "GpibErrorText.h"
#include "NumberFormat.h"
#include "UserMessages.h"

C_GPIBDevice::C_GPIBDevice() : readBuffer(static_cast<std::size_t>(defaultReadBufferSize), '\0')
{
    RememberCommand("<GetDevice>");
}

C_GPIBDevice::~C_GPIBDevice() { Close(); }

void C_GPIBDevice::SetAddress(int address) { Configure(address, defaultTimeoutCode, defaultReadBufferSize); }

bool C_GPIBDevice::Configure(int address, int newTimeoutCode, int bufferSize)
{
    primaryAddress = address;
    timeoutCode = newTimeoutCode;
    // A buffer needs room for at least one byte and its terminating NUL.
    readBufferSize = std::max(bufferSize, 2);
    readBuffer.assign(static_cast<std::size_t>(readBufferSize), '\0');
    reopenNeeded = true;
    return Open();
}

void C_GPIBDevice::SetPrimaryAddress(int address)
{
    primaryAddress = address;
    reopenNeeded = true;
}

bool C_GPIBDevice::Open()
{
    if (!reopenNeeded) return true;
    if (deviceHandle != 0) Gpib::ibonl(deviceHandle, 0);
    // Stored without a test: an absent library or instrument shows up in the
    // presence check below and in every later call's status.
    deviceHandle = Gpib::ibdev(boardIndex, primaryAddress, secondaryAddress, timeoutCode, eotMode, eosMode);
    reopenNeeded = false;
    return IsPresent();
}

void C_GPIBDevice::Close()
{
    if (deviceHandle == 0 || !Open()) return;
    GoToLocal();
    Gpib::ibonl(deviceHandle, 0);
    reopenNeeded = true;
    deviceHandle = 0;
}

void C_GPIBDevice::RememberCommand(const char* text)
{
    const std::size_t length = std::min(std::strlen(text), lastCommand.size() - 1);
    std::memcpy(lastCommand.data(), text, length);
    lastCommand[length] = '\0';
}

void C_GPIBDevice::Write(const char* text)
{
    if (!Open()) return;
    Gpib::ibwrt(deviceHandle, text, static_cast<long>(std::strlen(text)));
    RememberCommand(text);
}

const char* C_GPIBDevice::Read(int maxCount)
{
    readBuffer[0] = '\0';
    if (!Open()) return readBuffer.data();
    const int limit = std::clamp(maxCount, 0, readBufferSize);
    Gpib::ibrd(deviceHandle, readBuffer.data(), limit);
    const long count = Gpib::ThreadIbcntl();
    // The count comes from the library: never trust it beyond what was asked for.
    if (count > 0 && count <= limit)
        readBuffer[static_cast<std::size_t>(count) - 1] = '\0';
    else
        readBuffer[0] = '\0';
    return readBuffer.data();
}

int C_GPIBDevice::SerialPoll()
{
    if (!Open()) return 0;
    char statusByte = 0;
    Gpib::ibrsp(deviceHandle, &statusByte);
    return static_cast<unsigned char>(statusByte);
}

int C_GPIBDevice::QueryEventStatus()
{
    if (!Open()) return -1;
    static constexpr char query[] = "*ESR?";
    Gpib::ibwrt(deviceHandle, query, static_cast<long>(sizeof query - 1));
    return parseInt(Read(10)).value_or(0);
}

bool C_GPIBDevice::IsPresent()
{
    if (!Open()) return false;
    short listener = 0;
    Gpib::ibln(deviceHandle, primaryAddress, secondaryAddress, &listener);
    return listener != 0;
}

int C_GPIBDevice::GoToLocal()
{
    if (!Open()) return 0;
    return Gpib::ibloc(deviceHandle);
}

void C_GPIBDevice::FormatErrorText(const char* format)
{
    // lastCommand is at most 499 characters and every format under 100, so
    // the text always fits; snprintf would cut it safely otherwise.
    std::snprintf(errorText.data(), errorText.size(), format, lastCommand.data());
}

const char* C_GPIBDevice::GpibErrorText(bool showMessage)
{
    ClearErrorText();
    if ((Gpib::ThreadIbsta() & Gpib::ERR) != 0) {
        if (const char* format = gpibErrorFormat(Gpib::ThreadIberr())) FormatErrorText(format);
    }
    if (showMessage && errorText[0] != '\0')
        UserMessages::show(UserMessages::Severity::Warning, "GPIB Communication Error", errorText.data());
    return errorText.data();
}
