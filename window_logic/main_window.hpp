// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "link/port_check.hpp"
#include "link/port_list.hpp"
#include "link/port_probe.hpp"
#include "link/trace_link.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_ids.hpp"
#include "surface/control_surface.hpp"
#include "surface/forwarding_surface.hpp"
#include "system/program_config.hpp"
#include "window_logic/about_window.hpp"
#include "window_logic/keyer_commands.hpp"
#include "window_logic/window_face.hpp"

namespace dp3 {

inline constexpr const char* kMainCaption = "Ditpulse 3 Tools Utility " DP3_VERSION;
inline constexpr int kTimerPeriodMs = 250;
inline constexpr int kStatusTicks = 12;  // the operation status stays about 3 s

// The line to a keyer port; the window makes one afresh when the port changes
// or a trace starts or stops.
using LinkFactory = std::function<std::unique_ptr<Link>(const std::string& port)>;

// What the window does when the operator asks to close it.
enum class ExitStep { Close, SaveFirst, Stay };

// The main window (dialog 1001) under any face: set-up, locking, users and
// banks, mode controls, the status tick, the keyer commands off the window
// thread, the other windows, settings files, the close flow, message sound,
// the trace and what the window keeps between runs. The face forwards every
// event and does what only it can (WindowFace).
class MainWindow : public WindowLogic {
 public:
  MainWindow(ControlSurface& ui, WindowFace& face, ProgramConfig& config, LinkFactory makeLink);

  int activeUser() const { return activeUser_; }  // 1 or 2
  int activeBank() const { return activeBank_; }  // 1 or 2
  bool busyFlag() const { return busy_; }
  int statusCountdown() const { return statusCountdown_; }
  SettingsImage& image() { return image_; }
  KeyerInfo& keyer() { return keyer_; }
  AboutState& about() { return about_; }
  Link& link() { return *link_; }
  ProgramConfig& config() { return config_; }

  // Devices the port window offers besides those present (the simulated
  // keyer); they are reached through the window's own link factory.
  void setExtraPorts(std::vector<SerialDevice> ports) { extraPorts_ = std::move(ports); }
  // The devices the port window lists: those present, then the extra ones.
  std::vector<SerialDevice> portDevices() const;
  // How Find Keyer reaches each port: one after another where the face has no threads.
  ProbeOptions probeOptions() const;
  // Where a port that did not open is looked into (tests stand in for the system).
  void setPortFactsSource(std::function<PortFacts(const std::string&)> gather) {
    gatherFacts_ = std::move(gather);
  }

  // Radios, bank shown, port label, the start-up lock, the three lists, and
  // the place and folders kept from the last run.
  void onOpen() override;
  // Once up, the window's frame too stays on the screen.
  void onShown() override;
  // Every button and check box; none while a keyer command runs (Exit then
  // closes the window once it has ended).
  void onButton(int id) override;
  void onListSelection(int id) override;
  // The fourteen text boxes take only what the keyer can send, within its budget.
  bool onTypedCharacter(int id, unsigned character) override;
  // The close box, as Exit.
  void onClose() override;
  // Escape would end a dialog; this window stays until Exit or its close box.
  void onEscape() override {}
  int timerPeriodMs() const override { return kTimerPeriodMs; }
  // Every 250 ms: the bytes left for messages, the status clear, the message times.
  void onTimer() override;
  void onSoundEnded() override;

  // Test, Read or Write as if its button had been pressed: the keyer work runs
  // off the window thread while the window holds its input.
  void startKeyerCommand(KeyerCommand command);

  void lockControls();
  void unlockControls();
  void startupLock();

  // With edits that no file or keyer holds, asks whether to save them first.
  ExitStep confirmExit();
  // The form or the image differs from what was last read, loaded, saved or written.
  bool unsavedEdits() const;

 private:
  // The surface a keyer command talks to from its worker: each call runs on
  // the window thread; the focus it asks for (the box a refused value came
  // from) is given once the command has ended and the form takes input again.
  class CommandSurface : public ForwardingSurface {
   public:
    using ForwardingSurface::ForwardingSurface;
    void focusControl(int id) override { focus = id; }
    int focus = -1;
  };

  bool beginKeyerCommand();
  void endKeyerCommand();
  bool holdsSettings() const;
  void onCheckBox(int id);
  void onBank(int bank);
  bool onUser(int user);
  void showUserRadios();
  void onResetDefaults();
  void readConfigFile();
  // True when the settings went to a file.
  bool writeConfigFile();
  void showPort();
  void setComPort();
  void firmwareUpdate();
  void openAbout();
  void openRtty();
  // Exit and the close box: asks about unsaved edits (and saves them when
  // told to), closes the port, keeps the window's memory and ends it.
  void close();
  bool mayClose();
  void play(int playId);
  void stopSound();
  void showPlayState();
  // A link for the configured port, traced while the About window's Trace box is set.
  std::unique_ptr<Link> newLink();
  void startTrace();
  void restoreWindowMemory();
  void keepWindowMemory();
  // What the form and the image hold now counts as kept.
  void markKept();
  std::vector<std::string> boxTexts() const;
  static std::optional<SettingsImage> storedForm(const std::vector<std::string>& boxes,
                                                 SettingsImage image, int user);

  ControlSurface& ui_;
  WindowFace& face_;
  ProgramConfig& config_;
  LinkFactory makeLink_;
  CommandSurface commandUi_;
  std::unique_ptr<Link> link_;
  std::shared_ptr<TraceSink> trace_;
  SettingsImage image_{};
  KeyerInfo keyer_;
  AboutState about_;
  int activeUser_ = 1;
  int activeBank_ = 1;
  bool busy_ = false;
  int statusCountdown_ = 0;
  int commandButton_ = id::kTestDp;
  CommandEnd commandEnd_;  // written by the worker, read once it has ended
  bool closeRequested_ = false;
  bool playing_ = false;
  std::vector<SerialDevice> extraPorts_;
  std::function<PortFacts(const std::string&)> gatherFacts_ = gatherPortFacts;
  std::string lastPortAdvice_;
  std::map<std::string, std::string> folders_;  // each file dialog's last folder
  SettingsImage keptImage_{};
  std::vector<std::string> keptBoxes_;
  std::optional<SettingsImage> keptStored_;
};

}  // namespace dp3
