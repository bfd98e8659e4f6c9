#include "windows/keyer_commands.hpp"

#include <cstdio>
#include <span>

#include "link/host_commands.hpp"
#include "settings/messages.hpp"
#include "settings/settings_form.hpp"
#include "surface/control_ids.hpp"
#include "windows/keyer_backup.hpp"

namespace dp3 {

std::string voltsText(std::uint8_t reply) {
  if (reply == 0) return "-.-- Volts";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f Volts", 26214.4 / reply / 100);
  return text;
}

int testCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer) {
  for (int field : {id::kOperationStatus, id::kVolts, id::kPotValue, id::kPushButtons}) {
    ui.setText(field, "");
  }
  const int result = testInterface(ui, link, keyer);
  if (result < 0) {
    ui.setText(id::kOperationStatus, kStatusError);
    return result;
  }
  if (result == kVariantNoFirmware) {
    ui.setText(id::kOperationStatus, kStatusNoFirmware);
    return result;
  }
  ui.setText(id::kOperationStatus, kStatusOk);
  ui.setText(id::kPotValue, "PotValue: " + std::to_string(getPotValue(link)));
  if (keyer.icVariant != kVariantPika) {
    ui.setText(id::kPushButtons, "PB:" + std::to_string(getPushButtons(link)));
  }
  ui.setText(id::kVolts, voltsText(getSupplyVoltage(link)));
  return result;
}

bool readCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image) {
  if (testInterface(ui, link, keyer) < 0) {
    ui.setText(id::kOperationStatus, kStatusError);
    return false;
  }
  ui.setText(id::kOperationStatus, kStatusReading);
  SettingsImage scratch = image;
  const bool complete =
      readSettingsBlock(link, std::span(scratch).first<kSettingsBlockSize>()) &&
      readExtensionBlock(link, std::span(scratch).subspan<kExtensionOffset, kExtensionBlockSize>());
  if (!complete) {
    ui.setText(id::kOperationStatus, kStatusReadFailed);
    return false;
  }
  image = scratch;
  keepKeyerBackup(ui, keyer, image);
  ui.setText(id::kOperationStatus, kStatusReadDone);
  return true;
}

bool writeCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image,
                  int user) {
  if (testInterface(ui, link, keyer) < 0) {
    ui.setText(id::kOperationStatus, kStatusError);
    return false;
  }
  if (!storeUserSettings(ui, image, user) || !storeMessages(ui, image)) return false;
  if (!backUpBeforeChange(ui, link, keyer)) {
    ui.setText(id::kOperationStatus, kStatusWriteFailed);
    return false;
  }
  ui.setText(id::kOperationStatus, kStatusWriting);
  const bool sent =
      writeExtensionBlock(
          link,
          std::span<const std::uint8_t>(image).subspan<kExtensionOffset, kExtensionBlockSize>()) &&
      writeSettingsBlock(link, std::span<const std::uint8_t>(image).first<kSettingsBlockSize>());
  // The keyer's store time starts when the last byte has left the port, and
  // a keyer that hung up meanwhile has stored nothing we can vouch for.
  if (!sent || !link.drain()) {
    ui.setText(id::kOperationStatus, kStatusWriteFailed);
    return false;
  }
  link.pause(kWriteSettleTime);
  if (!link.drain()) {
    ui.setText(id::kOperationStatus, kStatusWriteFailed);
    return false;
  }
  ui.setText(id::kOperationStatus, kStatusWriteDone);
  return true;
}

}  // namespace dp3
