#pragma once

// USB discovery and the byte transport to the unit's bridge: the device
// table of the system's USB devices, the match between bridge device numbers
// and enumerated devices, and the one open bridge device.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UsbBridge.h"

// One enumerated USB device.
struct DeviceInfos {
    std::uint32_t VID = 0;
    std::uint32_t PID = 0;
    std::uint32_t REV = 0;
    std::optional<std::string> serial;  // between the second and third '#' of the path
    std::optional<std::string> location;
    std::optional<std::string> description;

    friend bool operator==(const DeviceInfos&, const DeviceInfos&) = default;
};

// Device path → device, in byte-wise ascending order of the path.
using DeviceTable = std::map<std::string, DeviceInfos>;

inline constexpr std::uint32_t siliconLabsVendorId = 0x10C4;

// The texts of the device index list for bridge devices that were not matched.
inline constexpr const char* productStringUnreadableText = "USBXpress : Impossible to read Product String";
inline constexpr const char* excludedByDescriptionText = "USBXpress : Device excluded by DevDescription";
inline constexpr const char* endOfDeviceListText = "End of C_USB Dev list";
inline constexpr const char* excludedByFilterText = "USBXpress Excluded by the filtering";

// VID, PID and REV parsed from a hardware ID (any case); a missing field stays 0.
void parseHardwareId(const std::string& hardwareId, DeviceInfos& infos);

// Fills table (cleared first) with the present USB devices of the bridge.
void EnumerateUsbDevices(UsbBridge& bridge, DeviceTable& table);

// The accepted devices: vendor 0x10C4 and, unless pidFilter is 0, that
// product ID; an empty descriptionFilter accepts any description. Rebuilds
// the process-wide device index list, one entry per bridge device number.
DeviceTable FindUsbXpressDevices(UsbBridge& bridge, std::uint32_t pidFilter, const std::string& descriptionFilter);
DeviceTable FindUsbXpressDevices(std::uint32_t pidFilter, const std::string& descriptionFilter);

// A copy of the device index list.
std::vector<std::string> DeviceIndexList();

// One block to write or to read. transferred is what actually went through.
struct IoRecord {
    std::uint32_t length = 0;
    void* buffer = nullptr;
    std::uint32_t transferred = 0;
};

class C_USB_Device {};

// The open bridge device. Driver errors follow one rule: a composed text
// "UsbExpress Error : <reason>" (logged, never shown) and, for four
// statuses, the loss of the handle; every operation then fails until the
// transport is rebuilt.
class C_Device_USB_Express : public C_USB_Device {
public:
    // Opens the bridge number that the device index list gives for the path
    // and configures it: baud rate, 8N1, no flow control, both buffers flushed.
    C_Device_USB_Express(std::shared_ptr<UsbBridge> bridge, const std::string& devicePath, std::uint32_t baudRate);
    ~C_Device_USB_Express();
    C_Device_USB_Express(const C_Device_USB_Express&) = delete;
    C_Device_USB_Express& operator=(const C_Device_USB_Express&) = delete;

    // true on error.
    bool Write(IoRecord& io);
    // 0 read, 1 nothing read or error, 2 read but the queue held another count.
    int Read(IoRecord& io);
    std::uint32_t RxCount();
    // true on error.
    bool Flush();

    bool openFailed() const { return openFailed_; }
    bool hasHandle() const { return handle_ != 0; }
    std::uint32_t baudRate() const { return baudRate_; }
    const std::string& lastErrorText() const { return lastErrorText_; }

    // "UsbExpress Error : <reason>" for a status, empty for 0 and unknown statuses.
    static std::string statusText(int status);

private:
    // Applies the driver status rule; returns status.
    int driverStatus(int status);

    std::shared_ptr<UsbBridge> bridge_;
    bool openFailed_ = false;
    UsbBridgeHandle handle_ = 0;
    std::uint32_t baudRate_ = 0;
    std::string lastErrorText_;
};
