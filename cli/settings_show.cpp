// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// dp3 show and dp3 diff: settings files as the windows show them, through the
// settings model, in text or JSON.
#include <iostream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "cli/message_times.hpp"
#include "cli/settings_cli.hpp"
#include "settings/settings_diff.hpp"
#include "settings/settings_model.hpp"

namespace dp3::cli {

namespace {

nlohmann::ordered_json jsonOf(const SettingValue& value) {
  if (const auto* number = std::get_if<unsigned>(&value)) return *number;
  if (const auto* on = std::get_if<bool>(&value)) return *on;
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return nullptr;
}

// Everything the windows show for user: "LABEL: VALUE" lines in the windows'
// order, or one JSON object keyed by the same labels.
void printSettings(std::ostream& out, const SettingsImage& image, int user, bool json) {
  if (json) {
    nlohmann::ordered_json object;
    object["User"] = user;
    for (const Setting& setting : allSettings()) {
      object[std::string(setting.label)] = jsonOf(settingValue(setting, image, user));
    }
    object["Msg Bytes Left"] = messageBytesLeft(image);
    addMessageTimes(object, image, user);
    out << object.dump(2) << '\n';
    return;
  }
  out << "User: " << user << '\n';
  for (const Setting& setting : allSettings()) {
    out << setting.label << ": " << settingText(settingValue(setting, image, user)) << '\n';
  }
  out << "Msg Bytes Left: " << messageBytesLeft(image) << '\n';
  printMessageTimes(out, image, user);
}

std::string quoted(const Setting& setting, const SettingValue& value) {
  const std::string text = settingText(value);
  return setting.kind == SettingKind::Text ? "\"" + text + "\"" : text;
}

}  // namespace

int runShow(const std::string& name, int user, bool json) {
  SettingsImage image{};
  if (!loadSettings(settingsPath(name), image)) return kExitFile;
  printSettings(std::cout, image, user, json);
  return kExitDone;
}

int runDiff(const std::string& nameA, const std::string& nameB) {
  SettingsImage a{};
  SettingsImage b{};
  if (!loadSettings(settingsPath(nameA), a) || !loadSettings(settingsPath(nameB), b))
    return kExitFile;
  const SettingsDiff diff = diffSettings(a, b);
  for (const SettingDifference& d : diff.settings) {
    std::cout << (d.user != 0 ? "User " + std::to_string(d.user) + " " : "") << d.setting->label
              << ": " << quoted(*d.setting, d.before) << " -> " << quoted(*d.setting, d.after)
              << '\n';
  }
  if (!diff.otherBytes.empty()) {
    std::cout << "Bytes no field shows differ at image offsets:";
    for (std::size_t offset : diff.otherBytes) std::cout << ' ' << offset;
    std::cout << '\n';
  }
  return diff.empty() ? kExitDone : 1;
}

}  // namespace dp3::cli
