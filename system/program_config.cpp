// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "system/program_config.hpp"

#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include "system/atomic_file.hpp"
#include "system/platform.hpp"

namespace dp3 {

namespace {

constexpr const char* kConfigFileName = "dp3tools.cfg";
// The number and a device path; anything longer is not this program's file.
constexpr std::size_t kMaxConfigSize = 4 + kMaxPortPathLength;

// Writes the file atomically, making its folder first.
FileResult writeConfig(const ProgramConfig& config) {
  std::error_code error;
  std::filesystem::create_directories(config.configFilePath.parent_path(), error);
  const auto port = static_cast<std::uint32_t>(config.comPort);
  std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(port & 0xFF),
                                     static_cast<std::uint8_t>((port >> 8) & 0xFF),
                                     static_cast<std::uint8_t>((port >> 16) & 0xFF),
                                     static_cast<std::uint8_t>((port >> 24) & 0xFF)};
  bytes.insert(bytes.end(), config.portPath.begin(), config.portPath.end());
  return writeFileAtomically(config.configFilePath, bytes);
}

}  // namespace

std::filesystem::path defaultConfigFilePath(const std::filesystem::path& executable) {
  if (!executable.empty()) {
    auto beside = executable.parent_path() / kConfigFileName;
    std::error_code error;
    if (std::filesystem::is_regular_file(beside, error)) return beside;
  }
  if (auto own = userSettingsFolder(); !own.empty()) return own / "dp3tools" / kConfigFileName;
  // Only an absolute base counts: a relative one (or none) would put the file
  // wherever the program happens to be started.
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
    base = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  return base / "dp3tools" / kConfigFileName;
}

std::int32_t portNumberOf(const std::string& devicePath) {
  std::size_t end = devicePath.size();
  std::size_t start = end;
  while (start > 0 && devicePath[start - 1] >= '0' && devicePath[start - 1] <= '9') --start;
  if (start == end || end - start > 9) return 0;
  return static_cast<std::int32_t>(std::stol(devicePath.substr(start)));
}

FileResult loadProgramConfig(ProgramConfig& config) {
  if (config.configFilePath.empty()) return {FileResult::Kind::NoPlace};
  const SmallFile file = readSmallFile(config.configFilePath, kMaxConfigSize);
  if (file.result.kind == FileResult::Kind::Missing) {
    config.comPort = 1;
    config.portPath.clear();
    // A file that cannot be made now is no reason to stop the program.
    writeConfig(config);
    return {};
  }
  if (!file.result.ok()) return file.result;
  const auto& bytes = file.bytes;
  // A short file replaces only the low-order bytes of the number.
  std::uint32_t port = static_cast<std::uint32_t>(config.comPort);
  for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) {
    port &= ~(0xFFu << (8 * i));
    port |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  }
  config.comPort = static_cast<std::int32_t>(port);
  // The path ends at a NUL, as the system would end it when opening the device.
  config.portPath.clear();
  for (std::size_t i = 4; i < bytes.size() && bytes[i] != 0; ++i) {
    config.portPath += static_cast<char>(bytes[i]);
  }
  return file.result;
}

PortPathProblem checkPortPath(const std::string& path) {
  if (path.empty()) return PortPathProblem::Empty;
  if (path.find('\0') != std::string::npos) return PortPathProblem::HasNul;
  if (path.size() > kMaxPortPathLength) return PortPathProblem::TooLong;
#if defined(_WIN32)
  const bool deviceName = path.find_first_of("/\\") == std::string::npos;
  if (!deviceName && !std::filesystem::path(path).has_root_directory())
    return PortPathProblem::Relative;
#elif defined(__EMSCRIPTEN__)
    // The page's ports are names it gives them ("SIM", "serial:1"), not paths.
#else
  if (path.front() != '/') return PortPathProblem::Relative;
#endif
  return PortPathProblem::None;
}

FileResult saveProgramConfig(const ProgramConfig& config) {
  if (config.configFilePath.empty()) return {FileResult::Kind::NoPlace};
  // A port that lives only as long as this run is never kept.
  if (!config.sessionPort.empty() && config.portPath == config.sessionPort) return {};
  // A file the next run cannot read, or a path that means another device
  // from another folder, would lose the port: the old file stays.
  if (!config.portPath.empty() && checkPortPath(config.portPath) != PortPathProblem::None) {
    return {FileResult::Kind::Refused, config.configFilePath, "the port path cannot be kept"};
  }
  return writeConfig(config);
}

}  // namespace dp3
