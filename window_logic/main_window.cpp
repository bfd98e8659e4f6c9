// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/main_window.hpp"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "link/serial_link.hpp"
#include "settings/mode_controls.hpp"
#include "settings/settings_fields.hpp"
#include "surface/map_surface.hpp"
#include "window_logic/keyer_commands.hpp"
#include "window_logic/message_sound.hpp"
#include "window_logic/messages_view.hpp"
#include "window_logic/port_window.hpp"
#include "window_logic/result_texts.hpp"
#include "window_logic/rtty_window.hpp"
#include "window_logic/setting_controls.hpp"
#include "window_logic/settings_file_view.hpp"
#include "window_logic/settings_form_view.hpp"
#include "window_logic/uploader_events.hpp"

namespace dp3 {

namespace {

// The file dialogs hand over UTF-8, on every system.
std::filesystem::path fromUtf8(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

}  // namespace

MainWindow::MainWindow(ControlSurface& ui, WindowFace& face, ProgramConfig& config,
                       LinkFactory makeLink)
    : ui_(ui),
      face_(face),
      config_(config),
      makeLink_(std::move(makeLink)),
      commandUi_(ui, [&face](const std::function<void()>& call) { face.runOnWindowThread(call); }) {
  link_ = newLink();
}

void MainWindow::onOpen() {
  ui_.setChecked(id::kBank1, true);
  ui_.setChecked(id::kBank2, false);
  activeBank_ = 1;
  activeUser_ = 1;
  showUserRadios();
  showMessageBank(ui_, 1);
  // The callsign place shows the current user's box, as the message places the bank's.
  ui_.setVisible(id::kCallsignUser1, true);
  ui_.setVisible(id::kCallsignUser2, false);
  showPort();
  startupLock();
  fillModeLists(ui_);
  markKept();
  showPlayState();
  restoreWindowMemory();
  onTimer();
}

void MainWindow::lockControls() {
  for (int control : {id::kTestDp, id::kWriteDp, id::kReadDp, id::kBank1, id::kBank2, id::kUser1,
                      id::kUser2, id::kSetComPort, id::kFwUpdate, id::kRtty}) {
    ui_.setEnabled(control, false);
  }
  ui_.setEnabled(id::kReadConfigFile, true);
  ui_.setEnabled(id::kWriteConfigFile, true);
}

// Read and Write follow the last keyer that answered: one that runs only its
// bootloader, or firmware too old to hold settings, turns them off again.
bool MainWindow::holdsSettings() const {
  return !keyer_.bootloaderOnly && keyer_.firmwareVersion >= kOldestSettingsVersion;
}

void MainWindow::unlockControls() {
  for (int control :
       {id::kTestDp, id::kSetComPort, id::kBank1, id::kBank2, id::kUser1, id::kUser2}) {
    ui_.setEnabled(control, true);
  }
  // A failed test forgets the keyer, and with it what needs one.
  ui_.setEnabled(id::kFwUpdate,
                 keyer_.firmwareVersion >= kOldestSupportedVersion || keyer_.bootloaderOnly);
  ui_.setEnabled(id::kReadDp, holdsSettings());
  ui_.setEnabled(id::kWriteDp, holdsSettings());
  if (holdsSettings()) {
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

void MainWindow::onButton(int id) {
  if (busy_) {
    // Commands wait; a close asked for meanwhile is done when this one ends.
    if (id == id::kExit) closeRequested_ = true;
    return;
  }
  if (std::any_of(kModeBits.begin(), kModeBits.end(),
                  [id](const BitField& bit) { return controlOf(bit.label) == id; })) {
    return onCheckBox(id);
  }
  switch (id) {
    case id::kBank1:
    case id::kBank2:
      return onBank(id == id::kBank1 ? 1 : 2);
    case id::kUser1:
    case id::kUser2:
      onUser(id == id::kUser1 ? 1 : 2);
      return;
    case id::kTestDp:
      return startKeyerCommand(KeyerCommand::Test);
    case id::kReadDp:
      return startKeyerCommand(KeyerCommand::Read);
    case id::kWriteDp:
      return startKeyerCommand(KeyerCommand::Write);
    case id::kFwUpdate:
      return firmwareUpdate();
    case id::kSetComPort:
      return setComPort();
    case id::kRtty:
      return openRtty();
    case id::kAbout:
      return openAbout();
    case id::kReadConfigFile:
      return readConfigFile();
    case id::kWriteConfigFile:
      writeConfigFile();
      return;
    case id::kResetDefaults:
      return onResetDefaults();
    case id::kExit:
      return close();
    case id::kStopPlay:
      return stopSound();
    default:
      return play(id);
  }
}

bool MainWindow::beginKeyerCommand() {
  lockControls();
  if (busy_) {
    unlockControls();
    return false;
  }
  busy_ = true;
  if (link_->portOpenFlag()) link_->commClose();
  return true;
}

void MainWindow::startKeyerCommand(KeyerCommand command) {
  if (!beginKeyerCommand()) return;
  commandButton_ = command == KeyerCommand::Test   ? id::kTestDp
                   : command == KeyerCommand::Read ? id::kReadDp
                                                   : id::kWriteDp;
  commandUi_.focus = -1;
  commandEnd_ = {};
  // What the last command left on the status line is over now.
  ui_.setText(id::kOperationStatus, "");
  face_.holdInput(true);
  face_.runOffWindowThread(
      [this, command, user = activeUser_] {
        commandEnd_ = runKeyerCommand(command, commandUi_, *link_, keyer_, image_, user);
      },
      [this] { endKeyerCommand(); });
}

void MainWindow::endKeyerCommand() {
  face_.holdInput(false);
  statusCountdown_ = commandEnd_.statusStays ? 0 : kStatusTicks;
  busy_ = false;
  unlockControls();
  if (commandEnd_.keptForm) markKept();
  // Looking into the system (every process's open files) takes a while: only
  // for a port that did not open.
  if (!link_->portOpenFlag()) {
    explainPortFailure(ui_, *link_, gatherFacts_(config_.portPath), lastPortAdvice_);
  }
  // Focus to the box a refused value came from, else back to the command's
  // button (Test DP when the keyer holds no settings to read or write).
  const bool buttonOn = commandButton_ == id::kTestDp || holdsSettings();
  ui_.focusControl(commandUi_.focus >= 0 ? commandUi_.focus
                   : buttonOn            ? commandButton_
                                         : id::kTestDp);
  if (std::exchange(closeRequested_, false)) close();
}

void MainWindow::onTimer() {
  ui_.setText(id::kBytesLeft,
              "Msg Bytes Left: " + std::to_string(kMessageBudget - countMessageBytes(ui_)));
  // A running command owns the status line; its own countdown starts when it ends.
  if (statusCountdown_ > 0 && !busy_) {
    if (statusCountdown_ == 1) ui_.setText(id::kOperationStatus, "");
    --statusCountdown_;
  }
  showMessageTimes(ui_, activeBank_, activeUser_);
}

void MainWindow::onCheckBox(int id) {
  if (std::none_of(kModeBits.begin(), kModeBits.end(),
                   [id](const BitField& bit) { return controlOf(bit.label) == id; })) {
    return;
  }
  ui_.setChecked(id, toggleModeBit(image_, activeUser_, id));
}

void MainWindow::onListSelection(int id) {
  if (busy_) return;
  selectModeListEntry(image_, activeUser_, id, ui_.selectedEntry(id));
}

bool MainWindow::onTypedCharacter(int id, unsigned character) {
  if (std::none_of(kTextFields.begin(), kTextFields.end(),
                   [id](const TextField& box) { return controlOf(box.label) == id; })) {
    return false;
  }
  // Enter breaks the line as the keyer does, with a carriage return.
  return messageKeyFilter(ui_, character == '\n' ? '\r' : character);
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
  // The click may have moved the radio already: the user in force shows
  // until the switch is done, so a refused switch never shows both.
  showUserRadios();
  lockControls();
  const bool stored = storeUserSettings(ui_, image_, activeUser_);
  if (stored) {
    activeUser_ = user == 2 ? 2 : 1;
    showUserRadios();
    showUserSettings(ui_, image_, activeUser_);
    markActiveUser(image_, activeUser_);
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

void MainWindow::readConfigFile() {
  const std::string path = chooseFile(face_, FileChoice::OpenSettings, folders_);
  if (path.empty()) return;  // cancelled: not even unstored edits change
  const std::string shownFile = ui_.text(id::kFileName);
  const bool loaded = loadSettingsFile(ui_, image_, fromUtf8(path));
  showUserSettings(ui_, image_, activeUser_);
  showMessages(ui_, image_);
  // The file line names only a file the settings came from or went to.
  if (loaded) {
    markKept();
  } else {
    ui_.setText(id::kFileName, shownFile);
  }
}

bool MainWindow::writeConfigFile() {
  // Form and messages into the image first; a refusal has shown its message
  // and opens no dialog.
  if (!storeUserSettings(ui_, image_, activeUser_) || !storeMessages(ui_, image_)) return false;
  const std::string path = chooseFile(face_, FileChoice::SaveSettings, folders_);
  if (path.empty()) return false;
  const std::string shownFile = ui_.text(id::kFileName);
  const bool saved = saveSettingsFile(ui_, image_, fromUtf8(path));
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

std::vector<SerialDevice> MainWindow::portDevices() const {
  std::vector<SerialDevice> devices = listSerialDevices();
  for (const SerialDevice& extra : extraPorts_) {
    if (std::none_of(devices.begin(), devices.end(),
                     [&](const SerialDevice& device) { return device.path == extra.path; })) {
      devices.push_back(extra);
    }
  }
  return devices;
}

ProbeOptions MainWindow::probeOptions() const {
  ProbeOptions probe;
  probe.oneAtATime = !face_.threadsAvailable();
  probe.makeLink = [this](const std::string& path,
                          std::chrono::milliseconds deadline) -> std::unique_ptr<Link> {
    if (std::any_of(extraPorts_.begin(), extraPorts_.end(),
                    [&](const SerialDevice& extra) { return extra.path == path; })) {
      return makeLink_(path);
    }
    auto serial = std::make_unique<SerialLink>(path);
    serial->setTimeouts(deadline, deadline);
    return serial;
  };
  return probe;
}

void MainWindow::setComPort() {
  if (link_->portOpenFlag()) link_->commClose();
  const std::string before = config_.portPath;
  face_.runWindow(id::kPortDialog, [this](ControlSurface& ui, WindowFace& face) {
    return std::make_unique<PortWindow>(
        ui, face, config_, [this] { return portDevices(); }, probeOptions());
  });
  if (config_.portPath != before) {
    link_ = newLink();
    keyer_.forgetBackup();
  }
  showPort();
}

// The uploader, then a Test of the keyer as if Test DP had been pressed.
void MainWindow::firmwareUpdate() {
  face_.runWindow(id::kUploaderDialog, [this](ControlSurface& ui, WindowFace& face) {
    return std::make_unique<UploaderEvents>(ui, face, *link_, keyer_, about_.verboseFlag, folders_);
  });
  startKeyerCommand(KeyerCommand::Test);
}

void MainWindow::openAbout() {
  const bool tracing = about_.traceOn;
  face_.runWindow(id::kAboutDialog, [this](ControlSurface& ui, WindowFace& face) {
    return std::make_unique<AboutWindow>(ui, face, about_,
                                         config_.configFilePath.parent_path().string());
  });
  if (about_.traceOn != tracing) startTrace();
}

void MainWindow::openRtty() {
  face_.runWindow(id::kRttyDialog, [this](ControlSurface& ui, WindowFace& face) {
    return std::make_unique<RttyWindow>(ui, face, image_, activeUser_);
  });
}

std::unique_ptr<Link> MainWindow::newLink() {
  auto link = makeLink_(config_.portPath);
  if (!trace_) return link;
  trace_->comment("port " + config_.portPath);
  return std::make_unique<TraceLink>(std::move(link), trace_);
}

// The About window's Trace box: every byte on the line from now on goes to
// its file, until the box is cleared.
void MainWindow::startTrace() {
  link_->commClose();
  link_.reset();
  trace_.reset();
  if (about_.traceOn) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(about_.traceFile).parent_path(),
                                        error);
    OpenedTrace opened = openTrace(fromUtf8(about_.traceFile));
    trace_ = std::move(opened.sink);
    if (!trace_) {
      about_.traceOn = false;
      ui_.showMessage(traceFailureText(opened.result), "Error");
    }
  }
  link_ = newLink();
}

// The box beside the Play button as it reads now, at the form's current values.
void MainWindow::play(int playId) {
  if (playedBox(playId, activeBank_, activeUser_) == 0) return;
  if (!face_.soundUnavailable().empty()) return;
  const KeyingSettings settings = formKeying(ui_);
  if (!playableSpeed(settings)) {
    ui_.showMessage("CurWpm must be between 5 and 99 to play a message", "Error");
    return;
  }
  const Keying keying = playKeying(ui_, playId, activeBank_, activeUser_);
  if (keying.empty()) return;
  playing_ = face_.playSound(std::make_unique<PcmRenderer>(keying, settings.toneHz));
  showPlayState();
}

void MainWindow::stopSound() {
  face_.stopSound();
  playing_ = false;
  showPlayState();
}

void MainWindow::onSoundEnded() {
  playing_ = false;
  showPlayState();
}

void MainWindow::showPlayState() {
  dp3::showPlayState(ui_, face_.soundUnavailable(), playing_);
}

// Where the window was and how big, and the file dialogs' folders, from the
// last run (the place as openingPlace decides).
void MainWindow::restoreWindowMemory() {
  if (config_.configFilePath.empty()) return;
  const WindowMemory memory = loadWindowMemory(windowMemoryPath(config_.configFilePath));
  folders_ = memory.folders;
  face_.placeWindow(
      openingPlace(memory, face_.scalePercent(), face_.windowRect(), face_.screenArea()));
}

void MainWindow::onShown() {
  const WindowRect now = face_.windowRect();
  const WindowRect placed = fitOnScreen(now, face_.screenArea());
  if (placed != now) face_.placeWindow(placed);
}

void MainWindow::keepWindowMemory() {
  if (config_.configFilePath.empty()) return;
  WindowMemory memory;
  memory.geometry = face_.windowRect();
  memory.scalePercent = face_.scalePercent();
  memory.folders = folders_;
  saveWindowMemory(windowMemoryPath(config_.configFilePath), memory);
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

bool MainWindow::mayClose() {
  switch (confirmExit()) {
    case ExitStep::Close:
      return true;
    case ExitStep::SaveFirst:
      return writeConfigFile();  // closes only once that saved
    case ExitStep::Stay:
      break;
  }
  return false;
}

void MainWindow::onClose() {
  close();
}

void MainWindow::close() {
  if (busy_) {
    closeRequested_ = true;
    return;
  }
  if (!mayClose()) return;
  lockControls();
  link_->commClose();
  if (playing_) stopSound();
  keepWindowMemory();
  face_.closeWindow();
}

}  // namespace dp3
