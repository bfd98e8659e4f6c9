// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/keyer_backup.hpp"

#include <cstdio>
#include <span>

#include "link/host_commands.hpp"

namespace dp3 {

BackupLabel backupLabelOf(const KeyerInfo& keyer) {
  int revision = keyer.firmwareRevision;
  if (const KeyerVariant* variant = findVariant(keyer.icVariant)) revision -= variant->bandStart;
  char version[16];
  std::snprintf(version, sizeof version, "%d.%02d", keyer.firmwareVersion, revision);
  return {variantName(keyer.icVariant), version};
}

BackupResult keepBackup(KeyerInfo& keyer, const SettingsImage& image) {
  const FileResult saved = saveBackup(backupFolder(), image, backupLabelOf(keyer));
  if (!saved.ok()) return {.kind = BackupResult::Kind::SaveFailed, .saved = saved};
  keyer.settingsBackedUp = true;
  keyer.backupFile = saved.path.string();
  return {.kind = BackupResult::Kind::Kept, .file = saved.path};
}

BackupResult backUpBeforeChange(Link& link, KeyerInfo& keyer) {
  BackupResult result{.kind = BackupResult::Kind::AlreadyHeld, .file = keyer.backupFile};
  if (!keyer.settingsBackedUp) {
    SettingsImage current{};
    if (!readBlocks(link, current)) return {.kind = BackupResult::Kind::ReadFailed};
    result = keepBackup(keyer, current);
    if (result.failed()) return result;
  }
  keyer.settingsBackedUp = false;  // the keyer is about to hold something else
  return result;
}

bool readBlocks(Link& link, SettingsImage& image) {
  return readSettingsBlock(link, std::span(image).first<kSettingsBlockSize>()) &&
         readExtensionBlock(link,
                            std::span(image).subspan<kExtensionOffset, kExtensionBlockSize>());
}

}  // namespace dp3
