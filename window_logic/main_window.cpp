#include "window_logic/main_window.hpp"

#include <algorithm>
#include <string>

#include "settings/mode_controls.hpp"
#include "settings/settings_fields.hpp"
#include "surface/map_surface.hpp"
#include "window_logic/keyer_commands.hpp"
#include "window_logic/messages_view.hpp"
#include "window_logic/port_window.hpp"
#include "window_logic/setting_controls.hpp"
#include "window_logic/settings_file_view.hpp"
#include "window_logic/settings_form_view.hpp"

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
  markKept();
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

void MainWindow::endKeyerCommand(bool keyerHoldsForm) {
  statusCountdown_ = kStatusTicks;
  busy_ = false;
  unlockControls();
  if (keyerHoldsForm) markKept();
}

void MainWindow::keyerCommand(KeyerCommand command, Link& link) {
  if (!beginKeyerCommand(link)) return;
  endKeyerCommand(runKeyerCommand(command, ui_, link, keyer_, image_, activeUser_));
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
                   [id](const BitField& bit) { return controlOf(bit.label) == id; })) {
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
  const std::string shownFile = ui_.text(id::kFileName);
  const bool loaded = loadSettingsFile(ui_, image_, path);
  showUserSettings(ui_, image_, activeUser_);
  showMessages(ui_, image_);
  // The file line names only a file the settings came from or went to.
  if (loaded) {
    markKept();
  } else {
    ui_.setText(id::kFileName, shownFile);
  }
  return loaded;
}

bool MainWindow::prepareWriteConfigFile() {
  if (!storeUserSettings(ui_, image_, activeUser_)) return false;
  return storeMessages(ui_, image_);
}

bool MainWindow::onWriteConfigFile(const std::filesystem::path& path) {
  const std::string shownFile = ui_.text(id::kFileName);
  const bool saved = saveSettingsFile(ui_, image_, path);
  if (saved) {
    markKept();
  } else {
    ui_.setText(id::kFileName, shownFile);
  }
  return saved;
}

void MainWindow::showPort() {
  ui_.setText(id::kComPortLabel, portLabelText(config_));
}

std::vector<std::string> MainWindow::boxTexts() const {
  std::vector<std::string> texts;
  for (const NumberField& field : kNumberFields) texts.push_back(ui_.text(controlOf(field.label)));
  for (const TextField& field : kTextFields) texts.push_back(ui_.text(controlOf(field.label)));
  return texts;
}

// The image as it would be with the boxes stored into it; nullopt when the
// form would refuse them. Judging edits by this copy lets a box typed over with
// what it held, or another user shown and back, count as no edit.
std::optional<SettingsImage> MainWindow::storedForm(const std::vector<std::string>& boxes,
                                                    SettingsImage image, int user) {
  MapSurface form;
  std::size_t i = 0;
  for (const NumberField& field : kNumberFields) form.setText(controlOf(field.label), boxes[i++]);
  for (const TextField& field : kTextFields) form.setText(controlOf(field.label), boxes[i++]);
  if (!storeUserSettings(form, image, user) || !storeMessages(form, image)) return std::nullopt;
  return image;
}

void MainWindow::markKept() {
  keptImage_ = image_;
  keptBoxes_ = boxTexts();
  keptStored_ = storedForm(keptBoxes_, image_, activeUser_);
}

bool MainWindow::unsavedEdits() const {
  const std::vector<std::string> boxes = boxTexts();
  if (image_ == keptImage_ && boxes == keptBoxes_) return false;
  const auto stored = storedForm(boxes, image_, activeUser_);
  return !stored || !keptStored_ || *stored != *keptStored_;
}

ExitStep MainWindow::confirmExit() {
  if (!unsavedEdits()) return ExitStep::Close;
  switch (
      ui_.ask("The settings have changed since they were last read, loaded or saved.\n"
              "Save them to a settings file before closing?",
              kMainCaption)) {
    case Answer::Yes:
      return ExitStep::SaveFirst;
    case Answer::No:
      return ExitStep::Close;
    case Answer::Cancel:
      break;
  }
  return ExitStep::Stay;
}

void MainWindow::onExit(Link& link) {
  lockControls();
  link.commClose();
}

}  // namespace dp3
