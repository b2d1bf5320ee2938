#pragma once

// "vemar-cli serve" as a child process on the simulated bench, in a
// documents folder of its own, and a plain blocking client of it: the
// server as a line controller sees it, with nothing of its insides.

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"

class ServerProcess {
public:
    // Starts the server (on port 0 unless the arguments say otherwise) and
    // waits until it listens; std::runtime_error when it does not.
    explicit ServerProcess(const std::vector<std::string>& extraArguments = {});
    // SIGTERM, then SIGKILL if it has not ended within a while.
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int port() const { return port_; }
    const TempDir& documents() const { return documents_; }
    // The Data folder of the documents folder.
    std::string dataFolder() const;

    // What the server wrote on stderr so far.
    std::string errors() const;
    // Waits until stderr holds text (false after timeout).
    bool waitForError(const std::string& text, std::chrono::milliseconds timeout) const;

    // Sends signal and waits for the end: the exit status, or -1 when it
    // was killed or did not end within timeout.
    int terminate(int signal, std::chrono::milliseconds timeout);

private:
    TempDir documents_;
    pid_t pid_ = -1;
    int errFd_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;  // protects stderr_
    std::string stderr_;
    std::thread reader_;
    bool ended_ = false;
    int exitStatus_ = -1;
};

// A blocking TCP client with a receive timeout.
class Client {
public:
    explicit Client(int port, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void send(const std::string& bytes);
    void sendLine(const std::string& line) { send(line + "\n"); }
    // One answer line without its "\n"; throws std::runtime_error on timeout or end.
    std::string readLine();
    std::string query(const std::string& line)
    {
        sendLine(line);
        return readLine();
    }
    // An IEEE 488.2 definite-length block and the "\n" after it.
    std::string readBlock();
    // The next SYSTem:ERRor? entry's code.
    int nextErrorCode();
    // True when the server closed the connection (reads until then).
    bool closedByServer();
    // Closes with a reset, as a killed process's socket with unread data does.
    void abandon();
    int fd() const { return fd_; }

private:
    bool fill();
    int fd_ = -1;
    std::string buffer_;
};

// The path of the program under test.
std::string serveProgram();
