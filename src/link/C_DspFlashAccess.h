#pragma once

// The flash protocol of the DSP's boot code: erase, program orders, flash
// data packets, boot-mode reads, the user-code start address and the
// reboot. Every failure raises a DspError with the operation's text.

#include <cstdint>

#include "Dsp.h"

class C_DspFlashAccess : public Dsp {
public:
    C_DspFlashAccess() = default;
    ~C_DspFlashAccess() override = default;

    // Checks an acknowledgement (DspPacket::checkAck): error flags, FinCmd
    // when required, the checksum. True, or raises a DspError.
    static bool CheckCmdAnswer(const std::uint8_t* ack, bool finRequired);

    void SendFlashEraseSector(std::uint16_t mask);
    void SendFlashStartProgAd(std::uint32_t address);
    void SendFlashPrepare4UserCode();
    void SendRebootDSP();
    void SendFlashProgOrder(std::uint32_t address, std::uint32_t byteCount);
    void SendFlashData(const std::uint8_t* bytes, std::uint32_t byteCount);
    // Reads words (at most 0xFFFF) from a word address in boot mode into
    // buffer, two bytes per word in flash order; returns the words received.
    std::uint32_t FlashRead(std::uint32_t address, std::uint32_t words, std::uint8_t* buffer);

    // Acknowledgement checks of an erase before giving up (one per 300 ms).
    static constexpr int eraseChecks = 51;
    static constexpr int erasePollMs = 300;
};
