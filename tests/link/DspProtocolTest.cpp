#include <gtest/gtest.h>

#include "C_DspFlashAccess.h"
#include "DspError.h"
#include "DspProtocol.h"

namespace {

std::string checkResult(const DspPacket::Ack& ack, bool finRequired)
{
    std::string protocol;
    try {
        protocol = DspPacket::checkAck(ack.data(), finRequired) ? "ok" : "false";
    } catch (const DspError& e) {
        protocol = e.what();
    }
    // The flash class answers with the protocol's own check.
    try {
        if ((C_DspFlashAccess::CheckCmdAnswer(ack.data(), finRequired) ? "ok" : "false") != protocol) return "differs";
    } catch (const DspError& e) {
        if (e.what() != protocol) return "differs";
    }
    return protocol;
}

TEST(DspProtocolTest, AcknowledgementChecksInOrder)
{
    struct Case {
        std::uint8_t flags;
        bool finRequired;
        bool breakChecksum;
        const char* result;
    };
    const Case cases[] = {
        {0x01, true, false, "ok"},
        {0x01, false, false, "ok"},
        {0x00, false, false, "ok"},
        {0x00, true, false, "C_DspFlashAccess::CheckCmdAnswer() FinCmd not recieved"},
        {0x03, true, false, "C_DspFlashAccess::CheckCmdAnswer() Serial Com Error"},
        {0x06, true, false, "C_DspFlashAccess::CheckCmdAnswer() Serial Com Error"},  // serial comes first
        {0x05, false, false, "C_DspFlashAccess::CheckCmdAnswer() FLash Access Error"},
        {0x00, true, true, "C_DspFlashAccess::CheckCmdAnswer() FinCmd not recieved"},  // before the checksum
        {0x01, false, true, "C_DspFlashAccess::CheckCmdAnswer() Cheksum Error"},
    };
    for (const Case& c : cases) {
        DspPacket::Ack ack = DspPacket::ack(0x8D, c.flags, 7);
        if (c.breakChecksum) ack[15] ^= 0x40;
        EXPECT_EQ(checkResult(ack, c.finRequired), c.result) << int(c.flags) << " " << c.finRequired;
    }
}

TEST(DspProtocolTest, PacketLayouts)
{
    static_assert(sizeof(DDataHeaderStruct) == NB_BYTES_OUT);
    EXPECT_EQ(DspPacket::command(0x85, 0x01020304),
              (DspPacket::Command{0x85, 0x00, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00}));
    EXPECT_EQ(DspPacket::flashOrder(DSP_FLASH_PROG_ORDER, 1023, 0x3D8000),
              (DspPacket::Command{0x04, 0x00, 0xFF, 0x03, 0x00, 0x80, 0x3D, 0x00}));

    // The acknowledgement's checksum is the XOR of its first seven words.
    const DspPacket::Ack ack = DspPacket::ack(0x0001, 0x01, 0x00020003);
    EXPECT_EQ(ack[14] | (ack[15] << 8), 0x0001 ^ 0x0001 ^ 0x0003 ^ 0x0002);
    EXPECT_EQ(DspPacket::ackValue(ack.data()), 0x00020003u);

    // Flash mode with release 112 is the word 0x8070.
    const DspPacket::Status status = DspPacket::status(true, 112, 0);
    EXPECT_EQ(status[2] | (status[3] << 8), 0x8070);

    // Trailer: XOR of the data words, word A and flags; an odd byte stays out.
    const std::uint8_t data[] = {0x01, 0x02, 0x10, 0x20, 0xFF};
    const DspPacket::Trailer t = DspPacket::trailer(data, 5, 0x1111, DSP_BLOCK_LAST);
    EXPECT_EQ(DspPacket::trailerChecksum(t.data()), 0x0201 ^ 0x2010 ^ 0x1111 ^ 0x0001);
    EXPECT_EQ(DspPacket::flashDataPacketSize(7), 10u);
    EXPECT_EQ(DspPacket::flashDataPacketSize(2046), 2048u);
}

}  // namespace
