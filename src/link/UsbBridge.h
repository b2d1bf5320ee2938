#pragma once

// The platform boundary below the USB transport: the device list of the
// system and the operations of the USB-to-UART bridge library. The transport
// (C_usb_device, Hsotstdusb) runs unchanged on whichever backend is
// installed: the real one (libudev and termios on the bridge's tty) or the
// simulated unit of the plug-in.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Status codes of the bridge operations, those of the bridge library.
namespace UsbBridgeStatus {
inline constexpr int Success = 0x00;
inline constexpr int InvalidHandle = 0x01;
inline constexpr int ReadError = 0x02;
inline constexpr int RxQueueNotReady = 0x03;
inline constexpr int WriteError = 0x04;
inline constexpr int ResetError = 0x05;
inline constexpr int InvalidParameter = 0x06;
inline constexpr int InvalidRequestLength = 0x07;
inline constexpr int DeviceIoFailed = 0x08;
inline constexpr int InvalidBaudRate = 0x09;
inline constexpr int DeviceNotFound = 0xFF;
}  // namespace UsbBridgeStatus

// One present device of the USB device interface class, as the system
// describes it. The hardware ID reads "USB\VID_xxxx&PID_xxxx&REV_xxxx".
struct UsbInterfaceDevice {
    std::string path;
    std::optional<std::string> hardwareId;
    std::optional<std::string> description;
    std::optional<std::string> location;
};

// Handshake settings; all zero is no flow control at all.
struct UsbFlowControl {
    std::uint8_t ctsMask = 0;
    std::uint8_t rtsMask = 0;
    std::uint8_t dtrMask = 0;
    std::uint8_t dsrMask = 0;
    std::uint8_t dcdMask = 0;
    bool xonXoff = false;
};

// Line control word: bits 8-15 data bits, bits 4-7 parity (0 none, 1 odd,
// 2 even), bits 0-3 stop bits (0 one, 2 two).
inline constexpr std::uint16_t lineControl8N1 = 0x0800;

// An open bridge device; 0 is no device.
using UsbBridgeHandle = std::uint64_t;

class UsbBridge {
public:
    virtual ~UsbBridge() = default;

    // The system's list of present USB devices.
    virtual std::vector<UsbInterfaceDevice> presentDevices() = 0;

    // The bridge library. Device numbers count the bridges found by the last
    // deviceCount() call.
    virtual int deviceCount(std::uint32_t& count) = 0;
    virtual int productString(std::uint32_t device, std::string& text) = 0;
    virtual int open(std::uint32_t device, UsbBridgeHandle& handle) = 0;
    virtual int close(UsbBridgeHandle handle) = 0;
    virtual int setBaudRate(UsbBridgeHandle handle, std::uint32_t baudRate) = 0;
    virtual int setLineControl(UsbBridgeHandle handle, std::uint16_t lineControl) = 0;
    virtual int setFlowControl(UsbBridgeHandle handle, const UsbFlowControl& flow) = 0;
    virtual int flushBuffers(UsbBridgeHandle handle, bool transmit, bool receive) = 0;
    virtual int write(UsbBridgeHandle handle, const void* data, std::uint32_t length, std::uint32_t& written) = 0;
    virtual int checkRxQueue(UsbBridgeHandle handle, std::uint32_t& queued, std::uint32_t& queueStatus) = 0;
    // Reads what is there up to length; got may be less than length.
    virtual int read(UsbBridgeHandle handle, void* buffer, std::uint32_t length, std::uint32_t& got) = 0;
};

// The process-wide choice of backend.
namespace UsbBridges {

// The installed backend; without one, defaultBackend().
std::shared_ptr<UsbBridge> current();

// The backend chosen when none is installed (UsbBackendChoice.cpp): the
// simulated unit when the simulator plug-in is active, otherwise the real
// system (libudev and the ttys).
std::shared_ptr<UsbBridge> defaultBackend();

// Installs a backend for every later open and enumeration (nullptr returns
// to the default choice). A transport already open keeps its own backend.
void install(std::shared_ptr<UsbBridge> bridge);

// Talks to the unit on this tty only (a port the system does not describe as
// the unit, or a pseudo-terminal).
void useExplicitPort(const std::string& ttyPath);

}  // namespace UsbBridges
