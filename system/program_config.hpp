// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "system/file_result.hpp"

namespace dp3 {

// The chosen keyer port, kept between runs. The file holds the 4-byte port
// number first (little-endian), then the device path, so a reader that takes
// only the first 4 bytes still finds the number.
struct ProgramConfig {
  std::int32_t comPort = 0;
  std::string portPath;                  // the device, e.g. /dev/ttyUSB0; empty until chosen
  std::filesystem::path configFilePath;  // empty when the system names no place for it
  // A port that exists only for this run (the built-in simulated keyer's
  // pseudo-terminal): it may be chosen, but is never written to the file.
  std::string sessionPort;
};

// dp3tools.cfg beside the executable when one is there (portable use), else
// $XDG_CONFIG_HOME/dp3tools/dp3tools.cfg (~/.config when unset); empty when
// neither names an absolute folder.
std::filesystem::path defaultConfigFilePath(const std::filesystem::path& executable);

// The running program's own path (empty when the system does not say).
std::filesystem::path executablePath();

// The number a device path ends in ("/dev/ttyUSB3" gives 3), 0 when none.
std::int32_t portNumberOf(const std::string& devicePath);

// The longest device path the file keeps.
inline constexpr std::size_t kMaxPortPathLength = 4096;

// Why a port path cannot be kept: a file holding it could not be read back,
// or would name a device only from one working folder.
enum class PortPathProblem { None, Empty, Relative, TooLong, HasNul };
// A device path is absolute; on Windows a device name alone ("COM3") is one too.
PortPathProblem checkPortPath(const std::string& path);

// A load or save of the file ends as any file operation does: NoPlace when
// the system names no folder for it.
using ConfigResult = FileResult;

// Reads the file (a regular file of at most 4 + 4096 bytes; the path ends at
// a NUL); a missing one is created holding port 1. A failed read leaves config
// as it was.
FileResult loadProgramConfig(ProgramConfig& config);
// Replaces the file atomically (through a link, never a device); on failure
// the old file stays. A port path that checkPortPath refuses is not saved
// (Refused).
FileResult saveProgramConfig(const ProgramConfig& config);

}  // namespace dp3
