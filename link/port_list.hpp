// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <string>
#include <vector>

namespace dp3 {

struct SerialDevice {
  std::string path;         // /dev/ttyUSB0, COM3
  std::string description;  // the USB product name where the system gives one
};

// The serial devices present: sorted by path, or COM1 to COM50 in order of number.
std::vector<SerialDevice> listSerialDevices();

// Whether the device a port names ("/dev/ttyUSB0", "COM12") is there now.
bool serialDevicePresent(const std::string& port);

// The name under /dev/serial/by-id/ that leads to the device at path, so a USB
// adapter plugged in again under another ttyUSB number is still found; the
// path itself when the system gives no such name.
std::string stablePortPath(const std::string& path,
                           const std::string& byIdDir = "/dev/serial/by-id");

// The device's short name ("ttyUSB0" for a by-id name that leads to it).
std::string shortPortName(const std::string& path);

}  // namespace dp3
