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

}  // namespace dp3
