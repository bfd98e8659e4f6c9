// dp3 set: LABEL=VALUE edits made as the operator would make them in the
// windows, then the window's own "Write Config File" (form, messages, file),
// so every check and refusal text is the window's.
#include <algorithm>
#include <cctype>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/settings_cli.hpp"
#include "settings/messages.hpp"
#include "settings/mode_controls.hpp"
#include "settings/rtty.hpp"
#include "settings/settings_file.hpp"
#include "settings/settings_form.hpp"
#include "settings/settings_lookup.hpp"

namespace dp3::cli {

namespace {

std::optional<bool> parseSwitch(std::string value) {
  std::transform(value.begin(), value.end(), value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (value == "on" || value == "1" || value == "true" || value == "yes") return true;
  if (value == "off" || value == "0" || value == "false" || value == "no") return false;
  return std::nullopt;
}

std::optional<int> parseEntry(const ListField& list, std::string_view value) {
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const std::string_view entry = list.entries[i];
    if (std::equal(entry.begin(), entry.end(), value.begin(), value.end(), [](char x, char y) {
          return std::tolower(static_cast<unsigned char>(x)) ==
                 std::tolower(static_cast<unsigned char>(y));
        }))
      return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string entryChoices(const ListField& list) {
  std::string text;
  for (std::string_view entry : list.entries)
    text += (text.empty() ? "\"" : ", \"") + std::string(entry) + "\"";
  return text;
}

bool isNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Applies one LABEL=VALUE edit to the windows. Returns an exit code:
// kExitDone, kExitUsage for an unknown label, kExitRefused for a value no
// control can take.
int applyEdit(SettingsWindows& w, SettingsImage& image, int user, const std::string& edit,
              bool& rttyEdited) {
  const auto eq = edit.find('=');
  if (eq == std::string::npos) {
    std::cerr << "dp3 set: \"" << edit << "\" is not LABEL=VALUE\n";
    return kExitUsage;
  }
  const std::string label = edit.substr(0, eq);
  const std::string value = edit.substr(eq + 1);
  const Setting* setting = findSetting(label, user);
  if (setting == nullptr) {
    std::cerr << "dp3 set: no field \"" << label << "\"; the fields are:" << settingLabels()
              << '\n';
    return kExitUsage;
  }
  const bool rtty = setting->window == SettingWindow::Rtty;
  ConsoleSurface& ui = rtty ? w.rtty : w.main;
  switch (setting->kind) {
    case SettingKind::Number:
      if (!isNumber(value)) {
        std::cerr << setting->label << ": \"" << value << "\" is not a number\n";
        return kExitRefused;
      }
      ui.setText(setting->control, value);
      break;
    case SettingKind::Text:
      ui.setText(setting->control, value);
      break;
    case SettingKind::Check: {
      const auto on = parseSwitch(value);
      if (!on) {
        std::cerr << setting->label << ": \"" << value << "\" is not on or off\n";
        return kExitRefused;
      }
      if (rtty) {
        ui.setChecked(setting->control, *on);
      } else if (ui.isChecked(setting->control) != *on) {
        // A click flips the bit; only click when the box is to change.
        ui.setChecked(setting->control, toggleModeBit(image, user, setting->control));
      }
      break;
    }
    case SettingKind::List: {
      const auto entry = parseEntry(*setting->list, value);
      if (!entry) {
        std::cerr << setting->label << ": \"" << value << "\" is none of "
                  << entryChoices(*setting->list) << '\n';
        return kExitRefused;
      }
      ui.selectEntry(setting->control, *entry);
      if (!rtty) selectModeListEntry(image, user, setting->control, *entry);
      break;
    }
  }
  rttyEdited = rttyEdited || rtty;
  return kExitDone;
}

}  // namespace

SettingsWindows::SettingsWindows(const SettingsImage& image, int user) {
  fillModeLists(main);
  showUserSettings(main, image, user);
  showMessages(main, image);
  openRttyWindow(rtty, image, user);
}

int runSet(const std::string& name, int user, const std::vector<std::string>& edits) {
  const std::filesystem::path path = settingsPath(name);
  SettingsImage image{};
  std::error_code error;
  if (std::filesystem::exists(path, error)) {
    if (!loadSettings(path, image)) return kExitFile;
  } else {
    resetSettingsImage(image);
  }

  SettingsWindows w(image, user);
  bool rttyEdited = false;
  for (const std::string& edit : edits) {
    if (const int code = applyEdit(w, image, user, edit, rttyEdited); code != kExitDone)
      return code;
  }
  if (rttyEdited) acceptRttyWindow(w.rtty, image, user);
  // The window's "Write Config File": the form, then the messages, then the file.
  if (!storeUserSettings(w.main, image, user) || !storeMessages(w.main, image)) {
    return kExitRefused;
  }
  return saveSettingsFile(w.main, image, path) ? kExitDone : kExitFile;
}

}  // namespace dp3::cli
