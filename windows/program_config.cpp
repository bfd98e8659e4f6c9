#include "windows/program_config.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "windows/platform.hpp"

namespace dp3 {

namespace {
constexpr const char* kConfigFileName = "dp3tools.cfg";
}

std::filesystem::path defaultConfigFilePath(const std::filesystem::path& executable) {
  if (!executable.empty()) {
    auto beside = executable.parent_path() / kConfigFileName;
    std::error_code error;
    if (std::filesystem::is_regular_file(beside, error)) return beside;
  }
  if (auto own = userSettingsFolder(); !own.empty()) return own / "dp3tools" / kConfigFileName;
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = std::filesystem::current_path();
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

int loadProgramConfig(ProgramConfig& config, ControlSurface& ui) {
  std::FILE* file = std::fopen(config.configFilePath.string().c_str(), "rb");
  if (!file) {
    // Only a missing file starts afresh; one that is there but will not open
    // (Windows will not open a folder) is a read error.
    if (std::error_code error; std::filesystem::exists(config.configFilePath, error)) {
      ui.showMessage("Read file failed.", "Error");
      return 0;
    }
    config.comPort = 1;
    config.portPath.clear();
    saveProgramConfig(config, ui);
    return 1;
  }
  std::vector<char> bytes;
  char chunk[512];
  std::size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    ui.showMessage("Read file failed.", "Error");
    return 0;
  }
  // A short file replaces only the low-order bytes of the number.
  std::uint32_t port = static_cast<std::uint32_t>(config.comPort);
  for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) {
    port &= ~(0xFFu << (8 * i));
    port |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  config.comPort = static_cast<std::int32_t>(port);
  config.portPath = bytes.size() > 4 ? std::string(bytes.begin() + 4, bytes.end()) : std::string();
  return 1;
}

int saveProgramConfig(const ProgramConfig& config, ControlSurface& ui) {
  std::error_code error;
  std::filesystem::create_directories(config.configFilePath.parent_path(), error);
  std::ofstream file(config.configFilePath, std::ios::binary | std::ios::trunc);
  if (!file) return 1;  // not created: nothing is reported
  const auto port = static_cast<std::uint32_t>(config.comPort);
  const char number[4] = {static_cast<char>(port & 0xFF), static_cast<char>((port >> 8) & 0xFF),
                          static_cast<char>((port >> 16) & 0xFF),
                          static_cast<char>((port >> 24) & 0xFF)};
  file.write(number, 4);
  file.write(config.portPath.data(), static_cast<std::streamsize>(config.portPath.size()));
  file.close();
  if (!file) {
    ui.showMessage("CFG File SAve Failed.", "Error");
    return 0;
  }
  return 1;
}

}  // namespace dp3
