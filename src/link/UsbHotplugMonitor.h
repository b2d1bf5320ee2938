#pragma once

// Arrivals and removals of USB devices, as the system announces them: a
// libudev monitor on the "usb" subsystem whose descriptor the window's event
// loop watches. When it becomes readable, drain() says whether a USB device
// came or went, and the window runs its device detection again. The
// transport itself never watches devices.

#include <memory>

struct udev;
struct udev_monitor;

class UsbHotplugMonitor {
public:
    UsbHotplugMonitor();
    ~UsbHotplugMonitor();
    UsbHotplugMonitor(const UsbHotplugMonitor&) = delete;
    UsbHotplugMonitor& operator=(const UsbHotplugMonitor&) = delete;

    // False when the system offers no monitor (detection then runs on demand).
    bool valid() const { return fd_ >= 0; }
    // Readable when events are waiting; -1 when not valid.
    int fd() const { return fd_; }
    // Reads every waiting event; true when a USB device was added or removed.
    bool drain();

private:
    struct UdevUnref {
        void operator()(udev* u) const;
    };
    struct MonitorUnref {
        void operator()(udev_monitor* m) const;
    };
    std::unique_ptr<udev, UdevUnref> udev_;
    std::unique_ptr<udev_monitor, MonitorUnref> monitor_;
    int fd_ = -1;
};
