#pragma once

// Base of every GPIB instrument driver: one device handle, an answer buffer,
// the last command written (quoted in error texts) and an error text.
//
// The handle is created lazily: any operation that needs the bus opens it
// first, and changing the address makes the next operation take the old
// handle offline and create a new one. Presence is tested only when the
// handle is created; IsPresent() asks the bus every time.
//
// A device is opened once per address. When the library cannot open it
// (no board, an address outside the bus) the device makes no further call
// until its address changes: linux-gpib keeps a descriptor slot for every
// failed attempt, and a call on the -1 it returns only reports an invalid
// descriptor instead of the real cause, which the error text keeps.
//
// One object is used by one thread at a time; the class has no lock.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class C_GPIBDevice {
public:
    static constexpr int errorTextSize = 1000;
    static constexpr int lastCommandSize = 500;
    static constexpr int defaultTimeoutCode = 13;  // T10s
    static constexpr int defaultReadBufferSize = 500;
    // The primary addresses of the bus.
    static constexpr int lowestPrimaryAddress = 0;
    static constexpr int highestPrimaryAddress = 30;
    static constexpr bool IsValidPrimaryAddress(int address)
    {
        return address >= lowestPrimaryAddress && address <= highestPrimaryAddress;
    }

    C_GPIBDevice();
    virtual ~C_GPIBDevice();

    C_GPIBDevice(const C_GPIBDevice&) = delete;
    C_GPIBDevice& operator=(const C_GPIBDevice&) = delete;

    // Configure(address, 13, 500).
    void SetAddress(int address);
    // Stores the values and replaces the answer buffer. No bus traffic: the
    // next operation opens the device (again, when the address or time-out
    // changed).
    void Configure(int address, int timeoutCode, int bufferSize);
    // Stores the address for the next Open; no bus traffic.
    void SetPrimaryAddress(int address);

    // True when the device may be used; creates the handle when needed and
    // then reports presence. False without any call once the library could
    // not open the device at this address.
    bool Open();
    // Returns the instrument to local control and releases the handle.
    void Close();
    // Writes text (without its NUL); remembered as the last command even
    // when the write fails. Nothing is written when Open fails.
    void Write(const char* text);
    // Reads at most maxCount bytes; the last byte received (the instrument's
    // terminator) is dropped. Never null; empty on failure.
    const char* Read(int maxCount);
    int GetHandle() const { return deviceHandle; }
    // Text of the calling thread's last GPIB failure naming the last
    // command, or an empty text when there was none. For a device that could
    // not be opened, the cause of that failure (with the system error the
    // library gave). With showMessage a non-empty text is also shown in a
    // warning box.
    const char* GpibErrorText(bool showMessage);

    // The library could not open the device at its address.
    bool OpenFailed() const { return openFailure_.has_value(); }
    // The device could not be opened, or its last serial poll failed: the
    // instrument is not there to answer.
    bool ConnectionFailed() const { return OpenFailed() || serialPollFailed_; }
    bool SerialPollFailed() const { return serialPollFailed_; }

    virtual const char* WaitReady(bool showMessage) = 0;
    virtual int CheckStatus(bool showMessage) = 0;
    // The device's status byte; 0 when Open fails. A poll that fails (or
    // cannot be made) marks the connection as failed until one succeeds.
    virtual int SerialPoll();
    // The answer to "*ESR?"; -1 when Open fails.
    virtual int QueryEventStatus();
    virtual bool IsPresent();
    // The status of the return to local; 0 when Open fails.
    virtual int GoToLocal();

    int PrimaryAddress() const { return primaryAddress; }
    const char* LastCommand() const { return lastCommand.data(); }
    const char* ErrorText() const { return errorText.data(); }
    int ReadBufferSize() const { return readBufferSize; }

protected:
    // Sets errorText from a format taking the last command as its only argument.
    void FormatErrorText(const char* format);
    void ClearErrorText() { errorText[0] = '\0'; }
    void RememberCommand(const char* text);

    std::array<char, errorTextSize> errorText{};
    std::vector<char> readBuffer;
    std::array<char, lastCommandSize> lastCommand{};
    std::int32_t boardIndex = 0;
    std::int32_t secondaryAddress = 0;
    std::int32_t eotMode = 1;
    std::int32_t eosMode = 0;
    std::int32_t primaryAddress = 10;
    std::int32_t timeoutCode = defaultTimeoutCode;
    bool reopenNeeded = true;
    std::int32_t deviceHandle = 0;
    std::int32_t readBufferSize = defaultReadBufferSize;

private:
    // Why the library could not open the device: its iberr and ibcntl.
    struct OpenFailure {
        int iberr;
        long ibcntl;
        bool addressOutsideBus;  // refused here, never handed to the library
    };
    void FormatOpenFailure();

    // deviceHandle holds a descriptor the library handed out.
    bool deviceOpen_ = false;
    std::optional<OpenFailure> openFailure_;
    bool serialPollFailed_ = false;
};
