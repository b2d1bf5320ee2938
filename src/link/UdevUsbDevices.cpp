#include "UdevUsbDevices.h"

#include <libudev.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "Log.h"

namespace {

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
};
struct EnumerateUnref {
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};
struct DeviceUnref {
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
using Udev = std::unique_ptr<udev, UdevUnref>;
using Enumerate = std::unique_ptr<udev_enumerate, EnumerateUnref>;
using Device = std::unique_ptr<udev_device, DeviceUnref>;

std::string text(const char* value) { return value != nullptr ? std::string(value) : std::string(); }

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// Calls visit(device) for each device of the subsystem (and devtype, when given).
template <typename Visit>
void forEachDevice(const char* subsystem, const char* devtype, Visit visit)
{
    Udev u(udev_new());
    if (!u) {
        Log::error("libudev is not available\n");
        return;
    }
    Enumerate e(udev_enumerate_new(u.get()));
    if (!e) return;
    udev_enumerate_add_match_subsystem(e.get(), subsystem);
    if (devtype != nullptr) udev_enumerate_add_match_property(e.get(), "DEVTYPE", devtype);
    if (udev_enumerate_scan_devices(e.get()) < 0) return;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get()))
    {
        Device d(udev_device_new_from_syspath(u.get(), udev_list_entry_get_name(entry)));
        if (d) visit(d.get());
    }
}

}  // namespace

std::vector<UsbInterfaceDevice> udevUsbDevices()
{
    std::vector<UsbInterfaceDevice> devices;
    forEachDevice("usb", "usb_device", [&](udev_device* d) {
        const std::string vid = text(udev_device_get_sysattr_value(d, "idVendor"));
        const std::string pid = text(udev_device_get_sysattr_value(d, "idProduct"));
        const std::string rev = text(udev_device_get_sysattr_value(d, "bcdDevice"));
        std::string serial = text(udev_device_get_sysattr_value(d, "serial"));
        if (serial.empty()) serial = text(udev_device_get_sysname(d));
        std::replace(serial.begin(), serial.end(), '#', '_');

        UsbInterfaceDevice device;
        device.path = "usb#vid_" + vid + "&pid_" + pid + "#" + serial + "#" + text(udev_device_get_syspath(d));
        if (!vid.empty() && !pid.empty()) device.hardwareId = "USB\\VID_" + upper(vid) + "&PID_" + upper(pid) + "&REV_" + upper(rev);
        if (const char* product = udev_device_get_sysattr_value(d, "product"))
            device.description = product;
        else if (const char* model = udev_device_get_property_value(d, "ID_MODEL_FROM_DATABASE"))
            device.description = model;
        const std::string bus = text(udev_device_get_sysattr_value(d, "busnum"));
        device.location = "Bus " + bus + " Port " + text(udev_device_get_sysname(d));
        devices.push_back(std::move(device));
    });
    return devices;
}

std::vector<UdevBridgePort> udevBridgePorts()
{
    std::vector<UdevBridgePort> ports;
    forEachDevice("tty", nullptr, [&](udev_device* d) {
        const char* devnode = udev_device_get_devnode(d);
        if (devnode == nullptr) return;
        udev_device* port = udev_device_get_parent_with_subsystem_devtype(d, "usb-serial", nullptr);
        if (port == nullptr || text(udev_device_get_driver(port)) != "cp210x") return;
        udev_device* usb = udev_device_get_parent_with_subsystem_devtype(d, "usb", "usb_device");
        if (usb == nullptr || upper(text(udev_device_get_sysattr_value(usb, "idVendor"))) != "10C4") return;
        ports.push_back({devnode, text(udev_device_get_sysattr_value(usb, "product"))});
    });
    std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.devnode < b.devnode; });
    return ports;
}
