#include "ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

extern char** environ;

std::string serveProgram() { return VEMAR_CLI_PROGRAM; }

namespace {

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& extraArguments)
{
    std::vector<std::string> argv{serveProgram(), "--simulate", "--seed", "7", "--sim-time-scale", "0.01",
                                  "--config", VEMAR_DEMO_CONFIG};
    argv.insert(argv.end(), extraArguments.begin(), extraArguments.end());
    argv.push_back("serve");
    bool listenGiven = false;
    for (const std::string& a : extraArguments) listenGiven = listenGiven || a.rfind("--listen", 0) == 0;
    if (!listenGiven) argv.push_back("--listen=127.0.0.1:0");
    std::vector<std::string> envp;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("XDG_DOCUMENTS_DIR=", 0) != 0 && entry.rfind("LC_ALL=", 0) != 0) envp.push_back(entry);
    }
    envp.push_back("XDG_DOCUMENTS_DIR=" + documents_.str());
    envp.push_back("LC_ALL=C");
    std::vector<char*> argvPointers = pointers(argv);
    std::vector<char*> envPointers = pointers(envp);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid_, argvPointers[0], &actions, nullptr, argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        throw std::runtime_error(std::string("can't start vemar-cli: ") + std::strerror(spawned));
    }
    errFd_ = fds[0];
    reader_ = std::thread([this] {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(errFd_, buffer, sizeof buffer);
            if (n <= 0) break;
            std::lock_guard lock(mutex_);
            stderr_.append(buffer, static_cast<std::size_t>(n));
        }
    });
    const std::string marker = "listening on ";
    if (!waitForError(marker, std::chrono::seconds(30)))
        throw std::runtime_error("the server did not start listening:\n" + errors());
    const std::string text = errors();
    const std::size_t at = text.find(marker);
    const std::size_t colon = text.rfind(':', text.find('\n', at));
    port_ = std::stoi(text.substr(colon + 1));
}

ServerProcess::~ServerProcess()
{
    if (!ended_) terminate(SIGTERM, std::chrono::seconds(20));
    if (reader_.joinable()) reader_.join();
    if (errFd_ >= 0) ::close(errFd_);
}

std::string ServerProcess::dataFolder() const { return documents_.str() + "/Zelmora Optics/VEMAR/Data/"; }

std::string ServerProcess::errors() const
{
    std::lock_guard lock(mutex_);
    return stderr_;
}

bool ServerProcess::waitForError(const std::string& text, std::chrono::milliseconds timeout) const
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < until) {
        if (errors().find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return errors().find(text) != std::string::npos;
}

int ServerProcess::terminate(int signal, std::chrono::milliseconds timeout)
{
    if (ended_) return exitStatus_;
    ::kill(pid_, signal);
    const auto until = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) break;
        if (std::chrono::steady_clock::now() >= until) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            ended_ = true;
            return exitStatus_ = -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ended_ = true;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitStatus_;
}

// ---------------------------------------------------------------------------

Client::Client(int port, std::chrono::milliseconds timeout)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) throw std::runtime_error("socket failed");
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        throw std::runtime_error(std::string("connect failed: ") + std::strerror(errno));
    }
}

Client::~Client()
{
    if (fd_ >= 0) ::close(fd_);
}

void Client::send(const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) throw std::runtime_error("send failed");
        sent += static_cast<std::size_t>(n);
    }
}

bool Client::fill()
{
    char chunk[65536];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
}

std::string Client::readLine()
{
    for (;;) {
        const std::size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        if (!fill()) throw std::runtime_error("no answer line (timeout or connection closed)");
    }
}

std::string Client::readBlock()
{
    while (buffer_.size() < 2)
        if (!fill()) throw std::runtime_error("no block");
    if (buffer_[0] != '#') throw std::runtime_error("not a block: " + buffer_.substr(0, 40));
    const std::size_t digits = static_cast<std::size_t>(buffer_[1] - '0');
    while (buffer_.size() < 2 + digits)
        if (!fill()) throw std::runtime_error("short block header");
    const std::size_t bytes = std::stoul(buffer_.substr(2, digits));
    while (buffer_.size() < 2 + digits + bytes + 1)
        if (!fill()) throw std::runtime_error("short block");
    std::string block = buffer_.substr(2 + digits, bytes);
    if (buffer_[2 + digits + bytes] != '\n') throw std::runtime_error("no line end after the block");
    buffer_.erase(0, 2 + digits + bytes + 1);
    return block;
}

int Client::nextErrorCode() { return std::stoi(query("SYST:ERR?")); }

bool Client::closedByServer()
{
    buffer_.clear();
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n == 0) return true;
        if (n < 0) return errno == ECONNRESET;
    }
}

void Client::abandon()
{
    linger l{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd_);
    fd_ = -1;
}
