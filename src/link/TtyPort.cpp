#include "TtyPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "Log.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long a read waits for the bytes of a block that are not queued yet:
// an answer may arrive in pieces (a CP210x delivers 64-byte USB packets).
constexpr int readWaitMs = 200;

speed_t speedOf(std::uint32_t baudRate)
{
    switch (baudRate) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 500000: return B500000;
    case 576000: return B576000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    default: return B0;
    }
}

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

TtyPort::~TtyPort() { close(); }

int TtyPort::statusOfErrno(int error, int otherwise)
{
    switch (error) {
    case EBADF: return UsbBridgeStatus::InvalidHandle;
    case ENODEV:
    case ENXIO:
    case EIO:
    case ENOENT: return UsbBridgeStatus::DeviceNotFound;
    default: return otherwise;
    }
}

int TtyPort::open(const std::string& path)
{
    close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Log::error("Can't open %s: %s\n", path.c_str(), std::strerror(errno));
        return UsbBridgeStatus::DeviceNotFound;
    }
    fd_ = fd;
    // A second program on the unit would steal its answers.
    if (::ioctl(fd_, TIOCEXCL) != 0) Log::warn("%s: no exclusive access: %s\n", path.c_str(), std::strerror(errno));
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
        const int status = statusOfErrno(errno, UsbBridgeStatus::DeviceIoFailed);
        close();
        return status;
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
        const int status = statusOfErrno(errno, UsbBridgeStatus::DeviceIoFailed);
        close();
        return status;
    }
    return UsbBridgeStatus::Success;
}

void TtyPort::close()
{
    if (fd_ < 0) return;
    // Exclusive use ends with us, even when another descriptor keeps the line open.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

int TtyPort::setBaudRate(std::uint32_t baudRate)
{
    if (fd_ < 0) return UsbBridgeStatus::InvalidHandle;
    const speed_t speed = speedOf(baudRate);
    if (speed == B0) return UsbBridgeStatus::InvalidBaudRate;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return statusOfErrno(errno, UsbBridgeStatus::InvalidBaudRate);
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return statusOfErrno(errno, UsbBridgeStatus::InvalidBaudRate);
    baudRate_ = baudRate;
    return UsbBridgeStatus::Success;
}

int TtyPort::setLineControl(std::uint16_t lineControl)
{
    if (fd_ < 0) return UsbBridgeStatus::InvalidHandle;
    const int dataBits = lineControl >> 8;
    const int parity = (lineControl >> 4) & 0xF;
    const int stopBits = lineControl & 0xF;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return statusOfErrno(errno, UsbBridgeStatus::InvalidParameter);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
    switch (dataBits) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: return UsbBridgeStatus::InvalidParameter;
    }
    switch (parity) {
    case 0: break;
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    default: return UsbBridgeStatus::InvalidParameter;
    }
    switch (stopBits) {
    case 0: break;
    case 2: t.c_cflag |= CSTOPB; break;
    default: return UsbBridgeStatus::InvalidParameter;
    }
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return statusOfErrno(errno, UsbBridgeStatus::InvalidParameter);
    return UsbBridgeStatus::Success;
}

int TtyPort::setFlowControl(const UsbFlowControl& flow)
{
    if (fd_ < 0) return UsbBridgeStatus::InvalidHandle;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return statusOfErrno(errno, UsbBridgeStatus::InvalidParameter);
    if (flow.ctsMask != 0 || flow.rtsMask != 0)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    if (flow.xonXoff)
        t.c_iflag |= IXON | IXOFF;
    else
        t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return statusOfErrno(errno, UsbBridgeStatus::InvalidParameter);
    return UsbBridgeStatus::Success;
}

int TtyPort::flush(bool transmit, bool receive)
{
    if (fd_ < 0) return UsbBridgeStatus::InvalidHandle;
    if (!transmit && !receive) return UsbBridgeStatus::Success;
    const int which = transmit && receive ? TCIOFLUSH : (transmit ? TCOFLUSH : TCIFLUSH);
    if (::tcflush(fd_, which) != 0) return statusOfErrno(errno, UsbBridgeStatus::DeviceIoFailed);
    return UsbBridgeStatus::Success;
}

int TtyPort::write(const void* data, std::uint32_t length, std::uint32_t& written)
{
    written = 0;
    if (fd_ < 0) return UsbBridgeStatus::InvalidHandle;
    // Ten bits per byte on the line, plus a second for a busy system.
    const auto lineMs = static_cast<long long>(length) * 10 * 1000 / (baudRate_ > 0 ? baudRate_ : 9600);
    const auto deadline = Clock::now() + std::chrono::milliseconds(1000 + lineMs);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (written < length) {
        const ssize_t n = ::write(fd_, bytes + written, length - written);
        if (n > 0) {
            written += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return statusOfErrno(errno, UsbBridgeStatus::WriteError);
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, remainingMs(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return UsbBridgeStatus::WriteError;
        if ((p.revents & POLLNVAL) != 0) return UsbBridgeStatus::InvalidHandle;
        if ((p.revents & (POLLERR | POLLHUP)) != 0) return UsbBridgeStatus::DeviceNotFound;
    }
    return UsbBridgeStatus::Success;
}

int TtyPort::rxQueue(std::uint32_t& queued)
{
    queued = 0;
    if (fd_ < 0) return UsbBridgeStatus::InvalidHandle;
    int count = 0;
    if (::ioctl(fd_, FIONREAD, &count) != 0) return statusOfErrno(errno, UsbBridgeStatus::RxQueueNotReady);
    if (count > 0) {
        queued = static_cast<std::uint32_t>(count);
        return UsbBridgeStatus::Success;
    }
    // An empty queue on a line that hung up is a device that is gone.
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) > 0) {
        if ((p.revents & POLLNVAL) != 0) return UsbBridgeStatus::InvalidHandle;
        if ((p.revents & (POLLERR | POLLHUP)) != 0) return UsbBridgeStatus::DeviceNotFound;
    }
    return UsbBridgeStatus::Success;
}

int TtyPort::read(void* buffer, std::uint32_t length, std::uint32_t& got)
{
    got = 0;
    if (fd_ < 0) return UsbBridgeStatus::InvalidHandle;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    const auto deadline = Clock::now() + std::chrono::milliseconds(readWaitMs);
    while (got < length) {
        const ssize_t n = ::read(fd_, bytes + got, length - got);
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            // A pty whose other side closed reads EIO: the line is gone.
            if (got > 0) break;
            return statusOfErrno(errno, UsbBridgeStatus::ReadError);
        }
        // Nothing there yet. With VMIN and VTIME at 0 an empty tty reads 0
        // (not EAGAIN) whether or not the line is still up: only poll tells
        // a hang-up from bytes that have not arrived yet.
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, remainingMs(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;  // the time is up: what arrived is what there is
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // Hung up with nothing left to read (a hung-up tty also reports
            // POLLIN, yet reads 0). The bytes that came before are delivered;
            // the next call reports the device gone.
            if (got > 0) break;
            return (p.revents & POLLNVAL) != 0 ? UsbBridgeStatus::InvalidHandle : UsbBridgeStatus::DeviceNotFound;
        }
        // Never spin past the time limit on a line that keeps reporting input.
        if (remainingMs(deadline) == 0) break;
    }
    return UsbBridgeStatus::Success;
}
