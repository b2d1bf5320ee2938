#pragma once

// A scripted USB backend: a device list, bridge devices with their product
// strings, statuses to return, bytes queued for the host, and a log of the
// calls the transport made.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "UsbBridge.h"

class FakeUsbBridge : public UsbBridge {
public:
    std::vector<UsbInterfaceDevice> devices;
    std::vector<std::optional<std::string>> products;  // per bridge number; nullopt: unreadable
    int countStatus = UsbBridgeStatus::Success;
    int openStatus = UsbBridgeStatus::Success;
    int baudStatus = UsbBridgeStatus::Success;
    int flushStatus = UsbBridgeStatus::Success;
    int writeStatus = UsbBridgeStatus::Success;
    int rxStatus = UsbBridgeStatus::Success;
    int readStatus = UsbBridgeStatus::Success;
    std::deque<std::uint8_t> rx;
    // Bytes a read delivers at most (a line that stalls).
    std::optional<std::uint32_t> readLimit;
    // Reported queue size instead of rx.size().
    std::optional<std::uint32_t> reportedQueue;

    std::vector<std::string> calls;
    int opens = 0;
    int closes = 0;
    std::uint32_t baudRate = 0;
    std::uint16_t lineControl = 0;

    std::vector<UsbInterfaceDevice> presentDevices() override { return devices; }
    int deviceCount(std::uint32_t& count) override
    {
        count = static_cast<std::uint32_t>(products.size());
        return countStatus;
    }
    int productString(std::uint32_t device, std::string& text) override
    {
        if (device >= products.size() || !products[device]) return UsbBridgeStatus::DeviceNotFound;
        text = *products[device];
        return UsbBridgeStatus::Success;
    }
    int open(std::uint32_t device, UsbBridgeHandle& handle) override
    {
        calls.push_back("open " + std::to_string(device));
        if (openStatus != 0) return openStatus;
        ++opens;
        handle = 100 + device;
        return UsbBridgeStatus::Success;
    }
    int close(UsbBridgeHandle handle) override
    {
        calls.push_back("close");
        ++closes;
        return UsbBridgeStatus::Success;
    }
    int setBaudRate(UsbBridgeHandle, std::uint32_t rate) override
    {
        baudRate = rate;
        return baudStatus;
    }
    int setLineControl(UsbBridgeHandle, std::uint16_t line) override
    {
        lineControl = line;
        return UsbBridgeStatus::Success;
    }
    int setFlowControl(UsbBridgeHandle, const UsbFlowControl&) override { return UsbBridgeStatus::Success; }
    int flushBuffers(UsbBridgeHandle, bool transmit, bool receive) override
    {
        calls.push_back(std::string("flush ") + (transmit ? "1" : "0") + (receive ? "1" : "0"));
        if (receive && flushStatus == 0) rx.clear();
        return flushStatus;
    }
    int write(UsbBridgeHandle, const void*, std::uint32_t length, std::uint32_t& written) override
    {
        calls.push_back("write " + std::to_string(length));
        written = writeStatus == 0 ? length : 0;
        return writeStatus;
    }
    int checkRxQueue(UsbBridgeHandle, std::uint32_t& queued, std::uint32_t& status) override
    {
        queued = reportedQueue.value_or(static_cast<std::uint32_t>(rx.size()));
        status = 0;
        return rxStatus;
    }
    int read(UsbBridgeHandle, void* buffer, std::uint32_t length, std::uint32_t& got) override
    {
        calls.push_back("read " + std::to_string(length));
        got = 0;
        if (readStatus != 0) return readStatus;
        auto* out = static_cast<std::uint8_t*>(buffer);
        const std::uint32_t limit = readLimit.value_or(length);
        while (got < length && got < limit && !rx.empty()) {
            out[got++] = rx.front();
            rx.pop_front();
        }
        return UsbBridgeStatus::Success;
    }

    // One enumerated device and one bridge device describing the unit.
    static std::shared_ptr<FakeUsbBridge> withUnit()
    {
        auto b = std::make_shared<FakeUsbBridge>();
        b->devices.push_back({"usb#vid_10c4&pid_82b4#AF0001#/sys/1-1", "USB\\VID_10C4&PID_82B4&REV_0100",
                              "VEMAR USB Acquisition Unit", "Bus 001 Port 1-1"});
        b->products.push_back("VEMAR USB Acquisition Unit");
        return b;
    }
};
