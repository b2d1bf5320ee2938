#pragma once

// The record of every sweep (wavelength move) the simulated lasers make,
// shared by all lasers of the bus. Thread-safe.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "SimTiming.h"

namespace vemarsim {

struct SimLaserSweep {
    std::uint64_t sequence = 0;  // order on the bus, from 1
    int address = 0;
    int type = 0;
    double startNm = 0.0;
    double stopNm = 0.0;  // where the move ends (or ended, when interrupted)
    double speedNmPerS = 0.0;
    double powerMw = 0.0;
    bool outputOn = false;
    bool interrupted = false;  // a new move began before this one ended
    SimClockPoint began{};
    SimClockPoint ends{};     // real moment the laser reaches stopNm
    double durationS = 0.0;   // simulated seconds

    // The laser's wavelength at real moment t (clamped to the sweep's ends).
    double wavelengthAt(SimClockPoint t) const;
};

class SimSweepLog {
public:
    // Records a sweep that begins now; returns its sequence number.
    std::uint64_t record(SimLaserSweep sweep);
    // A sweep cut short at stopNm at moment t.
    void interrupt(std::uint64_t sequence, double stopNm, SimClockPoint t);

    std::vector<SimLaserSweep> all() const;
    std::vector<SimLaserSweep> after(std::uint64_t sequence) const;
    // Waits (real time) for a sweep numbered above sequence; nothing on time-out.
    std::optional<SimLaserSweep> waitAfter(std::uint64_t sequence, std::chrono::milliseconds timeout) const;
    void clear();

private:
    // Protects sweeps_ and next_; changed_ is signalled on every new sweep.
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<SimLaserSweep> sweeps_;
    std::uint64_t next_ = 1;
};

}  // namespace vemarsim
