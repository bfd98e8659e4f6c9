// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <filesystem>
#include <string>

namespace dp3 {

// The folder that holds a user's program settings (the dp3tools folder goes
// inside it), or empty where the system has no such place of its own and the
// caller's rules apply.
std::filesystem::path userSettingsFolder();

// Where the backups of keyer reads live: $XDG_DATA_HOME/dp3tools/backups
// (~/.local/share/... on Linux, %LOCALAPPDATA%\... on Windows); empty when no
// absolute folder is named.
std::filesystem::path backupFolder();

// The name (and on Windows the version) of the system the program runs on;
// empty when the system does not say.
std::string operatingSystemName();

// Where the operator finds the guide: the installed README on Linux, the
// README.txt beside the program on Windows (the zip puts it there).
std::string guideFile();

}  // namespace dp3
