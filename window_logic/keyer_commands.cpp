// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/keyer_commands.hpp"

#include "surface/control_ids.hpp"
#include "window_logic/messages_view.hpp"
#include "window_logic/settings_form_view.hpp"

namespace dp3 {

namespace {

void showInterfaceTest(ControlSurface& ui, const InterfaceTest& test) {
  ui.setText(id::kInterfaceStatus, interfaceStatusText(test));
  // A keyer that did not identify itself is no longer the one the line named.
  if (test.kind != InterfaceTest::Kind::Firmware) {
    ui.setText(id::kIcLine, kIcUnknownText);
  } else if (const std::string ic = icLineText(test); !ic.empty()) {
    ui.setText(id::kIcLine, ic);
  }
}

// The texts of a Read or Write as it goes: the test's, then what it does.
OnKeyerStep showSteps(ControlSurface& ui) {
  return [&ui](KeyerStep step, const InterfaceTest& test) {
    switch (step) {
      case KeyerStep::Tested:
        showInterfaceTest(ui, test);
        return;
      case KeyerStep::Reading:
        ui.setText(id::kOperationStatus, kStatusReading);
        return;
      case KeyerStep::Writing:
        ui.setText(id::kOperationStatus, kStatusWriting);
        return;
    }
  };
}

void showBackupFailure(ControlSurface& ui, const BackupResult& backup) {
  if (backup.failed()) ui.showMessage(backupFailureText(backup), kBackupCaption);
}

// A keyer that cannot hold settings is told why, after the status.
void showRefusal(ControlSurface& ui, const InterfaceTest& test) {
  if (const std::string refusal = settingsRefusal(test); !refusal.empty()) {
    ui.showMessage(refusal, "Error");
  }
}

// ">Write Failed" and ">Verify Failed" stay in view until the next command.
bool writeFailed(WriteOutcome outcome) {
  switch (outcome) {
    case WriteOutcome::BackupFailed:
    case WriteOutcome::WriteFailed:
    case WriteOutcome::ReadBackFailed:
    case WriteOutcome::VerifyFailed:
      return true;
    default:
      return false;
  }
}

}  // namespace

KeyerTest testCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer) {
  for (int field : {id::kOperationStatus, id::kVolts, id::kPotValue, id::kPushButtons}) {
    ui.setText(field, "");
  }
  ui.setText(id::kInterfaceStatus, kTestingText);
  const KeyerTest result = testKeyer(link, keyer);
  showInterfaceTest(ui, result.test);
  ui.setText(id::kOperationStatus, testStatusText(result.test));
  ui.setText(id::kPotValue, potValueText(result.pot));
  ui.setText(id::kPushButtons, pushButtonsText(result.buttons));
  ui.setText(id::kVolts, voltsText(result.supply));
  return result;
}

ReadResult readCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image) {
  ui.setText(id::kInterfaceStatus, kTestingText);
  const ReadResult result = readKeyer(link, keyer, image, showSteps(ui));
  showBackupFailure(ui, result.backup);
  ui.setText(id::kOperationStatus, readStatusText(result));
  if (result.outcome == ReadOutcome::NeedsFirmware) showRefusal(ui, result.test);
  return result;
}

WriteResult writeCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image,
                         int user, bool verify) {
  ui.setText(id::kInterfaceStatus, kTestingText);
  WriteOptions options;
  options.verify = verify;
  options.onStep = showSteps(ui);
  options.prepare = [&ui, user](SettingsImage& form) {
    return storeUserSettings(ui, form, user) && storeMessages(ui, form);
  };
  const WriteResult result = writeKeyer(link, keyer, image, options);
  if (result.backup.failed()) ui.showMessage(backupBeforeChangeText(result.backup), kBackupCaption);
  showBackupFailure(ui, result.readBack);
  if (const std::string status = writeStatusText(result); !status.empty()) {
    ui.setText(id::kOperationStatus, status);
  }
  if (result.outcome == WriteOutcome::NeedsFirmware) showRefusal(ui, result.test);
  if (const Notice failure = writeFailureNotice(result); !failure.text.empty()) {
    ui.showMessage(failure.text, failure.caption);
  }
  return result;
}

CommandEnd runKeyerCommand(KeyerCommand command, ControlSurface& ui, Link& link, KeyerInfo& keyer,
                           SettingsImage& image, int user) {
  switch (command) {
    case KeyerCommand::Test:
      testCommand(ui, link, keyer);
      return {};
    case KeyerCommand::Read: {
      const ReadOutcome outcome = readCommand(ui, link, keyer, image).outcome;
      if (outcome != ReadOutcome::Done) return {.statusStays = outcome == ReadOutcome::ReadFailed};
      showUserSettings(ui, image, user);
      showMessages(ui, image);
      return {.keptForm = true};
    }
    case KeyerCommand::Write: {
      const WriteOutcome outcome = writeCommand(ui, link, keyer, image, user, true).outcome;
      return {.keptForm = outcome == WriteOutcome::Done, .statusStays = writeFailed(outcome)};
    }
  }
  return {};
}

}  // namespace dp3
