// Which device stands for "COM n".
//
// The default COM map numbers the system's serial devices from 1 in a stable
// order: first /dev/ttyUSB<k> (USB serial adapters) and /dev/ttyACM<k> (USB
// modem-class devices), the cables a calculator user plugs in, then the
// on-board ports /dev/ttyS<k> that have a UART behind them (the kernel
// creates ttyS entries for absent legacy ports too; those whose
// /sys/class/tty/<name>/type reads 0 are left out), /dev/ttyAMA<k> (on-chip
// UARTs) and /dev/rfcomm<k> (Bluetooth), each family in ascending order of
// k. So with one on-board port and one USB adapter, COM1 is /dev/ttyUSB0
// (the default port of the link settings) and COM2 is /dev/ttyS0.
//
// A user can give any COM number a device of their own in the profile:
// section "Comm Devices", key "COM<n>", value the device path (for example
// "Comm Devices"/"COM3" = "/dev/serial/by-id/usb-..."). The link reads that
// entry and passes it with the open record; it wins over the default map.
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <vector>

// The default list, COM1 first. `devDir` and `sysTtyDir` are the device and
// sysfs tty directories ("/dev", "/sys/class/tty").
std::vector<std::string> ListSerialDevices(const std::string& devDir = "/dev",
                                           const std::string& sysTtyDir = "/sys/class/tty");

// The device of "COM n" in the default map; empty when there is none.
std::string DefaultSerialDeviceForPort(UINT port);
// Tests: the directories the default map reads; empty strings give back
// "/dev" and "/sys/class/tty".
void SetSerialDeviceDirectories(const std::string& devDir, const std::string& sysTtyDir);

// The profile section and key of a user's own device for "COM n".
constexpr const char* kCommDevicesSection = "Comm Devices";
std::string SerialDeviceProfileKey(UINT port);
