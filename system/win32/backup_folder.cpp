// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <cstdlib>

#include "system/platform.hpp"

namespace dp3 {

namespace fs = std::filesystem;

// XDG_DATA_HOME when it is an absolute path (a portable setup, the tests),
// else the user's local application data folder.
fs::path backupFolder() {
  for (const char* name : {"XDG_DATA_HOME", "LOCALAPPDATA"}) {
    const char* value = std::getenv(name);
    if (value && fs::path(value).is_absolute()) return fs::path(value) / "dp3tools" / "backups";
  }
  return {};
}

}  // namespace dp3
