#include "C_GPIBDevice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

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

void C_GPIBDevice::Configure(int address, int newTimeoutCode, int bufferSize)
{
    // The same address and time-out keep the device (or its failure): each
    // attempt the library refuses costs it a descriptor slot for good.
    if (address != primaryAddress || newTimeoutCode != timeoutCode) reopenNeeded = true;
    primaryAddress = address;
    timeoutCode = newTimeoutCode;
    // A buffer needs room for at least one byte and its terminating NUL.
    readBufferSize = std::max(bufferSize, 2);
    readBuffer.assign(static_cast<std::size_t>(readBufferSize), '\0');
}

void C_GPIBDevice::SetPrimaryAddress(int address)
{
    if (address != primaryAddress) reopenNeeded = true;
    primaryAddress = address;
}

bool C_GPIBDevice::Open()
{
    if (!reopenNeeded) return deviceOpen_;
    reopenNeeded = false;
    if (deviceOpen_) Gpib::ibonl(deviceHandle, 0);
    deviceOpen_ = false;
    deviceHandle = 0;
    openFailure_.reset();
    serialPollFailed_ = false;
    // linux-gpib indexes its tables with the address: one outside the bus
    // must never reach it.
    if (!IsValidPrimaryAddress(primaryAddress)) {
        openFailure_ = OpenFailure{Gpib::EARG, 0, true};
        return false;
    }
    const int handle = Gpib::ibdev(boardIndex, primaryAddress, secondaryAddress, timeoutCode, eotMode, eosMode);
    if (handle < 0) {
        // Without a library these answer 0xDDDDDEAD, which names no cause.
        openFailure_ = OpenFailure{Gpib::ThreadIberr(), Gpib::ThreadIbcntl(), false};
        return false;
    }
    deviceHandle = handle;
    deviceOpen_ = true;
    return IsPresent();
}

void C_GPIBDevice::Close()
{
    if (!deviceOpen_) return;
    // The handle itself, even when a new address waits for the next Open:
    // closing never opens a device.
    Gpib::ibloc(deviceHandle);
    Gpib::ibonl(deviceHandle, 0);
    deviceOpen_ = false;
    deviceHandle = 0;
    reopenNeeded = true;
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
    if (!Open()) {
        serialPollFailed_ = true;
        return 0;
    }
    char statusByte = 0;
    serialPollFailed_ = (Gpib::ibrsp(deviceHandle, &statusByte) & Gpib::ERR) != 0;
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

void C_GPIBDevice::FormatOpenFailure()
{
    const char* format = gpibErrorFormat(openFailure_->iberr);
    if (format == nullptr) return;
    FormatErrorText(format);
    std::string cause;
    if (openFailure_->addressOutsideBus)
        cause = cformat(" Primary address %d is outside %d to %d.", primaryAddress, lowestPrimaryAddress,
                        highestPrimaryAddress);
    else if (openFailure_->iberr == Gpib::EDVR && openFailure_->ibcntl > 0)
        // linux-gpib leaves the system's errno in ibcntl.
        cause = cformat(" ibcntl = %ld (%s).", openFailure_->ibcntl,
                        std::generic_category().message(static_cast<int>(openFailure_->ibcntl)).c_str());
    const std::size_t length = std::strlen(errorText.data());
    std::snprintf(errorText.data() + length, errorText.size() - length, "%s", cause.c_str());
}

const char* C_GPIBDevice::GpibErrorText(bool showMessage)
{
    ClearErrorText();
    if (openFailure_) {
        // The device made no call since: the thread's status is not its own.
        FormatOpenFailure();
    } else if ((Gpib::ThreadIbsta() & Gpib::ERR) != 0) {
        if (const char* format = gpibErrorFormat(Gpib::ThreadIberr())) FormatErrorText(format);
    }
    if (showMessage && errorText[0] != '\0')
        UserMessages::show(UserMessages::Severity::Warning, "GPIB Communication Error", errorText.data());
    return errorText.data();
}
