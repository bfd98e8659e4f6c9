#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "settings/settings_fields.hpp"
#include "settings/settings_image.hpp"

namespace dp3 {

// Every setting by the label its window gives it, for the front ends that name
// settings rather than click them (dp3 show, set, diff and JSON).

enum class SettingKind { Number, Check, List, Text };
enum class SettingWindow { Main, Rtty };

// One setting: its row in the tables of settings_fields.hpp (the pointer its
// kind names is set), and where it lives.
struct Setting {
  std::string_view label;
  SettingKind kind = SettingKind::Number;
  SettingWindow window = SettingWindow::Main;
  int control = 0;
  const NumberField* number = nullptr;
  const BitField* bit = nullptr;
  const ListField* list = nullptr;
  std::size_t textIndex = 0;  // Text: page order, 0-13

  // Per user (the form, check boxes, lists, RTTY) rather than the shared page.
  bool perUser() const { return kind != SettingKind::Text; }
};

// Every setting in the windows' order: number boxes, the main window's lists
// and check boxes, the RTTY window's check boxes and lists, the fourteen texts.
std::span<const Setting> allSettings();

// The setting a window label names, in any letter case, or nullptr. The
// window's own "User Callsign /M" names the given user's callsign.
const Setting* findSetting(std::string_view label, int user);

// The labels findSetting takes, one per line, indented.
std::string settingLabels();

// What a setting shows for user: a number, a check, a list entry's text or a
// message text; nothing for an empty number box or a list with no entry.
using SettingValue = std::variant<std::monostate, unsigned, bool, std::string>;
SettingValue settingValue(const Setting& setting, const SettingsImage& image, int user);

// The value as one line of text: the number, "on"/"off", the entry, the text
// ("" for nothing).
std::string settingText(const SettingValue& value);

// What "Msg Bytes Left" shows for the texts of the page.
int messageBytesLeft(const SettingsImage& image);

}  // namespace dp3
