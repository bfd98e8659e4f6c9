// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/port_list.hpp"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace dp3 {

namespace fs = std::filesystem;

namespace {

std::string firstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// Built-in UARTs are listed by the kernel whether or not the hardware is there;
// only those that report a real port type count.
bool builtInPortPresent(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == EBUSY || errno == EACCES;  // present, but held or guarded
  serial_struct info{};
  const bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return present;
}

// The USB device's own name ("FT232R USB UART"), searched upward from the tty's device.
std::string usbDescription(const fs::path& device) {
  std::error_code error;
  fs::path dir = fs::canonical(device, error);
  for (int level = 0; !error && level < 5 && dir.has_relative_path(); ++level) {
    const std::string product = firstLine(dir / "product");
    if (!product.empty()) {
      const std::string maker = firstLine(dir / "manufacturer");
      return maker.empty() ? product : maker + " " + product;
    }
    dir = dir.parent_path();
  }
  return {};
}

}  // namespace

std::vector<SerialDevice> listSerialDevices() {
  std::vector<SerialDevice> devices;
  std::error_code error;
  const fs::path classDir = "/sys/class/tty";
  if (fs::is_directory(classDir, error)) {
    for (const auto& entry : fs::directory_iterator(classDir, error)) {
      const fs::path device = entry.path() / "device";
      if (!fs::exists(device, error)) continue;  // virtual consoles and the like
      const std::string name = entry.path().filename().string();
      const std::string path = "/dev/" + name;
      if (!fs::exists(path, error)) continue;
      if (name.rfind("ttyS", 0) == 0 && !builtInPortPresent(path)) continue;
      devices.push_back({path, usbDescription(device)});
    }
  } else {
    for (const auto& entry : fs::directory_iterator("/dev", error)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("cu.", 0) == 0) devices.push_back({entry.path().string(), {}});
    }
  }
  std::sort(devices.begin(), devices.end(),
            [](const SerialDevice& a, const SerialDevice& b) { return a.path < b.path; });
  return devices;
}

bool serialDevicePresent(const std::string& port) {
  std::error_code error;
  return fs::exists(port, error);
}

std::string stablePortPath(const std::string& path, const std::string& byIdDir) {
  std::error_code error;
  if (path.rfind(byIdDir + "/", 0) == 0) return path;
  const fs::path device = fs::canonical(path, error);
  if (error) return path;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(byIdDir, error)) {
    std::error_code linkError;
    if (fs::canonical(entry.path(), linkError) == device && !linkError) {
      names.push_back(entry.path().string());
    }
  }
  if (names.empty()) return path;
  // One adapter can show several interfaces; the first name is as good as any, but stable.
  std::sort(names.begin(), names.end());
  return names.front();
}

std::string shortPortName(const std::string& path) {
  std::error_code error;
  const fs::path device = fs::canonical(path, error);
  return (error ? fs::path(path) : device).filename().string();
}

}  // namespace dp3
