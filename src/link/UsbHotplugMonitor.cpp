#include "UsbHotplugMonitor.h"

#include <libudev.h>

#include <cstring>

void UsbHotplugMonitor::UdevUnref::operator()(udev* u) const { udev_unref(u); }

void UsbHotplugMonitor::MonitorUnref::operator()(udev_monitor* m) const { udev_monitor_unref(m); }

UsbHotplugMonitor::UsbHotplugMonitor() : udev_(udev_new())
{
    if (!udev_) return;
    monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
    if (!monitor_) return;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor_.get()) < 0) {
        monitor_.reset();
        return;
    }
    fd_ = udev_monitor_get_fd(monitor_.get());
}

UsbHotplugMonitor::~UsbHotplugMonitor() = default;

bool UsbHotplugMonitor::drain()
{
    if (!monitor_) return false;
    bool changed = false;
    // The monitor's descriptor is non-blocking: receive returns null once empty.
    while (udev_device* device = udev_monitor_receive_device(monitor_.get())) {
        const char* action = udev_device_get_action(device);
        if (action != nullptr && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0))
            changed = true;
        udev_device_unref(device);
    }
    return changed;
}
