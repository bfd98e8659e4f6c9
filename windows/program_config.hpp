#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "surface/control_surface.hpp"

namespace dp3 {

// The chosen keyer port, kept between runs. The file holds the 4-byte port
// number first (little-endian), then the device path, so a reader that takes
// only the first 4 bytes still finds the number.
struct ProgramConfig {
  std::int32_t comPort = 0;
  std::string portPath;  // the device, e.g. /dev/ttyUSB0; empty until chosen
  std::filesystem::path configFilePath;
};

// dp3tools.cfg beside the executable when one is there (portable use), else
// $XDG_CONFIG_HOME/dp3tools/dp3tools.cfg (~/.config when unset).
std::filesystem::path defaultConfigFilePath(const std::filesystem::path& executable);

// The running program's own path (empty when the system does not say).
std::filesystem::path executablePath();

// The number a device path ends in ("/dev/ttyUSB3" gives 3), 0 when none.
std::int32_t portNumberOf(const std::string& devicePath);

// Reads the file; a missing one is created holding port 1. Returns 1, or 0
// after a read error (reported on ui).
int loadProgramConfig(ProgramConfig& config, ControlSurface& ui);
// Writes the file; returns 0 after a write error (reported on ui). A file
// that cannot be created is not reported.
int saveProgramConfig(const ProgramConfig& config, ControlSurface& ui);

}  // namespace dp3
