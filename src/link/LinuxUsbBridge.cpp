#include "LinuxUsbBridge.h"

#include <filesystem>

LinuxUsbBridge::LinuxUsbBridge() = default;

LinuxUsbBridge::LinuxUsbBridge(std::string ttyPath) : explicitPath_(std::move(ttyPath)) {}

LinuxUsbBridge::~LinuxUsbBridge() = default;

std::vector<UdevBridgePort> LinuxUsbBridge::listPorts() const
{
    if (!explicitPath_) return udevBridgePorts();
    std::error_code ec;
    if (!std::filesystem::exists(*explicitPath_, ec)) return {};
    return {UdevBridgePort{*explicitPath_, explicitPortProduct}};
}

std::vector<UsbInterfaceDevice> LinuxUsbBridge::presentDevices()
{
    if (!explicitPath_) return udevUsbDevices();
    std::vector<UsbInterfaceDevice> devices;
    for (const UdevBridgePort& p : listPorts()) {
        UsbInterfaceDevice d;
        const std::string name = std::filesystem::path(p.devnode).filename().string();
        d.path = "tty#vid_10c4&pid_82b4#" + name + "#" + p.devnode;
        d.hardwareId = "USB\\VID_10C4&PID_82B4&REV_0100";
        d.description = p.product;
        d.location = p.devnode;
        devices.push_back(std::move(d));
    }
    return devices;
}

int LinuxUsbBridge::deviceCount(std::uint32_t& count)
{
    std::vector<UdevBridgePort> ports = listPorts();
    std::lock_guard lock(mutex_);
    ports_ = std::move(ports);
    count = static_cast<std::uint32_t>(ports_.size());
    return UsbBridgeStatus::Success;
}

int LinuxUsbBridge::productString(std::uint32_t device, std::string& text)
{
    std::lock_guard lock(mutex_);
    if (device >= ports_.size()) return UsbBridgeStatus::DeviceNotFound;
    text = ports_[device].product;
    return UsbBridgeStatus::Success;
}

int LinuxUsbBridge::open(std::uint32_t device, UsbBridgeHandle& handle)
{
    handle = 0;
    std::string devnode;
    {
        std::lock_guard lock(mutex_);
        if (device >= ports_.size()) return UsbBridgeStatus::DeviceNotFound;
        devnode = ports_[device].devnode;
    }
    auto port = std::make_shared<TtyPort>();
    const int status = port->open(devnode);
    if (status != UsbBridgeStatus::Success) return status;
    std::lock_guard lock(mutex_);
    handle = nextHandle_++;
    open_.emplace(handle, std::move(port));
    return UsbBridgeStatus::Success;
}

int LinuxUsbBridge::close(UsbBridgeHandle handle)
{
    std::lock_guard lock(mutex_);
    return open_.erase(handle) != 0 ? UsbBridgeStatus::Success : UsbBridgeStatus::InvalidHandle;
}

std::shared_ptr<TtyPort> LinuxUsbBridge::port(UsbBridgeHandle handle)
{
    std::lock_guard lock(mutex_);
    const auto it = open_.find(handle);
    return it != open_.end() ? it->second : nullptr;
}

int LinuxUsbBridge::setBaudRate(UsbBridgeHandle handle, std::uint32_t baudRate)
{
    const auto p = port(handle);
    return p ? p->setBaudRate(baudRate) : UsbBridgeStatus::InvalidHandle;
}

int LinuxUsbBridge::setLineControl(UsbBridgeHandle handle, std::uint16_t lineControl)
{
    const auto p = port(handle);
    return p ? p->setLineControl(lineControl) : UsbBridgeStatus::InvalidHandle;
}

int LinuxUsbBridge::setFlowControl(UsbBridgeHandle handle, const UsbFlowControl& flow)
{
    const auto p = port(handle);
    return p ? p->setFlowControl(flow) : UsbBridgeStatus::InvalidHandle;
}

int LinuxUsbBridge::flushBuffers(UsbBridgeHandle handle, bool transmit, bool receive)
{
    const auto p = port(handle);
    return p ? p->flush(transmit, receive) : UsbBridgeStatus::InvalidHandle;
}

int LinuxUsbBridge::write(UsbBridgeHandle handle, const void* data, std::uint32_t length, std::uint32_t& written)
{
    written = 0;
    const auto p = port(handle);
    return p ? p->write(data, length, written) : UsbBridgeStatus::InvalidHandle;
}

int LinuxUsbBridge::checkRxQueue(UsbBridgeHandle handle, std::uint32_t& queued, std::uint32_t& queueStatus)
{
    queued = queueStatus = 0;
    const auto p = port(handle);
    if (!p) return UsbBridgeStatus::InvalidHandle;
    const int status = p->rxQueue(queued);
    queueStatus = queued != 0 ? 2 : 0;  // the library's "receive queue has data" bit
    return status;
}

int LinuxUsbBridge::read(UsbBridgeHandle handle, void* buffer, std::uint32_t length, std::uint32_t& got)
{
    got = 0;
    const auto p = port(handle);
    return p ? p->read(buffer, length, got) : UsbBridgeStatus::InvalidHandle;
}
