// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <cstdlib>

#include "system/platform.hpp"

namespace dp3 {

namespace fs = std::filesystem;

fs::path backupFolder() {
  fs::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
    base = fs::path(home) / ".local" / "share";
  } else {
    return {};
  }
  return base / "dp3tools" / "backups";
}

}  // namespace dp3
