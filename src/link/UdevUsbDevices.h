#pragma once

// The system's USB devices and bridge ttys as libudev describes them.

#include <string>
#include <vector>

#include "UsbBridge.h"

// Every present USB device. The path reads
// "usb#vid_xxxx&pid_xxxx#<serial>#<sysfs path>" (the serial between the
// second and third '#', the sysfs name when the device has none); the
// hardware ID "USB\VID_xxxx&PID_xxxx&REV_xxxx"; the description is the
// device's product string; the location names its bus and port.
std::vector<UsbInterfaceDevice> udevUsbDevices();

// A tty of a Silicon Labs bridge served by the cp210x driver.
struct UdevBridgePort {
    std::string devnode;  // /dev/ttyUSBn
    std::string product;  // the USB device's product string
};

// Every such tty, ordered by device node.
std::vector<UdevBridgePort> udevBridgePorts();
