// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "system/platform.hpp"

#include <sys/utsname.h>

#include <system_error>

#include "system/program_config.hpp"

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

std::string guideFile() {
#ifndef DP3_DOC_DIR
#define DP3_DOC_DIR "/usr/local/share/doc/dp3tools"
#endif
  // An installed program finds the guide under its own prefix (bin/../share),
  // wherever the package put it; one run from its build folder points where an
  // install would put it.
  if (const auto exe = executablePath(); !exe.empty()) {
    const auto guide = exe.parent_path().parent_path() / "share/doc/dp3tools/README.md";
    std::error_code error;
    if (std::filesystem::is_regular_file(guide, error)) return guide.string();
  }
  return DP3_DOC_DIR "/README.md";
}

}  // namespace dp3
