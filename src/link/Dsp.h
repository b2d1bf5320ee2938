#pragma once

// The DSP of the unit: command packets and their acknowledgements, the
// status request, and the data arrays read back in blocks. Every object
// opens the unit through UsbDevice; the status request and the array reads
// are serialised by a process-wide lock that lives as long as any Dsp.

#include <cstdint>
#include <memory>
#include <mutex>

#include "DspProtocol.h"
#include "Usbdevice.h"

// Result codes of the exchanges.
namespace DspResult {
inline constexpr int Ok = 0;
inline constexpr int WriteFailed = 1;         // every exchange
inline constexpr int ReadFailed = 2;          // RequestSize (bit), ReadBlocks; GetStatus: no or bad answer
inline constexpr int TimeOut = 4;             // RequestSize (bit), ReadBlocks
inline constexpr int NoAcknowledge = 0x10;    // SendCommand
inline constexpr int BlockCorrupt = 16;       // ReadBlocks: checksum or error flag
inline constexpr int EndMarkWrong = 32;       // ReadBlocks: last-block flag early or missing
inline constexpr int ArrayTooLarge = 64;      // ReadBlocks: more bytes announced than the buffer holds
}  // namespace DspResult

class Dsp : public UsbDevice {
public:
    Dsp();
    ~Dsp() override;

    // Sends a command and waits for its acknowledgement with FinCmd.
    int SendCommand(std::uint16_t code, std::uint32_t parameter = 0);
    // flashMode: the boot code runs; release in hundredths; third: the answer's third word.
    int GetStatus(bool& flashMode, int& release, int& third);
    // The byte size of the array of a read command (a bit set of 1, 2, 4).
    int RequestSize(std::uint16_t code, std::uint32_t& byteSize);
    // Reads total bytes in blocks of at most 2048 into buffer, which holds
    // capacity bytes; an announcement larger than the buffer is refused
    // with ArrayTooLarge before any block is asked for.
    int ReadBlocks(std::uint16_t code, void* buffer, std::uint32_t capacity, std::uint32_t& received, std::uint32_t total);
    // An array of 16-bit words: its size, then its blocks.
    int ReadWords(std::uint16_t code, std::uint16_t* buffer, std::uint32_t capacityWords, std::uint32_t& receivedWords);
    // An array of 32-bit words.
    int ReadDwords(std::uint16_t code, std::uint32_t* buffer, std::uint32_t capacityDwords, std::uint32_t& receivedDwords);

    // Waits until count bytes are queued: the queued count, or 0 after 5000 ms.
    int WaitRx(int count);
    // Reads and checks an acknowledgement; false on time-out or failed read.
    bool WaitAck(bool finRequired);

    // Live Dsp objects of every kind.
    static int liveObjects();

protected:
    bool WritePacket(const DspPacket::Command& packet) { return Write(packet.data(), NB_BYTES_OUT); }
    // Discards what is still queued from an earlier exchange.
    void DiscardStaleInput();
    // Reads exactly length bytes (already queued).
    bool ReadExactly(void* buffer, std::uint32_t length);
    std::mutex& lock() { return *lock_; }

private:
    template <typename Unit>
    int ReadArray(std::uint16_t code, Unit* buffer, std::uint32_t capacity, std::uint32_t& received);

    std::shared_ptr<std::mutex> lock_;
};
