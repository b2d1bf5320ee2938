#include <gtest/gtest.h>

#include <cstring>
#include <string>
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

}  // namespace
