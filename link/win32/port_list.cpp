// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <windows.h>
// after windows.h
#include <devguid.h>
#include <setupapi.h>

#include <map>
#include <string>

#include "link/port_list.hpp"
#include "link/win32/serial_link.hpp"

namespace dp3 {

namespace {

constexpr int kHighestPort = 50;

// Open failures that still mean the port is there: held by another program,
// or a device that is present but not answering.
bool presentDespite(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_GEN_FAILURE ||
         error == ERROR_SHARING_VIOLATION || error == ERROR_SEM_TIMEOUT;
}

bool portPresent(const std::string& port) {
  const HANDLE handle = CreateFileA(commDeviceName(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return true;
  }
  return presentDespite(GetLastError());
}

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

// "USB Serial Port (COM3)" and the like, by port name ("COM3"), from the
// system's device list; ports it does not know have none.
std::map<std::string, std::string> friendlyNames() {
  std::map<std::string, std::string> names;
  const HDEVINFO devices =
      SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return names;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
    const HKEY key =
        SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) continue;
    wchar_t port[32] = {};
    DWORD size = sizeof port - sizeof port[0];
    DWORD type = 0;
    const bool named = RegQueryValueExW(key, L"PortName", nullptr, &type,
                                        reinterpret_cast<BYTE*>(port), &size) == ERROR_SUCCESS &&
                       type == REG_SZ;
    RegCloseKey(key);
    if (!named) continue;
    wchar_t friendly[256] = {};
    if (SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                          reinterpret_cast<BYTE*>(friendly),
                                          sizeof friendly - sizeof friendly[0], nullptr)) {
      names[narrow(port)] = narrow(friendly);
    }
  }
  SetupDiDestroyDeviceInfoList(devices);
  return names;
}

}  // namespace

std::vector<SerialDevice> listSerialDevices() {
  std::vector<SerialDevice> devices;
  const auto names = friendlyNames();
  for (int number = 1; number <= kHighestPort; ++number) {
    const std::string port = "COM" + std::to_string(number);
    if (!portPresent(port)) continue;
    const auto name = names.find(port);
    devices.push_back({port, name == names.end() ? std::string() : name->second});
  }
  return devices;
}

bool serialDevicePresent(const std::string& port) {
  return portPresent(port);
}

// COM names do not move with the USB socket an adapter is in: the name is its own stable path.
std::string stablePortPath(const std::string& path, const std::string&) {
  return path;
}

std::string shortPortName(const std::string& path) {
  return path;
}

}  // namespace dp3
