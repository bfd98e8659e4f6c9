#include "settings/settings_lookup.hpp"

#include <algorithm>
#include <array>
#include <cctype>

#include "settings/messages.hpp"
#include "settings/settings_form.hpp"
#include "surface/control_ids.hpp"

namespace dp3 {

namespace {

constexpr std::size_t kSettingCount = kNumberFields.size() + kModeLists.size() + kModeBits.size() +
                                      kRttyBits.size() + kRttyLists.size() + kTextFields.size();

constexpr std::array<Setting, kSettingCount> buildSettings() {
  std::array<Setting, kSettingCount> all{};
  std::size_t n = 0;
  for (const NumberField& f : kNumberFields) {
    all[n++] = {.label = f.label, .kind = SettingKind::Number, .control = f.control, .number = &f};
  }
  for (const ListField& l : kModeLists) {
    all[n++] = {.label = l.label, .kind = SettingKind::List, .control = l.control, .list = &l};
  }
  for (const BitField& b : kModeBits) {
    all[n++] = {.label = b.label, .kind = SettingKind::Check, .control = b.control, .bit = &b};
  }
  for (const BitField& b : kRttyBits) {
    all[n++] = {.label = b.label,
                .kind = SettingKind::Check,
                .window = SettingWindow::Rtty,
                .control = b.control,
                .bit = &b};
  }
  for (const ListField& l : kRttyLists) {
    all[n++] = {.label = l.label,
                .kind = SettingKind::List,
                .window = SettingWindow::Rtty,
                .control = l.control,
                .list = &l};
  }
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    all[n++] = {.label = kTextFields[i].label,
                .kind = SettingKind::Text,
                .control = kTextFields[i].control,
                .textIndex = i};
  }
  return all;
}

constexpr std::array<Setting, kSettingCount> kSettings = buildSettings();

bool sameLabel(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::span<const Setting> allSettings() {
  return kSettings;
}

const Setting* findSetting(std::string_view label, int user) {
  const bool callsign = sameLabel(label, kCallsignLabel);
  const int control = user == 2 ? id::kCallsignUser2 : id::kCallsignUser1;
  const auto it = std::find_if(kSettings.begin(), kSettings.end(), [&](const Setting& s) {
    return callsign ? s.control == control : sameLabel(s.label, label);
  });
  return it == kSettings.end() ? nullptr : &*it;
}

std::string settingLabels() {
  std::string text;
  for (const Setting& setting : kSettings) text += "\n  " + std::string(setting.label);
  return text + "\n  " + std::string(kCallsignLabel);
}

SettingValue settingValue(const Setting& setting, const SettingsImage& image, int user) {
  switch (setting.kind) {
    case SettingKind::Number:
      if (const auto number = numberValue(*setting.number, image, user)) return *number;
      return std::monostate{};
    case SettingKind::Check:
      return bitIsSet(*setting.bit, image, user);
    case SettingKind::List: {
      const int entry = setting.list->entryOf(image, user);
      if (entry < 0 || entry >= static_cast<int>(setting.list->entries.size()))
        return std::monostate{};
      return std::string(setting.list->entries[static_cast<std::size_t>(entry)]);
    }
    case SettingKind::Text:
      return pageText(image, setting.textIndex);
  }
  return std::monostate{};
}

std::string settingText(const SettingValue& value) {
  if (const auto* number = std::get_if<unsigned>(&value)) return std::to_string(*number);
  if (const auto* on = std::get_if<bool>(&value)) return *on ? "on" : "off";
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return "";
}

int messageBytesLeft(const SettingsImage& image) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < kTextFields.size(); ++i) used += pageTextBytes(image, i).size();
  return kMessageBudget - static_cast<int>(used);
}

}  // namespace dp3
