#pragma once

#include <string>
#include <vector>

namespace dp3 {

struct SerialDevice {
  std::string path;         // /dev/ttyUSB0
  std::string description;  // the USB product name where the system gives one
};

// The serial devices present, sorted by path.
std::vector<SerialDevice> listSerialDevices();

}  // namespace dp3
