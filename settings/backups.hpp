// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/settings_image.hpp"
#include "system/file_result.hpp"
#include "system/platform.hpp"

namespace dp3 {

// Dated copies of every settings image read from a keyer, so the keyer's
// settings are never changed without a copy on disk. Each is an ordinary
// settings file named NUMBER_DATE_TIME_IC_VERSION.eep, e.g.
// 000201_2026-12-09_03-15-22.123_LARK_31.12.eep. The number counts up from
// the newest backup in the folder and decides which are newest, so a clock
// set back or a change of time zone cannot make a new backup look old.
// Backups named before they were numbered (DATE_TIME_IC_VERSION.eep) count
// as older than any numbered one.

inline constexpr std::size_t kBackupsKept = 200;

// The keyer a backup was read from.
struct BackupLabel {
  std::string ic;       // "LARK"; "" when unknown
  std::string version;  // "31.12"
};

// The dated part of a backup's name for one taken at time (local time).
std::string backupFileName(const BackupLabel& label, std::chrono::system_clock::time_point time);

// Writes image into folder (made when missing) as a new file under the next
// number, never replacing one (writeNewFile), holding the folder's lock
// (FileLock) so that each number is taken once, then keeps only the newest
// kBackupsKept, never the one just written. Done with the file written;
// NoPlace for an empty folder; Create when the folder cannot be made; else
// as the save.
FileResult saveBackup(
    const std::filesystem::path& folder, const SettingsImage& image, const BackupLabel& label,
    std::chrono::system_clock::time_point time = std::chrono::system_clock::now());

struct BackupEntry {
  std::filesystem::path file;
  std::string date;       // "2026-12-09 03:15:22"
  std::string ic;         // from the name
  std::string version;    // from the name
  std::string callsigns;  // the two users' callsigns from the file, "/" between them
};

// The backups in folder, newest first (other files are left out).
std::vector<BackupEntry> listBackups(const std::filesystem::path& folder);

// Removes all but the newest keep backups; returns how many were removed.
std::size_t pruneBackups(const std::filesystem::path& folder, std::size_t keep = kBackupsKept);

}  // namespace dp3
