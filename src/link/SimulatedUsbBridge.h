#pragma once

// The USB backend of the simulated unit: the bridge entry points of the
// simulator plug-in, taken from the loaded plug-in by name. Nothing of the
// simulator is linked into the program.

#include <string>

#include "UsbBridge.h"

struct vemarsim_usb_device_info;

class SimulatedUsbBridge final : public UsbBridge {
public:
    // Binds the entry points of the active plug-in (SimulatorPlugin). When
    // one is missing the bridge shows no device.
    SimulatedUsbBridge();

    bool bound() const { return bound_; }

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
    struct EntryPoints {
        int (*presentDevices)(::vemarsim_usb_device_info*, int) = nullptr;
        int (*deviceCount)(std::uint32_t*) = nullptr;
        int (*productString)(std::uint32_t, char*, std::uint32_t) = nullptr;
        int (*open)(std::uint32_t, std::uint64_t*) = nullptr;
        int (*close)(std::uint64_t) = nullptr;
        int (*setBaudRate)(std::uint64_t, std::uint32_t) = nullptr;
        int (*setLineControl)(std::uint64_t, std::uint16_t) = nullptr;
        int (*setFlowControl)(std::uint64_t, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t,
                              int) = nullptr;
        int (*flush)(std::uint64_t, int, int) = nullptr;
        int (*write)(std::uint64_t, const void*, std::uint32_t, std::uint32_t*) = nullptr;
        int (*checkRxQueue)(std::uint64_t, std::uint32_t*, std::uint32_t*) = nullptr;
        int (*read)(std::uint64_t, void*, std::uint32_t, std::uint32_t*) = nullptr;
    };
    EntryPoints api_;
    bool bound_ = false;
};
