#pragma once

// The real USB backend: the device list from libudev, the bridge
// operations on the bridge's tty (the kernel's cp210x driver serves the unit
// once the udev rule of packaging/ is installed). With an explicit tty path
// the backend shows that one port as the unit instead.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "TtyPort.h"
#include "UdevUsbDevices.h"
#include "UsbBridge.h"

class LinuxUsbBridge final : public UsbBridge {
public:
    // Every cp210x tty of a Silicon Labs device.
    LinuxUsbBridge();
    // This tty only, described as the unit (vendor 0x10C4, product 0x82B4).
    explicit LinuxUsbBridge(std::string ttyPath);
    ~LinuxUsbBridge() override;

    // The product string and description of an explicit port.
    static constexpr const char* explicitPortProduct = "VEMAR acquisition unit";

    std::vector<UsbInterfaceDevice> presentDevices() override;
    int deviceCount(std::uint32_t& count) override;
    int productString(std::uint32_t device, std::string& text) override;
    int open(std::uint32_t device, UsbBridgeHandle& handle) override;
    int close(UsbBridgeHandle handle) override;
    int setBaudRate(UsbBridgeHandle handle, std::uint32_t baudRate) override;
    int setLineControl(UsbBridgeHandle handle, std::uint16_t lineControl) override;
    int setFlowControl(UsbBridgeHandle handle, const UsbFlowControl& flow) override;
    int flushBuffers(UsbBridgeHandle handle, bool transmit, bool receive) override;
    int write(UsbBridgeHandle handle, const void* data, std::uint32_t length, std::uint32_t& written) override;
    int checkRxQueue(UsbBridgeHandle handle, std::uint32_t& queued, std::uint32_t& queueStatus) override;
    int read(UsbBridgeHandle handle, void* buffer, std::uint32_t length, std::uint32_t& got) override;

private:
    std::vector<UdevBridgePort> listPorts() const;
    // The open port of a handle, or nullptr.
    std::shared_ptr<TtyPort> port(UsbBridgeHandle handle);

    const std::optional<std::string> explicitPath_;
    // Protects ports_, open_ and nextHandle_.
    std::mutex mutex_;
    std::vector<UdevBridgePort> ports_;  // as counted by the last deviceCount()
    std::map<UsbBridgeHandle, std::shared_ptr<TtyPort>> open_;
    UsbBridgeHandle nextHandle_ = 1;
};
