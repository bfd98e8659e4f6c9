#pragma once

#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "settings/backups.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"

namespace dp3 {

// "LARK" and "31.12" for the keyer the interface test identified.
BackupLabel backupLabelOf(const KeyerInfo& keyer);

// Keeps settings just read from the keyer (a Read, or the read-back after a
// write) as a dated backup in backupFolder(), and marks the keyer's settings
// as backed up for this run (keyer.backupFile names the file). A backup that cannot be written is
// reported on ui; returns whether it was kept.
bool keepKeyerBackup(ControlSurface& ui, KeyerInfo& keyer, const SettingsImage& image);

// Before the keyer's settings are changed (Write, upload): unless this run
// already holds a backup of what the keyer holds, reads both blocks and keeps
// them. False, reported on ui, when no backup could be made: then nothing
// may be sent. Afterwards the keyer counts as changed until read again.
bool backUpBeforeChange(ControlSurface& ui, Link& link, KeyerInfo& keyer);

}  // namespace dp3
