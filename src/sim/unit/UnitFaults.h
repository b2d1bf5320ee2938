#pragma once

// The faults a test can have the simulated unit commit: each injected fault
// acts once on the answer or data block it targets; random faults corrupt
// answers with a given probability from a seeded generator, so a failing
// run can be replayed.

#include <cstddef>
#include <cstdint>
#include <random>

namespace vemarsim {

class UnitFaults {
public:
    // The fault codes of the C interface (VEMARSIM_FAULT_...).
    bool inject(int fault, int arg);
    void clear();
    void setRandom(double probability, std::uint64_t seed);

    // What happens to the next answer.
    struct AnswerFate {
        bool drop = false;
        double delaySeconds = 0.0;
        std::size_t cut = 0;       // bytes lost at the end
        bool corrupt = false;      // one bit of the last byte flipped
        bool unplugAfter = false;  // the unit vanishes instead of answering
    };
    AnswerFate nextAnswer();

    // What happens to the next acknowledgement's flags and checksum.
    std::uint8_t takeAckFlagFault();
    bool takeAckChecksumFault();

    // What happens to the next data block.
    struct BlockFate {
        bool badChecksum = false;
        bool errorFlag = false;
        bool forceLast = false;
        bool dropLast = false;
    };
    BlockFate nextBlock(bool isLast);

    // An UNPLUG fault with no answer to wait for: the unit goes at once.
    bool takeImmediateUnplug();

    // True when this packet is the one to lose.
    bool takeIgnoredCommand(std::uint16_t code);

    // True when the flash data packet about to be programmed is the one
    // whose first byte does not take its value (acknowledged all the same).
    bool takeProgramFault();
    // The word address of a worn cell, or -1.
    long stuckWord() const { return stuckWord_; }

    // Injected faults that have not acted yet (random faults not counted).
    int pending() const;

private:
    static constexpr long off = -1;
    long badChecksumBlock_ = off;
    long errorFlagBlock_ = off;
    long earlyLastBlock_ = off;
    bool noLastFlag_ = false;
    long dropAnswer_ = off;
    double lateSeconds_ = 0.0;
    std::size_t cutBytes_ = 0;
    std::uint8_t ackFlags_ = 0;
    bool ackChecksum_ = false;
    long unplugAfterAnswers_ = off;
    bool unplugNow_ = false;
    long ignoreCommand_ = off;
    long programFaultPacket_ = off;
    long stuckWord_ = off;

    double randomProbability_ = 0.0;
    std::mt19937_64 random_;
};

}  // namespace vemarsim
