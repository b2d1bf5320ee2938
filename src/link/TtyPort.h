#pragma once

// One serial tty driven the way the bridge library drives the unit: raw
// bytes, baud rate and line settings through termios, the receive queue
// through FIONREAD. Works the same on a CP210x tty and on a pseudo-terminal.
// Every operation returns a bridge status (UsbBridgeStatus).

#include <cstdint>
#include <string>

#include "UsbBridge.h"

class TtyPort {
public:
    TtyPort() = default;
    ~TtyPort();
    TtyPort(const TtyPort&) = delete;
    TtyPort& operator=(const TtyPort&) = delete;

    // Opens the tty for exclusive use in raw mode.
    int open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    int setBaudRate(std::uint32_t baudRate);
    int setLineControl(std::uint16_t lineControl);
    int setFlowControl(const UsbFlowControl& flow);
    int flush(bool transmit, bool receive);
    // Writes the whole block, waiting for the line as long as its
    // transmission takes plus a margin; what could not be written by then
    // is a write error.
    int write(const void* data, std::uint32_t length, std::uint32_t& written);
    int rxQueue(std::uint32_t& queued);
    // Reads what is queued up to length, waiting a short while for the rest.
    int read(void* buffer, std::uint32_t length, std::uint32_t& got);

    // The status for an errno of a failed call on an open tty.
    static int statusOfErrno(int error, int otherwise);

private:
    int fd_ = -1;
    std::uint32_t baudRate_ = 9600;
};
