#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "SimulatedUnit.h"

namespace vemarsim {
namespace {

void closeFd(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

PtyServer::PtyServer(SimulatedUnit& unit) : unit_(unit) {}

PtyServer::~PtyServer()
{
    stop_ = true;
    if (wakeWrite_ >= 0) {
        const char c = 0;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &c, 1);
    }
    if (thread_.joinable()) thread_.join();
    closeFd(master_);
    closeFd(slave_);
    closeFd(wakeRead_);
    closeFd(wakeWrite_);
}

bool PtyServer::start()
{
    termios raw{};
    ::cfmakeraw(&raw);
    ::cfsetspeed(&raw, B921600);
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) return false;
    slavePath_ = name;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    thread_ = std::thread([this] { serve(); });
    return true;
}

void PtyServer::serve()
{
    std::vector<std::uint8_t> fromHost(4096);
    std::vector<std::uint8_t> toHost;  // read from the unit, not yet taken by the tty
    std::size_t toHostHead = 0;
    while (!stop_) {
        if (!unit_.plugged()) {
            // The unit is gone: the program's side of the line hangs up.
            closeFd(master_);
            closeFd(slave_);
            return;
        }
        if (toHostHead == toHost.size()) {
            toHost.resize(unit_.hostRxCount());
            toHost.resize(unit_.hostRead(toHost.data(), toHost.size()));
            toHostHead = 0;
        }
        pollfd fds[2] = {{master_, static_cast<short>(POLLIN | (toHostHead < toHost.size() ? POLLOUT : 0)), 0},
                         {wakeRead_, POLLIN, 0}};
        // A short timeout: answers the unit schedules for later (an erase,
        // a late answer, the end of a scan) are picked up within 2 ms.
        if (::poll(fds, 2, 2) < 0 && errno != EINTR) return;
        if ((fds[1].revents & POLLIN) != 0) return;
        if ((fds[0].revents & POLLIN) != 0) {
            const ssize_t n = ::read(master_, fromHost.data(), fromHost.size());
            if (n > 0) unit_.hostWrite(fromHost.data(), static_cast<std::size_t>(n));
        }
        if (toHostHead < toHost.size()) {
            const ssize_t n = ::write(master_, toHost.data() + toHostHead, toHost.size() - toHostHead);
            if (n > 0) toHostHead += static_cast<std::size_t>(n);
        }
    }
}

}  // namespace vemarsim
