#include "SimulatedUsbBridge.h"

#include <cstring>

#include "Log.h"
#include "SimulatorPlugin.h"
#include "vemar_sim_usb.h"

// The plug-in answers with its own header's statuses: they must be the
// bridge library's, which the transport above interprets.
static_assert(VEMARSIM_USB_SUCCESS == UsbBridgeStatus::Success);
static_assert(VEMARSIM_USB_INVALID_HANDLE == UsbBridgeStatus::InvalidHandle);
static_assert(VEMARSIM_USB_READ_ERROR == UsbBridgeStatus::ReadError);
static_assert(VEMARSIM_USB_WRITE_ERROR == UsbBridgeStatus::WriteError);
static_assert(VEMARSIM_USB_INVALID_PARAMETER == UsbBridgeStatus::InvalidParameter);
static_assert(VEMARSIM_USB_INVALID_BAUD_RATE == UsbBridgeStatus::InvalidBaudRate);
static_assert(VEMARSIM_USB_DEVICE_NOT_FOUND == UsbBridgeStatus::DeviceNotFound);

namespace {

template <typename F>
bool bind(F& target, const char* name)
{
    target = reinterpret_cast<F>(SimulatorPlugin::symbol(name));
    if (target == nullptr) Log::error("Simulator: no entry point %s\n", name);
    return target != nullptr;
}

std::string fieldText(const char* field, std::size_t size) { return std::string(field, ::strnlen(field, size)); }

}  // namespace

SimulatedUsbBridge::SimulatedUsbBridge()
{
    bool ok = true;
    ok &= bind(api_.presentDevices, "vemarsim_usb_present_devices");
    ok &= bind(api_.deviceCount, "vemarsim_usb_device_count");
    ok &= bind(api_.productString, "vemarsim_usb_product_string");
    ok &= bind(api_.open, "vemarsim_usb_open");
    ok &= bind(api_.close, "vemarsim_usb_close");
    ok &= bind(api_.setBaudRate, "vemarsim_usb_set_baud_rate");
    ok &= bind(api_.setLineControl, "vemarsim_usb_set_line_control");
    ok &= bind(api_.setFlowControl, "vemarsim_usb_set_flow_control");
    ok &= bind(api_.flush, "vemarsim_usb_flush");
    ok &= bind(api_.write, "vemarsim_usb_write");
    ok &= bind(api_.checkRxQueue, "vemarsim_usb_check_rx_queue");
    ok &= bind(api_.read, "vemarsim_usb_read");
    bound_ = ok;
}

std::vector<UsbInterfaceDevice> SimulatedUsbBridge::presentDevices()
{
    std::vector<UsbInterfaceDevice> devices;
    if (!bound_) return devices;
    // The simulated bus never holds more than a handful of devices.
    ::vemarsim_usb_device_info infos[8] = {};
    const int count = api_.presentDevices(infos, 8);
    for (int i = 0; i < count && i < 8; ++i) {
        UsbInterfaceDevice d;
        d.path = fieldText(infos[i].path, sizeof infos[i].path);
        d.hardwareId = fieldText(infos[i].hardware_id, sizeof infos[i].hardware_id);
        d.description = fieldText(infos[i].description, sizeof infos[i].description);
        d.location = fieldText(infos[i].location, sizeof infos[i].location);
        devices.push_back(std::move(d));
    }
    return devices;
}

int SimulatedUsbBridge::deviceCount(std::uint32_t& count)
{
    count = 0;
    return bound_ ? api_.deviceCount(&count) : UsbBridgeStatus::DeviceNotFound;
}

int SimulatedUsbBridge::productString(std::uint32_t device, std::string& text)
{
    if (!bound_) return UsbBridgeStatus::DeviceNotFound;
    char buffer[256] = {};
    const int status = api_.productString(device, buffer, sizeof buffer);
    text = fieldText(buffer, sizeof buffer);
    return status;
}

int SimulatedUsbBridge::open(std::uint32_t device, UsbBridgeHandle& handle)
{
    handle = 0;
    return bound_ ? api_.open(device, &handle) : UsbBridgeStatus::DeviceNotFound;
}

int SimulatedUsbBridge::close(UsbBridgeHandle handle)
{
    return bound_ ? api_.close(handle) : UsbBridgeStatus::InvalidHandle;
}

int SimulatedUsbBridge::setBaudRate(UsbBridgeHandle handle, std::uint32_t baudRate)
{
    return bound_ ? api_.setBaudRate(handle, baudRate) : UsbBridgeStatus::InvalidHandle;
}

int SimulatedUsbBridge::setLineControl(UsbBridgeHandle handle, std::uint16_t lineControl)
{
    return bound_ ? api_.setLineControl(handle, lineControl) : UsbBridgeStatus::InvalidHandle;
}

int SimulatedUsbBridge::setFlowControl(UsbBridgeHandle handle, const UsbFlowControl& f)
{
    return bound_ ? api_.setFlowControl(handle, f.ctsMask, f.rtsMask, f.dtrMask, f.dsrMask, f.dcdMask, f.xonXoff ? 1 : 0)
                  : UsbBridgeStatus::InvalidHandle;
}

int SimulatedUsbBridge::flushBuffers(UsbBridgeHandle handle, bool transmit, bool receive)
{
    return bound_ ? api_.flush(handle, transmit ? 1 : 0, receive ? 1 : 0) : UsbBridgeStatus::InvalidHandle;
}

int SimulatedUsbBridge::write(UsbBridgeHandle handle, const void* data, std::uint32_t length, std::uint32_t& written)
{
    written = 0;
    return bound_ ? api_.write(handle, data, length, &written) : UsbBridgeStatus::InvalidHandle;
}

int SimulatedUsbBridge::checkRxQueue(UsbBridgeHandle handle, std::uint32_t& queued, std::uint32_t& queueStatus)
{
    queued = queueStatus = 0;
    return bound_ ? api_.checkRxQueue(handle, &queued, &queueStatus) : UsbBridgeStatus::InvalidHandle;
}

int SimulatedUsbBridge::read(UsbBridgeHandle handle, void* buffer, std::uint32_t length, std::uint32_t& got)
{
    got = 0;
    return bound_ ? api_.read(handle, buffer, length, &got) : UsbBridgeStatus::InvalidHandle;
}
