// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <windows.h>
// after windows.h
#include <shlobj.h>

#include <string>

#include "system/platform.hpp"
#include "system/program_config.hpp"

namespace dp3 {

std::filesystem::path executablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::filesystem::path(buffer.substr(0, n));
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::filesystem::path userSettingsFolder() {
  PWSTR folder = nullptr;
  std::filesystem::path path;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder) == S_OK)
    path = folder;  // %APPDATA%
  CoTaskMemFree(folder);
  return path;
}

std::string operatingSystemName() {
  // GetVersionEx answers what the manifest claims; the kernel's own call does not.
  using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto call = ntdll ? reinterpret_cast<RtlGetVersionCall>(
                          reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                    : nullptr;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!call || call(&info) != 0) return "Windows";
  std::string name = "Windows";
  if (info.dwMajorVersion == 10 && info.dwBuildNumber >= 22000) {
    name += " 11";
  } else if (info.dwMajorVersion == 10) {
    name += " 10";
  } else if (info.dwMajorVersion == 6 && info.dwMinorVersion == 3) {
    name += " 8.1";
  } else if (info.dwMajorVersion == 6 && info.dwMinorVersion == 2) {
    name += " 8";
  } else if (info.dwMajorVersion == 6 && info.dwMinorVersion == 1) {
    name += " 7";
  }
  name += " (" + std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) +
          "." + std::to_string(info.dwBuildNumber) + ")";
  return name;
}

std::string guideFile() {
  const std::filesystem::path exe = executablePath();
  if (exe.empty()) return "README.txt";
  const std::u8string name = (exe.parent_path() / "README.txt").u8string();
  return std::string(name.begin(), name.end());
}

}  // namespace dp3
