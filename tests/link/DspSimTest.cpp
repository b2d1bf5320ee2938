#include <cstring>

#include "C_DspFlashAccess.h"
#include "Dsp.h"
#include "DspError.h"
#include "SimUnitFixture.h"

namespace {

class DspSimTest : public SimUnitTest {};

TEST_F(DspSimTest, StatusGivesModeAndRelease)
{
    Dsp dsp;
    bool flash = true;
    int release = 0, third = 0;
    ASSERT_EQ(dsp.GetStatus(flash, release, third), DspResult::Ok);
    EXPECT_FALSE(flash);
    EXPECT_EQ(release, 112);

    ASSERT_EQ(vemarsim_unit_set_release(111), 0);
    ASSERT_EQ(dsp.GetStatus(flash, release, third), DspResult::Ok);
    EXPECT_EQ(release, 111);
}

TEST_F(DspSimTest, ArraysOfEverySizeArriveWhole)
{
    Dsp dsp;
    const std::uint32_t sizes[] = {0, 1, 2048, 5000, 333333};
    std::vector<std::uint16_t> buffer(333333);
    for (std::uint32_t words : sizes) {
        vemarsim_unit_set_sample_count(words);
        std::fill(buffer.begin(), buffer.end(), 0xDEAD);
        std::uint32_t got = 12345;
        ASSERT_EQ(dsp.ReadWords(DSP_READ_DETECTOR2, buffer.data(), 333333, got), DspResult::Ok) << words;
        ASSERT_EQ(got, words);
        const std::vector<std::uint8_t> expected = peek(DSP_READ_DETECTOR2);
        ASSERT_EQ(expected.size(), 2u * words);
        EXPECT_EQ(0, std::memcmp(buffer.data(), expected.data(), expected.size())) << words;
    }
}

TEST_F(DspSimTest, BlocksAreAskedForWithTheRemainingCount)
{
    Dsp dsp;
    vemarsim_unit_set_sample_count(2500);  // 5000 bytes
    std::vector<std::uint16_t> buffer(2500);
    std::uint32_t got = 0;
    vemarsim_unit_clear_record();
    ASSERT_EQ(dsp.ReadWords(DSP_READ_OUTPUT, buffer.data(), 2500, got), DspResult::Ok);
    std::vector<std::uint32_t> parameters;
    for (const auto& c : commands()) parameters.push_back(c.parameter);
    EXPECT_EQ(parameters, (std::vector<std::uint32_t>{0, 5000, 2952, 904}));

    vemarsim_unit_set_sample_count(0);
    vemarsim_unit_clear_record();
    ASSERT_EQ(dsp.ReadWords(DSP_READ_OUTPUT, buffer.data(), 2500, got), DspResult::Ok);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(commands().size(), 1u);  // the size request only
}

TEST_F(DspSimTest, DwordArrays)
{
    Dsp dsp;
    vemarsim_unit_set_sample_count(777);
    std::uint32_t jumps[1000] = {};
    std::uint32_t got = 0;
    ASSERT_EQ(dsp.ReadDwords(DSP_READ_JUMP_INDEXES, jumps, 1000, got), DspResult::Ok);
    ASSERT_EQ(got, 1u);
    EXPECT_EQ(jumps[0], 776u);
}

TEST_F(DspSimTest, AnArrayLargerThanTheBufferIsRefusedBeforeAnyBlock)
{
    Dsp dsp;
    vemarsim_unit_set_sample_count(1001);
    std::vector<std::uint16_t> buffer(1002, 0x7777);
    std::uint32_t got = 5;
    vemarsim_unit_clear_record();
    EXPECT_EQ(dsp.ReadWords(DSP_READ_MARK_STEPS, buffer.data(), 8, got), DspResult::Ok);  // 8 marks fit
    EXPECT_EQ(dsp.ReadWords(DSP_READ_OUTPUT, buffer.data(), 1000, got), DspResult::ArrayTooLarge);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(buffer[1000], 0x7777);
    EXPECT_EQ(commands().back().parameter, 0u);  // no block was asked for
    // The unit is still in step.
    ASSERT_EQ(dsp.ReadWords(DSP_READ_OUTPUT, buffer.data(), 1001, got), DspResult::Ok);
    EXPECT_EQ(got, 1001u);
}

TEST_F(DspSimTest, CommandsAreAcknowledged)
{
    Dsp dsp;
    EXPECT_EQ(dsp.SendCommand(DSP_SET_CONFIG, 0x151D5), DspResult::Ok);
    EXPECT_EQ(dsp.SendCommand(DSP_SET_SAMPLING_STEP, 4), DspResult::Ok);
    // Unknown to the DSP: acknowledged without FinCmd.
    try {
        dsp.SendCommand(0x99);
        ADD_FAILURE() << "no exception";
    } catch (const DspError& e) {
        EXPECT_STREQ(e.what(), "C_DspFlashAccess::CheckCmdAnswer() FinCmd not recieved");
    }
    // The status word carries the configured input in bits 11-12.
    std::uint16_t status = 0;
    std::uint32_t got = 0;
    ASSERT_EQ(dsp.ReadWords(DSP_READ_STATUS_WORD, &status, 1, got), DspResult::Ok);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ((status >> 11) & 3, 1);
    std::uint16_t levels[10] = {};
    ASSERT_EQ(dsp.SendCommand(DSP_SAMPLE_LEVELS), DspResult::Ok);
    ASSERT_EQ(dsp.ReadWords(DSP_READ_LEVELS, levels, 10, got), DspResult::Ok);
    EXPECT_EQ(got, 10u);
    EXPECT_GT(levels[0], 0);
}

// Every fault the unit can commit, the result it gives and the exchange
// after it, which must work again.
TEST_F(DspSimTest, FaultsGiveTheirResultAndTheNextExchangeWorks)
{
    enum class Op { Status, Command, ReadArray };
    struct Case {
        const char* name;
        int fault;
        int arg;
        Op op;
        int result;               // when no exception is expected
        const char* exception;    // or the text of the exception
    };
    const Case cases[] = {
        {"bad block checksum", VEMARSIM_FAULT_BLOCK_CHECKSUM, 1, Op::ReadArray, DspResult::BlockCorrupt, nullptr},
        {"block error flag", VEMARSIM_FAULT_BLOCK_ERROR_FLAG, 0, Op::ReadArray, DspResult::BlockCorrupt, nullptr},
        {"early end", VEMARSIM_FAULT_EARLY_LAST_BLOCK, 0, Op::ReadArray, DspResult::EndMarkWrong, nullptr},
        {"no end mark", VEMARSIM_FAULT_NO_LAST_FLAG, 0, Op::ReadArray, DspResult::EndMarkWrong, nullptr},
        {"size answer missing", VEMARSIM_FAULT_NO_ANSWER, 0, Op::ReadArray, DspResult::TimeOut, nullptr},
        {"block missing", VEMARSIM_FAULT_NO_ANSWER, 2, Op::ReadArray, DspResult::TimeOut, nullptr},
        {"block cut short", VEMARSIM_FAULT_SHORT_ANSWER, 3, Op::ReadArray, DspResult::TimeOut, nullptr},
        {"status missing", VEMARSIM_FAULT_NO_ANSWER, 0, Op::Status, DspResult::ReadFailed, nullptr},
        {"status cut short", VEMARSIM_FAULT_SHORT_ANSWER, 2, Op::Status, DspResult::ReadFailed, nullptr},
        {"status late", VEMARSIM_FAULT_LATE_ANSWER, 8000, Op::Status, DspResult::ReadFailed, nullptr},
        {"acknowledgement missing", VEMARSIM_FAULT_NO_ANSWER, 0, Op::Command, DspResult::NoAcknowledge, nullptr},
        {"acknowledgement late", VEMARSIM_FAULT_LATE_ANSWER, 8000, Op::Command, DspResult::NoAcknowledge, nullptr},
        {"serial error", VEMARSIM_FAULT_ACK_SERIAL_ERROR, 0, Op::Command, 0,
         "C_DspFlashAccess::CheckCmdAnswer() Serial Com Error"},
        {"flash error", VEMARSIM_FAULT_ACK_FLASH_ERROR, 0, Op::Command, 0,
         "C_DspFlashAccess::CheckCmdAnswer() FLash Access Error"},
        {"acknowledgement checksum", VEMARSIM_FAULT_ACK_CHECKSUM, 0, Op::Command, 0,
         "C_DspFlashAccess::CheckCmdAnswer() Cheksum Error"},
        {"size answer flagged", VEMARSIM_FAULT_ACK_SERIAL_ERROR, 0, Op::ReadArray, 0,
         "C_DspFlashAccess::CheckCmdAnswer() Serial Com Error"},
    };
    Dsp dsp;
    vemarsim_unit_set_sample_count(3000);  // three blocks
    std::vector<std::uint16_t> buffer(3000);
    auto run = [&](Op op) {
        std::uint32_t got = 0;
        bool flash = false;
        int release = 0, third = 0;
        switch (op) {
        case Op::Status: return dsp.GetStatus(flash, release, third);
        case Op::Command: return dsp.SendCommand(DSP_SET_MARK_COUNT, 42);
        case Op::ReadArray: return dsp.ReadWords(DSP_READ_OUTPUT, buffer.data(), 3000, got);
        }
        return -1;
    };
    for (const Case& c : cases) {
        ASSERT_EQ(vemarsim_unit_inject_fault(c.fault, c.arg), 0) << c.name;
        if (c.exception != nullptr) {
            try {
                run(c.op);
                ADD_FAILURE() << c.name << ": no exception";
            } catch (const DspError& e) {
                EXPECT_STREQ(e.what(), c.exception) << c.name;
            }
        } else {
            EXPECT_EQ(run(c.op), c.result) << c.name;
        }
        // The answer that came late is still on the line: the next exchange discards it.
        if (c.fault == VEMARSIM_FAULT_LATE_ANSWER) LinkTiming::sleepMs(8000 - DSP_RECEIVE_WAIT_MS + 500);
        EXPECT_EQ(run(Op::Status), DspResult::Ok) << c.name;
        EXPECT_EQ(run(Op::Command), DspResult::Ok) << c.name;
        EXPECT_EQ(run(Op::ReadArray), DspResult::Ok) << c.name;
    }
}

TEST_F(DspSimTest, AnUnpluggedUnitFailsEveryExchangeUntilItIsOpenedAgain)
{
    {
        Dsp dsp;
        bool flash = false;
        int release = 0, third = 0;
        ASSERT_EQ(dsp.GetStatus(flash, release, third), DspResult::Ok);
        vemarsim_unit_inject_fault(VEMARSIM_FAULT_UNPLUG, 0);
        EXPECT_EQ(dsp.GetStatus(flash, release, third), DspResult::WriteFailed);
        EXPECT_FALSE(UsbTransportOpen());  // "Device not found" dropped the handle
        EXPECT_EQ(dsp.SendCommand(DSP_ACQ_STOP), DspResult::WriteFailed);
        EXPECT_FALSE(dsp.IsPresent());
        vemarsim_unit_set_plugged(1);
        EXPECT_TRUE(dsp.IsPresent());
        EXPECT_EQ(dsp.GetStatus(flash, release, third), DspResult::WriteFailed);  // still the dead transport
    }
    Dsp again;
    bool flash = true;
    int release = 0, third = 0;
    EXPECT_EQ(again.GetStatus(flash, release, third), DspResult::Ok);
    EXPECT_EQ(release, 112);
}

TEST_F(DspSimTest, UnplugDuringAnArrayRead)
{
    {
        Dsp dsp;
        vemarsim_unit_set_sample_count(5000);
        std::vector<std::uint16_t> buffer(5000);
        std::uint32_t got = 0;
        vemarsim_unit_inject_fault(VEMARSIM_FAULT_UNPLUG, 2);  // after the size answer and one block
        EXPECT_EQ(dsp.ReadWords(DSP_READ_OUTPUT, buffer.data(), 5000, got), DspResult::WriteFailed);
        EXPECT_EQ(got, 1024u);
    }
    vemarsim_unit_set_plugged(1);
    Dsp dsp;
    EXPECT_EQ(dsp.SendCommand(DSP_ACQ_STOP), DspResult::Ok);
}

TEST_F(DspSimTest, ObjectCountsAndTheSharedLock)
{
    EXPECT_EQ(Dsp::liveObjects(), 0);
    {
        Dsp a;
        C_DspFlashAccess b;
        EXPECT_EQ(Dsp::liveObjects(), 2);
        EXPECT_EQ(UsbDevice::liveObjects(), 2);
        EXPECT_TRUE(UsbTransportOpen());
    }
    EXPECT_EQ(Dsp::liveObjects(), 0);
    EXPECT_FALSE(UsbTransportOpen());
}

TEST_F(DspSimTest, RandomFaultsNeverCrashOrHangAndTheStackRecovers)
{
    Dsp dsp;
    vemarsim_unit_set_sample_count(4000);
    std::vector<std::uint16_t> buffer(4000);
    vemarsim_unit_set_random_faults(0.08, 20240611);
    int failures = 0;
    for (int i = 0; i < 150; ++i) {
        try {
            std::uint32_t got = 0;
            bool flash = false;
            int release = 0, third = 0;
            int r = 0;
            switch (i % 3) {
            case 0: r = dsp.GetStatus(flash, release, third); break;
            case 1: r = dsp.SendCommand(DSP_SET_LEVEL_1, 100); break;
            default: r = dsp.ReadWords(DSP_READ_DETECTOR1, buffer.data(), 4000, got); break;
            }
            failures += r != 0;
        } catch (const DspError&) {
            ++failures;
        }
    }
    EXPECT_GT(failures, 0);
    vemarsim_unit_set_random_faults(0.0, 0);
    std::uint32_t got = 0;
    EXPECT_EQ(dsp.ReadWords(DSP_READ_DETECTOR1, buffer.data(), 4000, got), DspResult::Ok);
    EXPECT_EQ(got, 4000u);
}

}  // namespace
