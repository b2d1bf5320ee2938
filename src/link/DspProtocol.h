#pragma once

// The byte protocol between the host and the unit's DSP, written once for
// both ends: command codes, sizes, and the layout of every packet (command
// packets, flash orders, acknowledgements, the status answer, data block
// trailers, flash data packets). All fields are little-endian; every check
// is a 16-bit XOR over words.

#include <array>
#include <cstddef>
#include <cstdint>

#include "ByteOrder.h"
#include "DspError.h"

// Sizes and timing of the protocol.
inline constexpr int NB_BYTES_OUT = 8;
inline constexpr int NB_BYTES_PCK_MAX = 2048;
inline constexpr int NB_BYTES_FLASH_PAYLOAD_MAX = NB_BYTES_PCK_MAX - 2;
inline constexpr int DSP_ACK_SIZE = 16;
inline constexpr int DSP_STATUS_SIZE = 6;
inline constexpr int DSP_TRAILER_SIZE = 6;
inline constexpr int DSP_RECEIVE_WAIT_MS = 5000;
inline constexpr int DSP_RELEASE_REQUIRED = 112;
inline constexpr std::uint32_t DSP_PRODUCT_ID = 0x82B4;
inline constexpr std::uint32_t DSP_BAUD_RATE = 921600;

// Command codes.
inline constexpr std::uint16_t DSP_GET_STATUS = 0x01;
inline constexpr std::uint16_t DSP_REBOOT = 0x02;
inline constexpr std::uint16_t DSP_FLASH_PREPARE_USER_CODE = 0x03;
inline constexpr std::uint16_t DSP_FLASH_PROG_ORDER = 0x04;
inline constexpr std::uint16_t DSP_FLASH_READ = 0x05;
inline constexpr std::uint16_t DSP_FLASH_ERASE_SECTOR = 0x06;
inline constexpr std::uint16_t DSP_FLASH_START_PROG_AD = 0x07;
inline constexpr std::uint16_t DSP_ACQ_START = 0x3C;
inline constexpr std::uint16_t DSP_ACQ_STOP = 0x3D;
inline constexpr std::uint16_t DSP_USER_FLASH_ADDRESS = 0x46;
inline constexpr std::uint16_t DSP_USER_FLASH_READ = 0x47;
inline constexpr std::uint16_t DSP_READ_OUTPUT = 0x64;
inline constexpr std::uint16_t DSP_READ_DETECTOR1 = 0x65;
inline constexpr std::uint16_t DSP_READ_DETECTOR2 = 0x66;
inline constexpr std::uint16_t DSP_READ_DETECTOR3 = 0x67;
inline constexpr std::uint16_t DSP_READ_DETECTOR4 = 0x68;
inline constexpr std::uint16_t DSP_READ_ORL = 0x69;
inline constexpr std::uint16_t DSP_READ_AUX = 0x6A;
inline constexpr std::uint16_t DSP_READ_EXT = 0x6B;
inline constexpr std::uint16_t DSP_READ_REF_SIGNAL = 0x6C;
inline constexpr std::uint16_t DSP_READ_LEVELS = 0x6D;
inline constexpr std::uint16_t DSP_SAMPLE_LEVELS = 0x6E;
inline constexpr std::uint16_t DSP_READ_MARK_STEPS = 0x79;
inline constexpr std::uint16_t DSP_READ_JUMP_INDEXES = 0x7A;
inline constexpr std::uint16_t DSP_READ_EXTRA_JUMPS = 0x7C;
inline constexpr std::uint16_t DSP_SET_MARK_COUNT = 0x83;
inline constexpr std::uint16_t DSP_SET_SAMPLING_STEP = 0x85;
inline constexpr std::uint16_t DSP_SET_LEVEL_1 = 0x86;
inline constexpr std::uint16_t DSP_SET_LEVEL_2 = 0x88;
inline constexpr std::uint16_t DSP_SET_HARDWARE_CODE = 0x8B;
inline constexpr std::uint16_t DSP_ARM_TRIGGER = 0x8C;
inline constexpr std::uint16_t DSP_SET_CONFIG = 0x8D;
inline constexpr std::uint16_t DSP_READ_STATUS_WORD = 0x8E;

// The unsolicited end-of-scan notification: one word.
inline constexpr std::uint16_t DSP_END_OF_SCAN = 200;

// Acknowledgement flags.
inline constexpr std::uint8_t DSP_ACK_FIN_CMD = 0x01;
inline constexpr std::uint8_t DSP_ACK_SERIAL_ERROR = 0x02;
inline constexpr std::uint8_t DSP_ACK_FLASH_ERROR = 0x04;

// Block trailer flags.
inline constexpr std::uint16_t DSP_BLOCK_LAST = 0x0001;
inline constexpr std::uint16_t DSP_BLOCK_ERROR = 0x0002;

// The command packet. The host never sends it as a structure (the fields
// go through the byte-order helpers below) but its layout is the contract.
#pragma pack(push, 1)
struct DDataHeaderStruct {
    std::uint16_t code;
    std::uint32_t parameter;
    std::uint16_t unused;
};
#pragma pack(pop)
static_assert(sizeof(DDataHeaderStruct) == NB_BYTES_OUT,
              "Error in class Dsp:: DDataHeaderStruct != NB_BYTES_OUT Check for Aligment at Compilation ");

namespace DspPacket {

using Command = std::array<std::uint8_t, NB_BYTES_OUT>;
using Ack = std::array<std::uint8_t, DSP_ACK_SIZE>;
using Status = std::array<std::uint8_t, DSP_STATUS_SIZE>;
using Trailer = std::array<std::uint8_t, DSP_TRAILER_SIZE>;

// Command packet {code, parameter, 0}.
inline Command command(std::uint16_t code, std::uint32_t parameter = 0)
{
    Command p{};
    byteorder::writeU16le(p.data() + offsetof(DDataHeaderStruct, code), code);
    byteorder::writeU32le(p.data() + offsetof(DDataHeaderStruct, parameter), parameter);
    return p;
}

// Flash order: the same 8 bytes as {code, count or sector mask, word address}.
inline Command flashOrder(std::uint16_t code, std::uint16_t count, std::uint32_t address)
{
    Command p{};
    byteorder::writeU16le(p.data(), code);
    byteorder::writeU16le(p.data() + 2, count);
    byteorder::writeU32le(p.data() + 4, address);
    return p;
}

// Both readings of a received packet.
struct Fields {
    std::uint16_t code;
    std::uint32_t parameter;  // command packet
    std::uint16_t count;      // flash order
    std::uint32_t address;    // flash order
};
inline Fields decode(const std::uint8_t* p)
{
    return {byteorder::readU16le(p), byteorder::readU32le(p + 2), byteorder::readU16le(p + 2),
            byteorder::readU32le(p + 4)};
}

// Acknowledgement: word 0 echoes the code, byte 2 the flags, bytes 4-7 the
// value, bytes 14-15 the XOR of the seven words before.
inline constexpr std::size_t ackFlagsOffset = 2;
inline constexpr std::size_t ackValueOffset = 4;
inline constexpr std::size_t ackChecksumOffset = 14;

inline Ack ack(std::uint16_t code, std::uint8_t flags, std::uint32_t value)
{
    Ack a{};
    byteorder::writeU16le(a.data(), code);
    a[ackFlagsOffset] = flags;
    byteorder::writeU32le(a.data() + ackValueOffset, value);
    byteorder::writeU16le(a.data() + ackChecksumOffset, byteorder::xorWords(a.data(), ackChecksumOffset));
    return a;
}
inline std::uint8_t ackFlags(const std::uint8_t* a) { return a[ackFlagsOffset]; }
inline std::uint32_t ackValue(const std::uint8_t* a) { return byteorder::readU32le(a + ackValueOffset); }
inline bool ackChecksumOk(const std::uint8_t* a)
{
    return byteorder::xorWords(a, ackChecksumOffset) == byteorder::readU16le(a + ackChecksumOffset);
}

// The host's check of an acknowledgement, in this order: the error flags,
// FinCmd when required, the checksum. True, or raises a DspError whose
// fixed text names the check's historical home.
inline bool checkAck(const std::uint8_t* a, bool finRequired)
{
    const std::uint8_t flags = ackFlags(a);
    if ((flags & DSP_ACK_SERIAL_ERROR) != 0) throw DspError("C_DspFlashAccess::CheckCmdAnswer() Serial Com Error");
    if ((flags & DSP_ACK_FLASH_ERROR) != 0) throw DspError("C_DspFlashAccess::CheckCmdAnswer() FLash Access Error");
    if (finRequired && (flags & DSP_ACK_FIN_CMD) == 0)
        throw DspError("C_DspFlashAccess::CheckCmdAnswer() FinCmd not recieved");
    if (!ackChecksumOk(a)) throw DspError("C_DspFlashAccess::CheckCmdAnswer() Cheksum Error");
    return true;
}

// Status answer {1, flash mode bit 15 | release, third word}.
inline Status status(bool flashMode, std::uint16_t release, std::uint16_t third)
{
    Status s{};
    byteorder::writeU16le(s.data(), DSP_GET_STATUS);
    byteorder::writeU16le(s.data() + 2, static_cast<std::uint16_t>((flashMode ? 0x8000 : 0) | (release & 0x7FFF)));
    byteorder::writeU16le(s.data() + 4, third);
    return s;
}

// Block trailer {word A, flags, XOR of the data words, word A and flags}.
inline std::uint16_t blockChecksum(const std::uint8_t* data, std::size_t bytes, std::uint16_t wordA, std::uint16_t flags)
{
    return static_cast<std::uint16_t>(byteorder::xorWords(data, bytes) ^ wordA ^ flags);
}
inline Trailer trailer(const std::uint8_t* data, std::size_t bytes, std::uint16_t wordA, std::uint16_t flags)
{
    Trailer t{};
    byteorder::writeU16le(t.data(), wordA);
    byteorder::writeU16le(t.data() + 2, flags);
    byteorder::writeU16le(t.data() + 4, blockChecksum(data, bytes, wordA, flags));
    return t;
}
inline std::uint16_t trailerWordA(const std::uint8_t* t) { return byteorder::readU16le(t); }
inline std::uint16_t trailerFlags(const std::uint8_t* t) { return byteorder::readU16le(t + 2); }
inline std::uint16_t trailerChecksum(const std::uint8_t* t) { return byteorder::readU16le(t + 4); }

// Bytes of a flash data packet for n payload bytes: padded to even, plus the checksum word.
inline constexpr std::size_t flashDataPacketSize(std::size_t payload) { return ((payload + 1) & ~std::size_t{1}) + 2; }

}  // namespace DspPacket
