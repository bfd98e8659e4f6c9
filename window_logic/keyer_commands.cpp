#include "window_logic/keyer_commands.hpp"

#include <cstdio>
#include <span>

#include "link/host_commands.hpp"
#include "settings/settings_verify.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/keyer_backup.hpp"
#include "window_logic/messages_view.hpp"
#include "window_logic/settings_form_view.hpp"

namespace dp3 {

std::string voltsText(std::uint8_t reply) {
  if (reply == 0) return "-.-- Volts";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f Volts", 26214.4 / reply / 100);
  return text;
}

InterfaceTest testCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer) {
  for (int field : {id::kOperationStatus, id::kVolts, id::kPotValue, id::kPushButtons}) {
    ui.setText(field, "");
  }
  const InterfaceTest test = testInterface(ui, link, keyer);
  if (test.failed()) {
    ui.setText(id::kOperationStatus, kStatusError);
    return test;
  }
  if (test.bootloaderOnly()) {
    ui.setText(id::kOperationStatus, kStatusNoFirmware);
    return test;
  }
  ui.setText(id::kOperationStatus, kStatusOk);
  ui.setText(id::kPotValue, "PotValue: " + std::to_string(getPotValue(link)));
  if (keyer.icVariant != kVariantPika) {
    ui.setText(id::kPushButtons, "PB:" + std::to_string(getPushButtons(link)));
  }
  ui.setText(id::kVolts, voltsText(getSupplyVoltage(link)));
  return test;
}

std::string settingsRefusal(const InterfaceTest& test) {
  if (test.holdsSettings() || test.failed()) return {};
  if (test.bootloaderOnly()) {
    return "The keyer runs only its bootloader: it has no firmware and holds no settings. "
           "Program its firmware first (FW Update, or dp3 upload), then try again.";
  }
  return "The keyer's firmware version " + std::to_string(test.version) +
         " cannot hold these settings; version " + std::to_string(kOldestSettingsVersion) +
         " or later is needed. Update its firmware first (FW Update, or dp3 upload), then try "
         "again.";
}

namespace {

// The interface test before Read and Write: a failed test or a keyer that
// cannot hold settings ends the command here, with its status and text.
CommandOutcome checkSettingsKeyer(ControlSurface& ui, Link& link, KeyerInfo& keyer) {
  const InterfaceTest test = testInterface(ui, link, keyer);
  if (test.failed()) {
    ui.setText(id::kOperationStatus, kStatusError);
    return CommandOutcome::KeyerFailed;
  }
  if (const std::string refusal = settingsRefusal(test); !refusal.empty()) {
    ui.setText(id::kOperationStatus, test.bootloaderOnly() ? kStatusNoFirmware : kStatusError);
    ui.showMessage(refusal, "Error");
    return CommandOutcome::NeedsFirmware;
  }
  return CommandOutcome::Done;
}

}  // namespace

bool readBlocks(Link& link, SettingsImage& image) {
  return readSettingsBlock(link, std::span(image).first<kSettingsBlockSize>()) &&
         readExtensionBlock(link,
                            std::span(image).subspan<kExtensionOffset, kExtensionBlockSize>());
}

CommandOutcome readCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image) {
  if (const CommandOutcome check = checkSettingsKeyer(ui, link, keyer);
      check != CommandOutcome::Done) {
    return check;
  }
  ui.setText(id::kOperationStatus, kStatusReading);
  SettingsImage scratch = image;
  if (!readBlocks(link, scratch)) {
    ui.setText(id::kOperationStatus, kStatusReadFailed);
    return CommandOutcome::KeyerFailed;
  }
  image = scratch;
  keepKeyerBackup(ui, keyer, image);
  ui.setText(id::kOperationStatus, kStatusReadDone);
  return CommandOutcome::Done;
}

WriteResult writeCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image,
                         int user, bool verify) {
  if (const CommandOutcome check = checkSettingsKeyer(ui, link, keyer);
      check != CommandOutcome::Done) {
    return {check};
  }
  if (!storeUserSettings(ui, image, user) || !storeMessages(ui, image)) {
    return {CommandOutcome::FormRefused};
  }
  if (!backUpBeforeChange(ui, link, keyer)) {
    ui.setText(id::kOperationStatus, kStatusWriteFailed);
    return {CommandOutcome::KeyerFailed};
  }
  ui.setText(id::kOperationStatus, kStatusWriting);
  SettingsImage readBack{};
  WriteResult result = sendSettings(link, image, verify, &readBack);
  if (result.readBack) keepKeyerBackup(ui, keyer, readBack);
  ui.setText(id::kOperationStatus, result.outcome == CommandOutcome::Done ? kStatusWriteDone
                                   : result.outcome == CommandOutcome::VerifyFailed
                                       ? kStatusVerifyFailed
                                       : kStatusWriteFailed);
  return result;
}

bool runKeyerCommand(KeyerCommand command, ControlSurface& ui, Link& link, KeyerInfo& keyer,
                     SettingsImage& image, int user) {
  switch (command) {
    case KeyerCommand::Test:
      testCommand(ui, link, keyer);
      return false;
    case KeyerCommand::Read:
      if (readCommand(ui, link, keyer, image) != CommandOutcome::Done) return false;
      showUserSettings(ui, image, user);
      showMessages(ui, image);
      return true;
    case KeyerCommand::Write:
      return writeCommand(ui, link, keyer, image, user).outcome == CommandOutcome::Done;
  }
  return false;
}

WriteResult sendSettings(Link& link, const SettingsImage& image, bool verify,
                         SettingsImage* readBack) {
  const bool sent =
      writeExtensionBlock(
          link,
          std::span<const std::uint8_t>(image).subspan<kExtensionOffset, kExtensionBlockSize>()) &&
      writeSettingsBlock(link, std::span<const std::uint8_t>(image).first<kSettingsBlockSize>());
  // The keyer's store time starts when the last byte has left the port, and
  // a keyer that hung up meanwhile has stored nothing we can vouch for.
  if (!sent || !link.drain()) return {CommandOutcome::KeyerFailed};
  link.pause(kWriteSettleTime);
  if (!link.drain()) return {CommandOutcome::KeyerFailed};
  if (!verify) return {CommandOutcome::Done};
  SettingsImage got{};
  if (!readBlocks(link, got)) {
    return {CommandOutcome::VerifyFailed, {"the keyer did not send its settings back"}};
  }
  if (readBack) *readBack = got;
  WriteResult result{CommandOutcome::Done, differingFields(image, got), true};
  if (!result.differences.empty()) result.outcome = CommandOutcome::VerifyFailed;
  return result;
}

}  // namespace dp3
