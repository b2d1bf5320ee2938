#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "C_usb_device.h"
#include "Dsp.h"
#include "FakeUsbBridge.h"
#include "Hsotstdusb.h"
#include "Usbdevice.h"

namespace {

constexpr std::uint32_t unitPid = 0x82B4;

class UsbTransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bridge = FakeUsbBridge::withUnit();
        UsbBridges::install(bridge);
    }
    void TearDown() override
    {
        UsbClose();
        UsbBridges::install(nullptr);
    }

    // Opens the fake unit as a transport of its own (the index list must name it).
    std::unique_ptr<C_Device_USB_Express> openTransport()
    {
        const DeviceTable accepted = FindUsbXpressDevices(*bridge, unitPid, "");
        EXPECT_EQ(accepted.size(), 1u);
        return std::make_unique<C_Device_USB_Express>(bridge, accepted.begin()->first, 921600);
    }

    std::shared_ptr<FakeUsbBridge> bridge;
};

TEST(HardwareIdTest, ParsesVidPidRevInAnyCase)
{
    struct Case {
        const char* id;
        std::uint32_t vid, pid, rev;
    };
    const Case cases[] = {
        {"USB\\VID_10C4&PID_82B4&REV_0100", 0x10C4, 0x82B4, 0x100},
        {"usb\\vid_10c4&pid_82b4", 0x10C4, 0x82B4, 0},
        {"USB\\Vid_10C4&Pid_EA60&Rev_0a00", 0x10C4, 0xEA60, 0xA00},
        {"HID\\SOMETHING", 0, 0, 0},
        {"USB\\VID_&PID_12", 0, 0x12, 0},
    };
    for (const Case& c : cases) {
        DeviceInfos infos;
        parseHardwareId(c.id, infos);
        EXPECT_EQ(infos.VID, c.vid) << c.id;
        EXPECT_EQ(infos.PID, c.pid) << c.id;
        EXPECT_EQ(infos.REV, c.rev) << c.id;
    }
}

TEST_F(UsbTransportTest, EnumerationKeysByPathAndTakesTheSerialBetweenTheSecondAndThirdHash)
{
    bridge->devices = {
        {"usb#vid_10c4&pid_82b4#SER2#x", "USB\\VID_10C4&PID_82B4", "B", std::nullopt},
        {"usb#vid_0000&pid_0000#only-two", std::nullopt, std::nullopt, "Port 3"},
        {"usb#vid_10c4&pid_82b4#SER2#x", "USB\\VID_1&PID_2", "duplicate", std::nullopt},
        {"Usb#a#b#c", "USB\\VID_1", "A", std::nullopt},
    };
    DeviceTable table;
    table["stale"] = DeviceInfos{};
    EnumerateUsbDevices(*bridge, table);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table.begin()->first, "Usb#a#b#c");  // byte-wise: 'U' < 'u'
    const DeviceInfos& first = table.at("usb#vid_10c4&pid_82b4#SER2#x");
    EXPECT_EQ(first.serial, "SER2");
    EXPECT_EQ(first.description, "B");  // the first insertion is kept
    EXPECT_EQ(first.PID, 0x82B4u);
    const DeviceInfos& second = table.at("usb#vid_0000&pid_0000#only-two");
    EXPECT_FALSE(second.serial.has_value());
    EXPECT_FALSE(second.description.has_value());
    EXPECT_EQ(second.location, "Port 3");
    EXPECT_EQ(table.at("Usb#a#b#c").serial, "b");
}

TEST_F(UsbTransportTest, MatchingGivesOneIndexEntryPerBridgeDevice)
{
    bridge->devices = {
        {"p1#x#s1#y", "USB\\VID_10C4&PID_82B4&REV_0100", "VEMAR USB Acquisition Unit", std::nullopt},
        {"p2#x#s2#y", "USB\\VID_10C4&PID_EA60", "CP2102 Bridge", std::nullopt},
        {"p3#x#s3#y", "USB\\VID_0403&PID_6001", "FT232 Serial", std::nullopt},
    };
    bridge->products = {"VEMAR USB", std::nullopt, "Unknown gadget", "CP2102", "FT232"};

    DeviceTable accepted = FindUsbXpressDevices(*bridge, unitPid, "");
    EXPECT_EQ(accepted.size(), 1u);
    EXPECT_EQ(accepted.count("p1#x#s1#y"), 1u);
    EXPECT_EQ(DeviceIndexList(), (std::vector<std::string>{"p1#x#s1#y", productStringUnreadableText,
                                                           endOfDeviceListText, excludedByFilterText,
                                                           excludedByFilterText}));

    // Product ID filter 0: any Silicon Labs device, never another vendor.
    accepted = FindUsbXpressDevices(*bridge, 0, "");
    EXPECT_EQ(accepted.size(), 2u);
    EXPECT_EQ(DeviceIndexList()[3], "p2#x#s2#y");
    EXPECT_EQ(DeviceIndexList()[4], excludedByFilterText);

    accepted = FindUsbXpressDevices(*bridge, 0, "CP21");
    EXPECT_EQ(accepted.size(), 1u);
    EXPECT_EQ(DeviceIndexList()[0], excludedByDescriptionText);

    bridge->countStatus = UsbBridgeStatus::DeviceNotFound;
    EXPECT_TRUE(FindUsbXpressDevices(*bridge, 0, "").empty());
    EXPECT_TRUE(DeviceIndexList().empty());
}

TEST_F(UsbTransportTest, NoBridgeDeviceAcceptsNothing)
{
    bridge->products.clear();
    EXPECT_TRUE(FindUsbXpressDevices(*bridge, unitPid, "").empty());
    EXPECT_TRUE(DeviceIndexList().empty());
    EXPECT_FALSE(UsbIsPresent(unitPid, ""));
}

TEST_F(UsbTransportTest, OpenConfiguresTheBridgeAndKeepsTheLastRecordWhenNothingIsAccepted)
{
    const DeviceInfos opened = UsbOpen(unitPid, 921600);
    EXPECT_EQ(opened.PID, unitPid);
    EXPECT_EQ(opened.serial, "AF0001");
    EXPECT_TRUE(UsbTransportOpen());
    EXPECT_EQ(bridge->baudRate, 921600u);
    EXPECT_EQ(bridge->lineControl, 0x0800);
    EXPECT_EQ(bridge->calls, (std::vector<std::string>{"open 0", "flush 11"}));
    UsbClose();
    EXPECT_FALSE(UsbTransportOpen());

    bridge->products.clear();
    const DeviceInfos again = UsbOpen(unitPid, 921600);
    EXPECT_EQ(again, opened);  // the previous record, unchanged
    EXPECT_FALSE(UsbTransportOpen());
    EXPECT_EQ(UsbWrite(*std::make_unique<IoRecord>()), 1);
    EXPECT_EQ(UsbRxCount(), 0u);
    EXPECT_EQ(UsbFlush(), 1);
}

TEST_F(UsbTransportTest, AConfigurationFailureLeavesNoHandle)
{
    bridge->baudStatus = UsbBridgeStatus::InvalidParameter;
    auto transport = openTransport();
    EXPECT_TRUE(transport->openFailed());
    EXPECT_FALSE(transport->hasHandle());
    EXPECT_EQ(bridge->closes, 1);
    IoRecord io{8, nullptr};
    EXPECT_TRUE(transport->Write(io));
    EXPECT_EQ(transport->Read(io), 1);
}

TEST_F(UsbTransportTest, DriverStatusRuleGivesTextsAndDropsTheHandleForFourStatuses)
{
    struct Case {
        int status;
        const char* text;
        bool keepsHandle;
        bool closes;
    };
    const Case cases[] = {
        {0x01, "UsbExpress Error : Invalid Handle", false, false},
        {0x02, "UsbExpress Error : Read Error", true, false},
        {0x03, "UsbExpress Error : Rx Queue not ready", true, false},
        {0x04, "UsbExpress Error : Write Error", true, false},
        {0x05, "UsbExpress Error : Reset Error", false, true},
        {0x06, "UsbExpress Error : Invalid Parameter", true, false},
        {0x07, "UsbExpress Error : Invalid Request length", true, false},
        {0x08, "UsbExpress Error : Device I/O Failed", true, false},
        {0x09, "UsbExpress Error : Invalid Baud Rate", false, true},
        {0xFF, "UsbExpress Error : Device not found", false, true},
        {0x42, "", true, false},
    };
    for (const Case& c : cases) {
        auto transport = openTransport();
        bridge->closes = 0;
        bridge->writeStatus = c.status;
        std::uint8_t packet[8] = {};
        IoRecord io{8, packet};
        EXPECT_TRUE(transport->Write(io)) << c.status;
        EXPECT_EQ(transport->lastErrorText(), c.text) << c.status;
        EXPECT_EQ(transport->hasHandle(), c.keepsHandle) << c.status;
        EXPECT_EQ(bridge->closes, c.closes ? 1 : 0) << c.status;
        bridge->writeStatus = 0;
        // Without a handle every later operation fails.
        EXPECT_EQ(transport->Write(io), !c.keepsHandle) << c.status;
        EXPECT_EQ(transport->RxCount(), 0u);
    }
}

TEST_F(UsbTransportTest, EveryWriteFlushesBothBuffersFirst)
{
    auto transport = openTransport();
    bridge->rx = {1, 2, 3};
    bridge->calls.clear();
    std::uint8_t packet[8] = {};
    IoRecord io{8, packet};
    EXPECT_FALSE(transport->Write(io));
    EXPECT_EQ(bridge->calls, (std::vector<std::string>{"flush 11", "write 8"}));
    EXPECT_EQ(transport->RxCount(), 0u);  // what arrived before the write is gone
}

TEST_F(UsbTransportTest, ReadResults)
{
    auto transport = openTransport();
    std::uint8_t buffer[16] = {};
    IoRecord io{4, buffer};

    bridge->calls.clear();
    EXPECT_EQ(transport->Read(io), 1);  // empty queue: the library's read is not called
    EXPECT_TRUE(bridge->calls.empty());

    bridge->rx = {1, 2, 3, 4};
    EXPECT_EQ(transport->Read(io), 0);
    EXPECT_EQ(io.transferred, 4u);

    bridge->rx = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(transport->Read(io), 2);  // the queue held more than was read
    bridge->rx.clear();

    bridge->rx = {9};
    bridge->readStatus = UsbBridgeStatus::ReadError;
    EXPECT_EQ(transport->Read(io), 1);
    EXPECT_TRUE(transport->hasHandle());
}

TEST_F(UsbTransportTest, TwoObjectsOpenTheUnitOnceAndTheLastOneClosesIt)
{
    {
        auto first = std::make_unique<UsbDevice>(unitPid, 921600);
        EXPECT_EQ(bridge->opens, 1);
        {
            UsbDevice second(unitPid, 921600);
            EXPECT_EQ(bridge->opens, 1);
            EXPECT_EQ(UsbDevice::liveObjects(), 2);
            first.reset();
            EXPECT_EQ(bridge->closes, 0);
            EXPECT_TRUE(UsbTransportOpen());
        }
        EXPECT_EQ(bridge->closes, 1);
        EXPECT_FALSE(UsbTransportOpen());
    }
    EXPECT_EQ(UsbDevice::liveObjects(), 0);
}

TEST_F(UsbTransportTest, AnObjectOfAnotherProductDoesNotUseTheTransport)
{
    UsbDevice unit(unitPid, 921600);
    UsbDevice other(0x1234, 921600);
    bridge->rx = {1, 2};
    EXPECT_EQ(unit.RxCount(), 2);
    EXPECT_EQ(other.RxCount(), 0);
    std::uint8_t b[2];
    std::uint32_t received = 99;
    EXPECT_FALSE(other.Read(b, 2, received));
    EXPECT_FALSE(other.Write(b, 2));
}

TEST_F(UsbTransportTest, AShortReadFailsAndLeavesNoUninitialisedBytes)
{
    UsbDevice unit(unitPid, 921600);
    bridge->rx = {1, 2, 3, 4, 5, 6};
    bridge->readLimit = 4;
    std::uint8_t buffer[6];
    std::memset(buffer, 0xCC, sizeof buffer);
    std::uint32_t received = 0;
    EXPECT_FALSE(unit.Read(buffer, 6, received));
    EXPECT_EQ(received, 4u);
    EXPECT_EQ(buffer[3], 4);
    EXPECT_EQ(buffer[4], 0);
    EXPECT_EQ(buffer[5], 0);

    bridge->readLimit.reset();
    bridge->rx = {7, 8};
    EXPECT_TRUE(unit.Read(buffer, 2, received));
    EXPECT_EQ(received, 2u);
}

TEST_F(UsbTransportTest, WithoutAUnitNothingWaits)
{
    bridge->products.clear();
    Dsp dsp;
    EXPECT_FALSE(dsp.IsPresent());
    const auto start = std::chrono::steady_clock::now();
    bool flash = true;
    int release = 1, third = 1;
    EXPECT_EQ(dsp.GetStatus(flash, release, third), DspResult::WriteFailed);
    EXPECT_FALSE(flash);
    EXPECT_EQ(release, 0);
    std::uint16_t words[4];
    std::uint32_t got = 9;
    EXPECT_EQ(dsp.ReadWords(DSP_READ_OUTPUT, words, 4, got), DspResult::WriteFailed | DspResult::TimeOut);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(dsp.SendCommand(DSP_ACQ_START), DspResult::WriteFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
