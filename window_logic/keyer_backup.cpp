#include "window_logic/keyer_backup.hpp"

#include <cstdio>
#include <span>
#include <string>

#include "link/host_commands.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3 {

namespace {
constexpr const char* kCaption = "Error";
}

BackupLabel backupLabelOf(const KeyerInfo& keyer) {
  int revision = keyer.firmwareRevision;
  if (keyer.icVariant >= kVariantOrca && keyer.icVariant <= kVariantPika) {
    revision -= (keyer.icVariant - kVariantOrca) * 50;
  }
  char version[16];
  std::snprintf(version, sizeof version, "%d.%02d", keyer.firmwareVersion, revision);
  return {variantName(keyer.icVariant), version};
}

bool keepKeyerBackup(ControlSurface& ui, KeyerInfo& keyer, const SettingsImage& image) {
  const FileResult saved = saveBackup(backupFolder(), image, backupLabelOf(keyer));
  if (!saved.ok()) {
    ui.showMessage(
        "The keyer's settings could not be kept as a backup:\n" + backupResultText(saved),
        kCaption);
    return false;
  }
  keyer.settingsBackedUp = true;
  keyer.backupFile = saved.path.string();
  return true;
}

bool backUpBeforeChange(ControlSurface& ui, Link& link, KeyerInfo& keyer) {
  if (!keyer.settingsBackedUp) {
    SettingsImage current{};
    const bool read =
        readSettingsBlock(link, std::span(current).first<kSettingsBlockSize>()) &&
        readExtensionBlock(link,
                           std::span(current).subspan<kExtensionOffset, kExtensionBlockSize>());
    if (!read) {
      ui.showMessage("The keyer's settings could not be read for a backup; nothing was changed.",
                     kCaption);
      return false;
    }
    if (!keepKeyerBackup(ui, keyer, current)) return false;
  }
  keyer.settingsBackedUp = false;  // the keyer is about to hold something else
  return true;
}

}  // namespace dp3
