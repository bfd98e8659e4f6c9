// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/port_list.hpp"

#include <emscripten.h>

// The ports this page was granted (link/web/serial_line.js). A page sees no
// other port: the browser's picker is the only way to a new one.
// The blocks below are JavaScript, left as written.
// clang-format off
EM_JS(int, dp3GrantedPortCount, (), { return Module.serialLines.names().length; });
EM_JS(void, dp3GrantedPort, (int index, char* name, int nameSize, char* text, int textSize), {
  const portName = Module.serialLines.names()[index] || "";
  stringToUTF8(portName, name, nameSize);
  stringToUTF8(Module.serialLines.describe(portName), text, textSize);
});
// clang-format on

namespace dp3 {

std::vector<SerialDevice> listSerialDevices() {
  std::vector<SerialDevice> devices;
  const int count = dp3GrantedPortCount();
  for (int i = 0; i < count; ++i) {
    char name[64] = {};
    char description[128] = {};
    dp3GrantedPort(i, name, sizeof name, description, sizeof description);
    devices.push_back({name, description});
  }
  return devices;
}

bool serialDevicePresent(const std::string& port) {
  for (const SerialDevice& device : listSerialDevices()) {
    if (device.path == port) return true;
  }
  return false;
}

// A granted port keeps its name for as long as the page is open.
std::string stablePortPath(const std::string& path, const std::string&) {
  return path;
}

std::string shortPortName(const std::string& path) {
  return path;
}

}  // namespace dp3
