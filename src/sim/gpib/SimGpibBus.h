#pragma once

// The simulated GPIB bus inside libvemar-sim.so: the instruments at their
// addresses (simulated lasers of every supported model and the optical
// switch), the device descriptors handed out by ibdev, and the record of
// every sweep the lasers make. The NI-488.2 entry points of the plug-in are
// served by it; the optical bench reads the lasers and their sweeps from it.
//
// Thread-safe: every member may be called from any thread. Instruments keep
// their own lock, so operations on different lasers run in parallel (the
// program initialises its sources on one thread each).
//
// For the optical bench:
//   auto& bus = vemarsim::SimGpibBus::instance();
//   bus.laser(address)          state of one laser now (output, power, wavelength, speed ...)
//   bus.lasers()                all of them
//   bus.sweeps() / sweepsAfter(n)    every recorded move, oldest first, each with its
//                               start and stop wavelength, speed, power, output state,
//                               real start and end moments and wavelengthAt(t)
//   bus.waitForSweepAfter(n, timeout)   the first sweep numbered above n, waiting for it

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "SimInstrument.h"
#include "SimLaser.h"
#include "SimSweepLog.h"

namespace vemarsim {

// One of the program's source records, as handed over by the program.
struct SimSourceRecord {
    bool enable = false;
    int address = 0;
    int type = 8;
    double lambdaMinNm = 1240.0;
    double lambdaMaxNm = 1680.0;
};

class SimGpibBus {
public:
    static constexpr int switchType = 100;
    static constexpr int highestAddress = 30;

    static SimGpibBus& instance();

    // ---- what stands on the bus
    // The bus follows these records (unless a fixed bus is declared).
    void setSources(const std::vector<SimSourceRecord>& records);
    // A fixed bus of exactly these instruments, in their power-up state.
    void declareBus(const std::vector<SimInstrumentSetup>& instruments);
    // Back to following the last records handed over.
    void followSources();
    // Address of the optical switch of a followed bus (negative: none).
    void setSwitchAddress(int address);
    // The source records last handed over (index = source index).
    std::vector<SimSourceRecord> sources() const;

    // ---- what the instruments are and did
    std::optional<SimLaserState> laser(int address) const;
    std::vector<SimLaserState> lasers() const;
    std::vector<SimLaserSweep> sweeps() const { return sweepLog_.all(); }
    std::vector<SimLaserSweep> sweepsAfter(std::uint64_t sequence) const { return sweepLog_.after(sequence); }
    std::optional<SimLaserSweep> waitForSweepAfter(std::uint64_t sequence, std::chrono::milliseconds timeout) const
    {
        return sweepLog_.waitAfter(sequence, timeout);
    }
    // The commands the instrument at address received, oldest first.
    std::vector<std::string> commands(int address) const;
    // The channel the switch closed last, or -1.
    int switchChannel() const;
    // Forgets recorded commands and sweeps.
    void clearRecords();

    // ---- the device descriptors of the NI-488.2 entry points
    struct Device {
        int primaryAddress = 0;
        int secondaryAddress = 0;
        double timeoutS = 10.0;
    };
    // A new descriptor (> 0).
    int openDevice(const Device& device);
    bool closeDevice(int descriptor);
    std::optional<Device> device(int descriptor) const;
    // The instrument at a primary address, or nothing.
    std::shared_ptr<SimInstrument> instrumentAt(int address) const;

private:
    SimGpibBus() = default;

    // With mutex_ held: rebuilds the instruments from the followed records.
    void rebuildFromRecordsLocked();
    std::shared_ptr<SimInstrument> makeInstrument(const SimInstrumentSetup& setup);

    // Protects everything below. Taken before an instrument's own lock, never
    // after it; never held while anyone waits.
    mutable std::mutex mutex_;
    std::map<int, std::shared_ptr<SimInstrument>> instruments_;
    bool declared_ = false;
    std::vector<SimSourceRecord> records_;
    int switchAddress_ = 1;
    std::map<int, Device> devices_;
    int nextDescriptor_ = 1;

    SimSweepLog sweepLog_;
};

}  // namespace vemarsim
