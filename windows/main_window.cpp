#include "windows/main_window.hpp"

#include <algorithm>
#include <string>

#include "settings/messages.hpp"
#include "settings/mode_controls.hpp"
#include "settings/settings_fields.hpp"
#include "settings/settings_file.hpp"
#include "settings/settings_form.hpp"
#include "windows/keyer_commands.hpp"
#include "windows/port_window.hpp"

namespace dp3 {

MainWindow::MainWindow(ControlSurface& ui, SettingsImage& image, KeyerInfo& keyer,
                       ProgramConfig& config)
    : ui_(ui), image_(image), keyer_(keyer), config_(config) {}

void MainWindow::setUp() {
  ui_.setChecked(id::kBank1, true);
  ui_.setChecked(id::kBank2, false);
  activeBank_ = 1;
  ui_.setChecked(id::kUser1, true);
  ui_.setChecked(id::kUser2, false);
  activeUser_ = 1;
  showMessageBank(ui_, 1);
  showPort();
  startupLock();
  fillModeLists(ui_);
}

void MainWindow::lockControls() {
  for (int control : {id::kTestDp, id::kWriteDp, id::kReadDp, id::kBank1, id::kBank2, id::kUser1,
                      id::kUser2, id::kSetComPort, id::kFwUpdate, id::kRtty}) {
    ui_.setEnabled(control, false);
  }
  ui_.setEnabled(id::kReadConfigFile, true);
  ui_.setEnabled(id::kWriteConfigFile, true);
}

void MainWindow::unlockControls() {
  for (int control :
       {id::kTestDp, id::kSetComPort, id::kBank1, id::kBank2, id::kUser1, id::kUser2}) {
    ui_.setEnabled(control, true);
  }
  if (keyer_.firmwareVersion >= kOldestSupportedVersion || keyer_.bootloaderOnly) {
    ui_.setEnabled(id::kFwUpdate, true);
  }
  // Read and Write follow the last keyer that answered: one that runs only its
  // bootloader, or firmware too old to hold settings, turns them off again.
  const bool holdsSettings =
      !keyer_.bootloaderOnly && keyer_.firmwareVersion >= kOldestSettingsVersion;
  ui_.setEnabled(id::kReadDp, holdsSettings);
  ui_.setEnabled(id::kWriteDp, holdsSettings);
  if (holdsSettings) {
    for (int control : {id::kReadConfigFile, id::kWriteConfigFile, id::kRtty}) {
      ui_.setEnabled(control, true);
    }
  }
}

void MainWindow::startupLock() {
  for (int control : {id::kWriteDp, id::kReadDp, id::kFwUpdate, id::kReadConfigFile,
                      id::kWriteConfigFile, id::kRtty}) {
    ui_.setEnabled(control, false);
  }
}

bool MainWindow::beginKeyerCommand(Link& link) {
  lockControls();
  if (busy_) {
    unlockControls();
    return false;
  }
  busy_ = true;
  if (link.portOpenFlag()) link.commClose();
  return true;
}

void MainWindow::runKeyerCommand(KeyerCommand command, ControlSurface& ui, Link& link,
                                 KeyerInfo& keyer, SettingsImage& image, int user) {
  switch (command) {
    case KeyerCommand::Test:
      testCommand(ui, link, keyer);
      break;
    case KeyerCommand::Read:
      if (readCommand(ui, link, keyer, image) == CommandOutcome::Done) {
        showUserSettings(ui, image, user);
        showMessages(ui, image);
      }
      break;
    case KeyerCommand::Write:
      writeCommand(ui, link, keyer, image, user);
      break;
  }
}

void MainWindow::endKeyerCommand() {
  statusCountdown_ = kStatusTicks;
  busy_ = false;
  unlockControls();
}

void MainWindow::keyerCommand(KeyerCommand command, Link& link) {
  if (!beginKeyerCommand(link)) return;
  runKeyerCommand(command, ui_, link, keyer_, image_, activeUser_);
  endKeyerCommand();
}

void MainWindow::onTimer() {
  ui_.setText(id::kBytesLeft,
              "Msg Bytes Left: " + std::to_string(kMessageBudget - countMessageBytes(ui_)));
  // A running command owns the status line; its own countdown starts when it ends.
  if (statusCountdown_ > 0 && !busy_) {
    if (statusCountdown_ == 1) ui_.setText(id::kOperationStatus, "");
    --statusCountdown_;
  }
}

void MainWindow::onCheckBox(int id) {
  if (std::none_of(kModeBits.begin(), kModeBits.end(),
                   [id](const BitField& bit) { return bit.control == id; })) {
    return;
  }
  ui_.setChecked(id, toggleModeBit(image_, activeUser_, id));
}

void MainWindow::onListSelection(int id) {
  selectModeListEntry(image_, activeUser_, id, ui_.selectedEntry(id));
}

void MainWindow::onBank(int bank) {
  activeBank_ = bank == 2 ? 2 : 1;
  ui_.setChecked(id::kBank1, activeBank_ == 1);
  ui_.setChecked(id::kBank2, activeBank_ == 2);
  showMessageBank(ui_, activeBank_);
  markMessageBank(image_, activeBank_);
}

void MainWindow::showUserRadios() {
  ui_.setChecked(id::kUser1, activeUser_ == 1);
  ui_.setChecked(id::kUser2, activeUser_ == 2);
}

bool MainWindow::onUser(int user) {
  lockControls();
  const bool stored = storeUserSettings(ui_, image_, activeUser_);
  if (stored) {
    activeUser_ = user == 2 ? 2 : 1;
    showUserRadios();
    showUserSettings(ui_, image_, activeUser_);
    markActiveUser(image_, activeUser_);
  } else {
    showUserRadios();  // the click may have moved the radio; the user stays
  }
  unlockControls();
  return stored;
}

void MainWindow::onResetDefaults() {
  lockControls();
  resetSettingsImage(image_);
  showUserSettings(ui_, image_, activeUser_);
  unlockControls();
}

bool MainWindow::onReadConfigFile(const std::filesystem::path& path) {
  const bool loaded = loadSettingsFile(ui_, image_, path);
  showUserSettings(ui_, image_, activeUser_);
  showMessages(ui_, image_);
  return loaded;
}

bool MainWindow::prepareWriteConfigFile() {
  if (!storeUserSettings(ui_, image_, activeUser_)) return false;
  return storeMessages(ui_, image_);
}

bool MainWindow::onWriteConfigFile(const std::filesystem::path& path) {
  return saveSettingsFile(ui_, image_, path);
}

void MainWindow::showPort() {
  ui_.setText(id::kComPortLabel, portLabelText(config_));
}

void MainWindow::onExit(Link& link) {
  lockControls();
  link.commClose();
}

}  // namespace dp3
