#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_ids.hpp"
#include "surface/control_surface.hpp"
#include "system/program_config.hpp"
#include "window_logic/keyer_commands.hpp"

namespace dp3 {

inline constexpr const char* kMainCaption = "Ditpulse 3 Tools Utility " DP3_VERSION;
inline constexpr int kTimerPeriodMs = 250;
inline constexpr int kStatusTicks = 12;  // the operation status stays about 3 s

// What the window does when the operator asks to close it.
enum class ExitStep { Close, SaveFirst, Stay };

// The main window's behaviour over its control surface: set-up, locking,
// users and banks, mode controls, the status tick and the keyer commands.
// The front end calls one of these per operator action.
class MainWindow {
 public:
  MainWindow(ControlSurface& ui, SettingsImage& image, KeyerInfo& keyer, ProgramConfig& config);

  int activeUser() const { return activeUser_; }  // 1 or 2
  int activeBank() const { return activeBank_; }  // 1 or 2
  bool busyFlag() const { return busy_; }
  int statusCountdown() const { return statusCountdown_; }

  // Radios, bank shown, port label, the start-up lock and the three lists.
  void setUp();

  void lockControls();
  void unlockControls();
  void startupLock();

  // A keyer command in three steps, so the front end can run the middle one
  // off the window thread. begin locks the buttons and closes the port; it is
  // false (and unlocks again) while another command runs.
  bool beginKeyerCommand(Link& link);
  // keyerHoldsForm: what runKeyerCommand answered.
  void endKeyerCommand(bool keyerHoldsForm = false);
  // All three steps on the calling thread.
  void keyerCommand(KeyerCommand command, Link& link);

  // Every 250 ms: the bytes left for messages and the status clear.
  void onTimer();

  void onCheckBox(int id);
  void onListSelection(int id);
  void onBank(int bank);
  // False when the form refused a value; the current user then stays.
  bool onUser(int user);
  void onResetDefaults();

  // After the open dialog: load, then show the image again.
  bool onReadConfigFile(const std::filesystem::path& path);
  // Before the save dialog: form and messages into the image; false after
  // the form's message (no dialog then).
  bool prepareWriteConfigFile();
  // After the save dialog.
  bool onWriteConfigFile(const std::filesystem::path& path);

  void showPort();
  // Before the window closes: with edits that no file or keyer holds, asks
  // whether to save them first (SaveFirst: the front end runs Write Config
  // File and closes only when that saved).
  ExitStep confirmExit();
  void onExit(Link& link);

  // The form or the image differs from what was last read, loaded, saved or written.
  bool unsavedEdits() const;

 private:
  void showUserRadios();
  // What the form and the image hold now counts as kept.
  void markKept();
  std::vector<std::string> boxTexts() const;
  static std::optional<SettingsImage> storedForm(const std::vector<std::string>& boxes,
                                                 SettingsImage image, int user);

  ControlSurface& ui_;
  SettingsImage& image_;
  KeyerInfo& keyer_;
  ProgramConfig& config_;
  int activeUser_ = 1;
  int activeBank_ = 1;
  bool busy_ = false;
  int statusCountdown_ = 0;
  SettingsImage keptImage_{};
  std::vector<std::string> keptBoxes_;
  std::optional<SettingsImage> keptStored_;
};

}  // namespace dp3
