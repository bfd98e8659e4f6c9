// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <filesystem>
#include <string>

#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "settings/backups.hpp"
#include "settings/settings_image.hpp"
#include "system/file_result.hpp"

namespace dp3 {

// A copy of the keyer's settings kept on disk, or why none could be.
struct BackupResult {
  enum class Kind {
    None,         // no backup was due
    Kept,         // file holds the settings
    AlreadyHeld,  // this run already holds a copy of what the keyer holds
    ReadFailed,   // the keyer did not send its settings for the copy
    SaveFailed,   // the copy could not be written: saved says why
  };
  Kind kind = Kind::None;
  std::filesystem::path file = {};
  FileResult saved = {};

  bool failed() const { return kind == Kind::ReadFailed || kind == Kind::SaveFailed; }
};

// "LARK" and "31.12" for the keyer the interface test identified.
BackupLabel backupLabelOf(const KeyerInfo& keyer);

// Keeps settings just read from the keyer (a Read, or the read-back after a
// write) as a dated backup in backupFolder(), and marks the keyer's settings
// as backed up for this run (keyer.backupFile names the file).
BackupResult keepBackup(KeyerInfo& keyer, const SettingsImage& image);

// Before the keyer's settings are changed (Write, upload): unless this run
// already holds a backup of what the keyer holds, reads both blocks and keeps
// them. When it fails nothing may be sent. Afterwards the keyer counts as
// changed until read again.
BackupResult backUpBeforeChange(Link& link, KeyerInfo& keyer);

// Both settings blocks from the keyer into image; false unless all 300 bytes came.
bool readBlocks(Link& link, SettingsImage& image);

}  // namespace dp3
