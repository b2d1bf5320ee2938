#include "C_DspFlashAccess.h"

#include <algorithm>
#include <cstring>

#include "DspError.h"
#include "LinkTiming.h"

bool C_DspFlashAccess::CheckCmdAnswer(const std::uint8_t* ack, bool finRequired)
{
    return DspPacket::checkAck(ack, finRequired);
}

void C_DspFlashAccess::SendFlashEraseSector(std::uint16_t mask)
{
    if (!WritePacket(DspPacket::flashOrder(DSP_FLASH_ERASE_SECTOR, mask, 0)))
        throw DspError("Error C_DspFlashAccess::SendFlashEraseSector() Error during sending Erase Order");
    // An erase takes seconds: the acknowledgement is looked for every 300 ms.
    for (int checks = 0;; ++checks) {
        LinkTiming::sleepMs(erasePollMs);
        if (checks == eraseChecks)
            throw DspError("Error C_DspFlashAccess::SendFlashEraseSector() Timeout During Order ACK");
        if (RxCount() >= DSP_ACK_SIZE) break;
    }
    if (!WaitAck(false)) throw DspError("Error C_DspFlashAccess::SendFlashEraseSector() Erase Order ACK Error");
}

void C_DspFlashAccess::SendFlashStartProgAd(std::uint32_t address)
{
    if (!WritePacket(DspPacket::flashOrder(DSP_FLASH_START_PROG_AD, 0, address)))
        throw DspError("Error C_DspFlashAccess::SendFlashStartProgAd() Error during sending UserCode Address ");
    if (!WaitAck(false)) throw DspError("Error C_DspFlashAccess::SendFlashStartProgAd() UserCode Address ACK Error");
}

void C_DspFlashAccess::SendFlashPrepare4UserCode()
{
    if (!WritePacket(DspPacket::flashOrder(DSP_FLASH_PREPARE_USER_CODE, 0, 0)))
        throw DspError("Error C_DspFlashAccess::SendFlashPrepare4UserCode()during sending the order ");
    if (!WaitAck(false)) throw DspError("Error C_DspFlashAccess::SendFlashPrepare4UserCode()  ACK Error");
}

void C_DspFlashAccess::SendRebootDSP()
{
    if (!WritePacket(DspPacket::flashOrder(DSP_REBOOT, 0, 0)))
        throw DspError("Error C_DspFlashAccess::SendRebootDSP() Error during sending Reboot ");
}

void C_DspFlashAccess::SendFlashProgOrder(std::uint32_t address, std::uint32_t byteCount)
{
    if (byteCount > NB_BYTES_FLASH_PAYLOAD_MAX)
        throw DspError("Error C_DspFlashAccess::SendFlashProgOrder() nbbyte > NB_BYTES_PCK_MAX-2");
    const auto words = static_cast<std::uint16_t>((byteCount + 1) / 2);
    if (!WritePacket(DspPacket::flashOrder(DSP_FLASH_PROG_ORDER, words, address)))
        throw DspError("Error C_DspFlashAccess::SendFlashProgOrder() Error during sending Program Order");
    if (!WaitAck(false)) throw DspError("Error C_DspFlashAccess::SendFlashProgOrder() Prog Order ACK Error");
}

void C_DspFlashAccess::SendFlashData(const std::uint8_t* bytes, std::uint32_t byteCount)
{
    if (byteCount > NB_BYTES_FLASH_PAYLOAD_MAX)
        throw DspError("Error C_DspFlashAccess::SendFlashData() nbword > NB_BYTES_PCK_MAX");
    std::uint8_t packet[NB_BYTES_PCK_MAX];
    if (byteCount != 0) std::memcpy(packet, bytes, byteCount);
    std::uint32_t padded = byteCount;
    if ((padded & 1) != 0) packet[padded++] = 0xFF;
    byteorder::writeU16le(packet + padded, byteorder::xorWords(packet, padded));
    DiscardStaleInput();
    if (!Write(packet, padded + 2))
        throw DspError("Error C_DspFlashAccess::SendFlashData() Error during sending Data to Flash");
    if (!WaitAck(true)) throw DspError("Error C_DspFlashAccess::SendFlashData() FinOrder Ack error");
}

std::uint32_t C_DspFlashAccess::FlashRead(std::uint32_t address, std::uint32_t words, std::uint8_t* buffer)
{
    std::fill_n(buffer, 2 * static_cast<std::size_t>(words), 0);
    const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(words, 0xFFFF));
    if (!WritePacket(DspPacket::flashOrder(DSP_FLASH_READ, count, address)))
        throw DspError("Error C_DspFlashAccess::FlashRead() Error during sending Read Order");
    if (!WaitAck(false)) throw DspError("Error C_DspFlashAccess::FlashRead() Read Order ACK Error");
    std::uint32_t received = 0;
    const std::uint32_t bytes = 2u * count;
    if (ReadBlocks(DSP_FLASH_READ, buffer, bytes, received, bytes) != DspResult::Ok)
        throw DspError("Error C_DspFlashAccess::FlashRead() Error during Flash read");
    return received / 2;
}
