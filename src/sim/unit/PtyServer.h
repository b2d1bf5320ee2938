#pragma once

// Serves the simulated unit on a pseudo-terminal, so that the program's
// real tty backend talks to it exactly as to a unit on /dev/ttyUSBn. A
// thread carries bytes between the master side and the unit; when the unit
// is unplugged the master is closed and the slave reads as hung up.

#include <atomic>
#include <string>
#include <thread>

namespace vemarsim {

class SimulatedUnit;

class PtyServer {
public:
    explicit PtyServer(SimulatedUnit& unit);
    // Stops serving and joins the thread.
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pseudo-terminal and starts serving; false when none can be made.
    bool start();
    // The slave's path, for the program to open.
    const std::string& slavePath() const { return slavePath_; }

private:
    void serve();

    SimulatedUnit& unit_;
    int master_ = -1;
    // The slave stays open here too, so the line does not hang up between
    // the program's opens; it is closed once the unit is unplugged.
    int slave_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::string slavePath_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace vemarsim
