#pragma once

// The simulated acquisition unit: a DSP that speaks the unit's byte
// protocol. Bytes the program writes go in through hostWrite(); the
// answers, acknowledgements, status, data blocks and notifications queue up
// for hostRead(). The unit runs either its boot code (flash mode: erase,
// program, boot-mode reads) or its user code (acquisition commands, data
// arrays, user-mode flash reads); DSP_REBOOT switches between them, and the
// user code starts only from a complete firmware image.
//
// The data of a sweep comes from a SweepDataProvider; the unit keeps only
// the protocol, the modes, the flash and the acquisition state.

#include <array>
#include <chrono>
#include <deque>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "DataCalib.h"
#include "DefaultSweepData.h"
#include "IdentityRecord.h"
#include "SweepDataProvider.h"
#include "UnitFaults.h"
#include "UnitFlash.h"

namespace vemarsim {

class SimulatedUnit {
public:
    SimulatedUnit();
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    // The factory state: plugged in, identity and calibration programmed,
    // user code of release 112 running, no faults, the default data.
    void reset();

    // ---- The host side of the bridge ----
    bool plugged() const;
    // Changes each time the unit is unplugged: handles of an older generation are dead.
    std::uint64_t generation() const;
    void hostWrite(const std::uint8_t* data, std::size_t length);
    std::size_t hostRxCount();
    std::size_t hostRead(std::uint8_t* out, std::size_t length);
    // Discards what the unit sent and the program has not read yet.
    void hostFlushReceive();

    // ---- Controls ----
    void setPlugged(bool plugged);
    // Reprograms the user code with an image of that release and restarts it.
    bool setRelease(int hundredths);
    bool injectFault(int fault, int arg);
    void clearFaults();
    int pendingFaults() const;
    void setRandomFaults(double probability, std::uint64_t seed);
    void setSampleCount(std::uint32_t samples);
    // The array a read command returns for the current settings.
    std::vector<std::uint8_t> peekArray(std::uint16_t command);
    bool readFlash(std::uint32_t wordAddress, std::uint8_t* out, std::size_t bytes) const;
    bool writeFlash(std::uint32_t wordAddress, const std::uint8_t* data, std::size_t bytes);
    void status(bool& flashMode, int& release) const;

    struct RecordedPacket {
        std::array<std::uint8_t, 8> bytes;
        std::uint32_t dataLength;  // non-zero for a flash data packet
    };
    std::vector<RecordedPacket> recordedPackets() const;
    void clearRecord();

    // ---- For the optical bench ----
    // Replaces the data source (nullptr: the default one).
    void setSweepDataProvider(std::shared_ptr<SweepDataProvider> provider);
    // Ends an armed triggered acquisition: the end-of-scan notification goes out.
    void endTriggeredAcquisition();
    // What the program told the DSP last.
    AcquisitionSettings settings() const;
    // The identity record and the calibration image stored in flash now
    // (they follow what the program writes into the unit); nullptr when
    // zone 1 holds no calibration file.
    IdentityRecord identityInFlash() const;
    std::unique_ptr<DataCalib> calibrationInFlash() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };

    void resetLocked();
    void startUserCode();
    void unplugLocked();
    // Ends the connection: handles die, bytes on the way are lost.
    void dropLine();
    void releaseDue();
    void process();
    void handlePacket(const std::uint8_t* packet);
    void handleBootCommand(std::uint16_t code, const std::uint8_t* packet);
    void handleUserCommand(std::uint16_t code, std::uint32_t parameter);
    void handleFlashData(const std::uint8_t* data, std::size_t length);
    void record(const std::uint8_t* bytes, std::uint32_t dataLength);

    // Sends an answer, after extraDelaySeconds of work, through the faults.
    void send(std::vector<std::uint8_t> bytes, double extraDelaySeconds = 0.0);
    void sendAck(std::uint16_t code, std::uint8_t flags, std::uint32_t value = 0, double delaySeconds = 0.0);
    // One block of an array for a request of `remaining` bytes.
    void sendBlock(const std::vector<std::uint8_t>& array, std::uint32_t remaining);
    void sendDataBlock(const std::uint8_t* data, std::uint32_t n, bool last, bool error);
    std::vector<std::uint8_t> arrayBytes(std::uint16_t command);

    // Protects every member below: the unit is reached from the program's
    // threads, the pseudo-terminal server and the bench.
    mutable std::mutex mutex_;

    bool plugged_ = true;
    std::uint64_t generation_ = 1;
    bool flashMode_ = false;
    int release_ = 0;
    UnitFlash flash_;

    std::vector<std::uint8_t> input_;
    Clock::time_point lastInput_{};
    std::size_t flashDataExpected_ = 0;
    std::uint32_t programAddress_ = 0;
    std::vector<std::uint8_t> output_;
    std::size_t outputHead_ = 0;
    std::vector<Pending> pending_;

    std::vector<std::uint8_t> flashReadData_;
    std::uint32_t flashReadRemaining_ = 0;
    std::uint32_t userReadAddress_ = 0;
    std::map<std::uint16_t, std::vector<std::uint8_t>> arrays_;

    AcquisitionSettings settings_;
    bool acquiring_ = false;
    bool armed_ = false;
    std::optional<Clock::time_point> endOfScanDue_;
    std::array<std::uint16_t, 10> levels_{};
    bool levelsSampled_ = false;
    std::uint32_t blockCounter_ = 0;
    std::shared_ptr<DefaultSweepData> defaultData_;
    std::shared_ptr<SweepDataProvider> provider_;

    UnitFaults faults_;
    std::deque<RecordedPacket> record_;
};

// The one unit of the plug-in.
SimulatedUnit& unit();

}  // namespace vemarsim
