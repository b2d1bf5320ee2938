#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "Dsp.h"
#include "Hsotstdusb.h"
#include "LinkTiming.h"
#include "LinuxUsbBridge.h"
#include "TtyPort.h"
#include "UsbBridge.h"
#include "vemar_sim_usb.h"

namespace {

// The simulated unit served on a pseudo-terminal, reached through the real
// termios backend given the slave's path.
class PtyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vemarsim_unit_reset();
        char path[256] = {};
        ASSERT_EQ(vemarsim_unit_pty_start(path, sizeof path), 0);
        slavePath = path;
        UsbBridges::useExplicitPort(slavePath);
    }
    void TearDown() override
    {
        UsbClose();
        vemarsim_unit_pty_stop();
        vemarsim_unit_reset();
        UsbBridges::install(nullptr);
    }
    std::string slavePath;
};

TEST_F(PtyTest, StatusAndALargeArrayThroughTheTtyBackend)
{
    EXPECT_TRUE(UsbIsPresent(DSP_PRODUCT_ID, ""));
    Dsp dsp;
    ASSERT_TRUE(dsp.IsOpen());
    EXPECT_EQ(CurrentUsbDevice().location, slavePath);
    bool flash = true;
    int release = 0, third = 0;
    ASSERT_EQ(dsp.GetStatus(flash, release, third), DspResult::Ok);
    EXPECT_FALSE(flash);
    EXPECT_EQ(release, 112);

    vemarsim_unit_set_sample_count(333333);
    std::vector<std::uint16_t> words(333333, 0);
    std::uint32_t got = 0;
    ASSERT_EQ(dsp.ReadWords(DSP_READ_REF_SIGNAL, words.data(), 333333, got), DspResult::Ok);
    ASSERT_EQ(got, 333333u);
    std::vector<std::uint8_t> expected(2 * 333333);
    vemarsim_unit_peek_array(DSP_READ_REF_SIGNAL, expected.data(), static_cast<std::uint32_t>(expected.size()));
    EXPECT_EQ(0, std::memcmp(words.data(), expected.data(), expected.size()));
    EXPECT_EQ(dsp.SendCommand(DSP_SET_CONFIG, 0x11C5), DspResult::Ok);
}

TEST_F(PtyTest, TheObjectsOpenThePortAgainAfterTheLastOneClosedIt)
{
    for (int round = 0; round < 3; ++round) {
        Dsp dsp;
        bool flash = true;
        int release = 0, third = 0;
        ASSERT_EQ(dsp.GetStatus(flash, release, third), DspResult::Ok) << round;
    }
}

TEST_F(PtyTest, AVanishedUnitDropsTheHandle)
{
    Dsp dsp;
    bool flash = true;
    int release = 0, third = 0;
    ASSERT_EQ(dsp.GetStatus(flash, release, third), DspResult::Ok);
    LinkTiming::setScale(0.02);
    vemarsim_unit_set_plugged(0);
    int result = DspResult::Ok;
    // The server notices within milliseconds; the next exchanges fail and
    // "Device not found" takes the handle away.
    for (int i = 0; i < 50 && UsbTransportOpen(); ++i) result = dsp.GetStatus(flash, release, third);
    LinkTiming::setScale(1.0);
    EXPECT_NE(result, DspResult::Ok);
    EXPECT_FALSE(UsbTransportOpen());
    EXPECT_EQ(dsp.RxCount(), 0);
}

TEST(TtyPortTest, RefusesWhatATtyCannotDo)
{
    TtyPort port;
    EXPECT_EQ(port.open("/nonexistent/ttyUSB9"), UsbBridgeStatus::DeviceNotFound);
    EXPECT_EQ(port.setBaudRate(921600), UsbBridgeStatus::InvalidHandle);

    char path[256] = {};
    ASSERT_EQ(vemarsim_unit_pty_start(path, sizeof path), 0);
    ASSERT_EQ(port.open(path), UsbBridgeStatus::Success);
    EXPECT_EQ(port.setBaudRate(921600), UsbBridgeStatus::Success);
    EXPECT_EQ(port.setBaudRate(12345), UsbBridgeStatus::InvalidBaudRate);
    EXPECT_EQ(port.setLineControl(0x0800), UsbBridgeStatus::Success);
    EXPECT_EQ(port.setLineControl(0x0900), UsbBridgeStatus::InvalidParameter);
    EXPECT_EQ(port.setFlowControl(UsbFlowControl{}), UsbBridgeStatus::Success);
    std::uint32_t queued = 99;
    EXPECT_EQ(port.rxQueue(queued), UsbBridgeStatus::Success);
    EXPECT_EQ(queued, 0u);
    port.close();
    vemarsim_unit_pty_stop();

    LinuxUsbBridge missing("/nonexistent/ttyUSB9");
    std::uint32_t count = 9;
    EXPECT_EQ(missing.deviceCount(count), UsbBridgeStatus::Success);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(missing.presentDevices().empty());
}

// A pseudo-terminal whose master side plays the unit, answering in pieces as
// a CP210x does (64-byte USB packets), with pauses between them.
class TtyPortPiecesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[256] = {};
        int slave = -1;
        ASSERT_EQ(::openpty(&master_, &slave, name, nullptr, nullptr), 0);
        ASSERT_EQ(port.open(name), UsbBridgeStatus::Success);
        // The port keeps the line open on its own descriptor.
        ::close(slave);
    }
    void TearDown() override
    {
        if (writer_.joinable()) writer_.join();
        port.close();
        closeMaster();
    }
    // Sends pieces of size bytes each, pauseMs apart, then (when asked) hangs
    // up after another pause.
    void answerInPieces(const std::string& answer, std::size_t size, int pauseMs, bool hangUp)
    {
        writer_ = std::thread([this, answer, size, pauseMs, hangUp] {
            for (std::size_t at = 0; at < answer.size(); at += size) {
                if (at > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
                const std::size_t n = std::min(size, answer.size() - at);
                ASSERT_EQ(::write(master_, answer.data() + at, n), static_cast<ssize_t>(n));
            }
            if (!hangUp) return;
            // The line drops while the reader waits for the rest.
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
            closeMaster();
        });
    }
    void closeMaster()
    {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    static std::string answerOf(std::size_t length)
    {
        std::string text(length, '\0');
        for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>('A' + i % 26);
        return text;
    }

    TtyPort port;

private:
    int master_ = -1;
    std::thread writer_;
};

TEST_F(TtyPortPiecesTest, AnAnswerInPiecesIsReadWhole)
{
    // Three packets 20 ms apart, well inside the read's time limit.
    const std::string answer = answerOf(3 * 64);
    answerInPieces(answer, 64, 20, false);
    std::string buffer(answer.size(), '\0');
    std::uint32_t got = 0;
    ASSERT_EQ(port.read(buffer.data(), static_cast<std::uint32_t>(buffer.size()), got), UsbBridgeStatus::Success);
    ASSERT_EQ(got, answer.size());
    EXPECT_EQ(buffer, answer);
}

TEST_F(TtyPortPiecesTest, AHangUpInTheMiddleGivesWhatCameAndThenTheDeviceIsGone)
{
    const std::string answer = answerOf(64);
    answerInPieces(answer, 64, 20, true);
    std::string buffer(3 * 64, '\0');
    std::uint32_t got = 0;
    EXPECT_EQ(port.read(buffer.data(), static_cast<std::uint32_t>(buffer.size()), got), UsbBridgeStatus::Success);
    ASSERT_EQ(got, answer.size());
    EXPECT_EQ(buffer.substr(0, got), answer);
    // The line is gone: nothing more to read, and the queue says so.
    EXPECT_EQ(port.read(buffer.data(), 1, got), UsbBridgeStatus::DeviceNotFound);
    EXPECT_EQ(got, 0u);
    std::uint32_t queued = 9;
    EXPECT_EQ(port.rxQueue(queued), UsbBridgeStatus::DeviceNotFound);
    EXPECT_EQ(queued, 0u);
}

TEST_F(TtyPortPiecesTest, AnEmptyLineIsNoHangUp)
{
    // Nothing comes: the read waits its time and returns nothing, still connected.
    std::string buffer(8, '\0');
    std::uint32_t got = 9;
    EXPECT_EQ(port.read(buffer.data(), static_cast<std::uint32_t>(buffer.size()), got), UsbBridgeStatus::Success);
    EXPECT_EQ(got, 0u);
    std::uint32_t queued = 9;
    EXPECT_EQ(port.rxQueue(queued), UsbBridgeStatus::Success);
    EXPECT_EQ(queued, 0u);
}

}  // namespace
