#include "windows/platform.hpp"

#include <sys/utsname.h>

#include <system_error>

#include "windows/program_config.hpp"

namespace dp3 {

std::filesystem::path executablePath() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

std::filesystem::path userSettingsFolder() {
  return {};  // $XDG_CONFIG_HOME or ~/.config, by the configuration's own rules
}

std::string operatingSystemName() {
  utsname name{};
  if (::uname(&name) != 0) return {};
  return name.sysname;
}

}  // namespace dp3
