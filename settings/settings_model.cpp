// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/settings_model.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "settings/messages.hpp"
#include "settings/rtty.hpp"

namespace dp3 {

namespace {

inline constexpr unsigned kSidetoneClock = 62500;

constexpr std::size_t kSettingCount = kNumberFields.size() + kModeLists.size() + kModeBits.size() +
                                      kRttyBits.size() + kRttyLists.size() + kTextFields.size();

constexpr std::array<Setting, kSettingCount> buildSettings() {
  std::array<Setting, kSettingCount> all{};
  std::size_t n = 0;
  for (const NumberField& f : kNumberFields) {
    all[n++] = {.label = f.label, .kind = SettingKind::Number, .number = &f};
  }
  for (const ListField& l : kModeLists) {
    all[n++] = {.label = l.label, .kind = SettingKind::List, .list = &l};
  }
  for (const BitField& b : kModeBits) {
    all[n++] = {.label = b.label, .kind = SettingKind::Check, .bit = &b};
  }
  for (const BitField& b : kRttyBits) {
    all[n++] = {
        .label = b.label, .kind = SettingKind::Check, .window = SettingWindow::Rtty, .bit = &b};
  }
  for (const ListField& l : kRttyLists) {
    all[n++] = {
        .label = l.label, .kind = SettingKind::List, .window = SettingWindow::Rtty, .list = &l};
  }
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    all[n++] = {.label = kTextFields[i].label, .kind = SettingKind::Text, .textIndex = i};
  }
  return all;
}

constexpr std::array<Setting, kSettingCount> kSettings = buildSettings();

// The number boxes come first, in the order of their table.
const Setting& settingOf(const NumberField& field) {
  return kSettings[static_cast<std::size_t>(&field - kNumberFields.data())];
}

bool sameLabel(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::optional<bool> parseSwitch(std::string_view value) {
  for (std::string_view on : {"on", "1", "true", "yes"}) {
    if (sameLabel(value, on)) return true;
  }
  for (std::string_view off : {"off", "0", "false", "no"}) {
    if (sameLabel(value, off)) return false;
  }
  return std::nullopt;
}

bool accepted(const NumberField& field, unsigned value) {
  if (field.kind == NumberKind::SidetoneFreq &&
      value == kSidetoneClock / (kSidetoneClock / field.max)) {
    // 4000 Hz stores divisor 15, which shows as 4166: the form takes back what it shows.
    return true;
  }
  return (value >= field.min && value <= field.max) || (field.zeroAllowed && value == 0);
}

Refusal refusal(const NumberField& field, int user) {
  return {field.label, std::string(user == 2 ? field.messageUser2 : field.messageUser1)};
}

const NumberField& numberField(NumberKind kind) {
  for (const NumberField& field : kNumberFields) {
    if (field.kind == kind) return field;
  }
  return kNumberFields.front();
}

std::optional<unsigned> numberValue(const NumberField& field, const SettingsImage& image,
                                    int user) {
  const std::size_t base = userSettingsOffset(user);
  const std::size_t at = fieldOffset(field.area, field.offset, user);
  switch (field.kind) {
    case NumberKind::Byte:
    case NumberKind::PotMin:
      return image[at];
    case NumberKind::LowBits:
      return image[at] & 0x1Fu;
    case NumberKind::SidetoneFreq:
      if (image[at] == 0) return std::nullopt;
      return kSidetoneClock / image[at];
    case NumberKind::SerialNumber:
      return image[at] * 256u + image[at + 1] + 1u;
    case NumberKind::PotMax:
      return unsigned{image[base + user_field::kMinWpm]} + image[base + user_field::kWpmRange];
  }
  return std::nullopt;
}

}  // namespace

std::span<const Setting> allSettings() {
  return kSettings;
}

const Setting* findSetting(std::string_view label, int user) {
  if (sameLabel(label, kCallsignLabel)) {
    const std::size_t pointer =
        user == 2 ? page::kCallsignPointerUser2 : page::kCallsignPointerUser1;
    label = kTextFields[pointer - page::kFirstMessagePointer].label;
  }
  const auto it = std::find_if(kSettings.begin(), kSettings.end(),
                               [label](const Setting& s) { return sameLabel(s.label, label); });
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

unsigned numberOfText(std::string_view text) {
  const std::string_view digits = trimmed(text);
  if (digits.empty() || digits.front() == '+' || digits.front() == '-') return 0;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return 0;
  return value;
}

int messageBytesLeft(const SettingsImage& image) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < kTextFields.size(); ++i) used += pageTextBytes(image, i).size();
  return kMessageBudget - static_cast<int>(used);
}

SettingsModel::SettingsModel(const SettingsImage& image, int user)
    : image_(image), user_(user == 2 ? 2 : 1), shown_(kSettings.size()) {
  for (const Setting& setting : kSettings) {
    const SettingValue value = settingValue(setting, image_, user_);
    Shown& s = shown(setting);
    switch (setting.kind) {
      case SettingKind::Number:
      case SettingKind::Text:
        s.text = settingText(value);
        break;
      case SettingKind::Check:
        s.checked = std::get<bool>(value);
        break;
      case SettingKind::List:
        s.entry = setting.list->entryOf(image_, user_);
        break;
    }
  }
}

SettingsModel::Shown& SettingsModel::shown(const Setting& setting) {
  return shown_[static_cast<std::size_t>(&setting - kSettings.data())];
}

const SettingsModel::Shown& SettingsModel::shown(const Setting& setting) const {
  return shown_[static_cast<std::size_t>(&setting - kSettings.data())];
}

const std::string& SettingsModel::text(const Setting& setting) const {
  return shown(setting).text;
}

bool SettingsModel::checked(const Setting& setting) const {
  return shown(setting).checked;
}

int SettingsModel::entry(const Setting& setting) const {
  return shown(setting).entry;
}

void SettingsModel::setText(const Setting& setting, std::string_view text) {
  shown(setting).text = text;
}

void SettingsModel::setChecked(const Setting& setting, bool on) {
  Shown& s = shown(setting);
  if (setting.window == SettingWindow::Main && s.checked != on) {
    on = toggleBit(*setting.bit, image_, user_);  // a click flips the bit
  }
  s.checked = on;
}

void SettingsModel::selectEntry(const Setting& setting, int entry) {
  shown(setting).entry = entry;
  if (setting.window == SettingWindow::Main) setting.list->select(image_, user_, entry);
}

EditOutcome SettingsModel::edit(const Setting& setting, std::string_view value) {
  switch (setting.kind) {
    case SettingKind::Number: {
      const std::string_view digits = trimmed(value);
      if (!std::all_of(digits.begin(), digits.end(),
                       [](unsigned char c) { return std::isdigit(c); })) {
        return EditOutcome::NotANumber;
      }
      setText(setting, value);
      return EditOutcome::Done;
    }
    case SettingKind::Text:
      setText(setting, value);
      return EditOutcome::Done;
    case SettingKind::Check: {
      const auto on = parseSwitch(value);
      if (!on) return EditOutcome::NotOnOrOff;
      setChecked(setting, *on);
      return EditOutcome::Done;
    }
    case SettingKind::List: {
      const auto& entries = setting.list->entries;
      const auto it = std::find_if(entries.begin(), entries.end(),
                                   [value](std::string_view e) { return sameLabel(e, value); });
      if (it == entries.end()) return EditOutcome::NotAnEntry;
      selectEntry(setting, static_cast<int>(it - entries.begin()));
      return EditOutcome::Done;
    }
  }
  return EditOutcome::Done;
}

// MaxWpm and MinWpm are read together; both bytes are stored only when all
// three steps pass.
std::optional<Refusal> SettingsModel::storePotRange(const NumberField& max) {
  const NumberField& min = numberField(NumberKind::PotMin);
  const unsigned u = numberOfText(text(settingOf(max)));
  const unsigned v = numberOfText(text(settingOf(min)));
  if (v >= u) return Refusal{max.label, std::string(kPotOrderMessage)};
  if (!accepted(min, v)) return refusal(min, user_);
  if (!accepted(max, u)) return refusal(max, user_);
  const std::size_t base = userSettingsOffset(user_);
  image_[base + user_field::kMinWpm] = static_cast<std::uint8_t>(v);
  image_[base + user_field::kWpmRange] = static_cast<std::uint8_t>(u - v);
  return std::nullopt;
}

std::optional<Refusal> SettingsModel::storeForm() {
  storedAs_.clear();
  for (const Setting& setting : kSettings) {
    if (setting.kind != SettingKind::Number) continue;
    const NumberField& field = *setting.number;
    if (field.kind == NumberKind::PotMin) continue;  // stored with PotMax
    if (field.kind == NumberKind::PotMax) {
      if (auto refused = storePotRange(field)) return refused;
      continue;
    }
    const unsigned value = numberOfText(text(setting));
    if (!accepted(field, value)) return refusal(field, user_);
    const std::size_t at = fieldOffset(field.area, field.offset, user_);
    switch (field.kind) {
      case NumberKind::Byte:
        image_[at] = static_cast<std::uint8_t>(value);
        break;
      case NumberKind::LowBits:
        image_[at] = static_cast<std::uint8_t>((image_[at] & ~0x1Fu) | value);
        break;
      case NumberKind::SidetoneFreq: {
        image_[at] = static_cast<std::uint8_t>(kSidetoneClock / value);
        const unsigned stored = kSidetoneClock / image_[at];
        if (stored != value) storedAs_.push_back({field.label, value, stored, "Hz"});
        break;
      }
      case NumberKind::SerialNumber:
        image_[at] = static_cast<std::uint8_t>((value - 1) / 256);
        image_[at + 1] = static_cast<std::uint8_t>((value - 1) % 256);
        break;
      case NumberKind::PotMax:
      case NumberKind::PotMin:
        break;
    }
  }
  return std::nullopt;
}

std::optional<Refusal> SettingsModel::storeTexts() {
  MessageTexts texts;
  for (const Setting& setting : kSettings) {
    if (setting.kind == SettingKind::Text) texts[setting.textIndex] = text(setting);
  }
  return dp3::storeTexts(texts, image_);
}

std::optional<Refusal> SettingsModel::store() {
  if (auto refused = storeForm()) return refused;
  return storeTexts();
}

void SettingsModel::acceptRtty() {
  // The RTTY window's settings come in the order of its tables.
  std::array<bool, kRttyBits.size()> checks{};
  std::array<int, kRttyLists.size()> entries{};
  std::size_t check = 0;
  std::size_t list = 0;
  for (const Setting& setting : kSettings) {
    if (setting.window != SettingWindow::Rtty) continue;
    if (setting.kind == SettingKind::Check) checks[check++] = checked(setting);
    if (setting.kind == SettingKind::List) entries[list++] = entry(setting);
  }
  storeRtty(image_, user_, checks, entries);
}

std::optional<UserRefusal> imageRefusal(const SettingsImage& image) {
  for (int user : {1, 2}) {
    if (auto refused = SettingsModel(image, user).store()) return UserRefusal{user, *refused};
  }
  return std::nullopt;
}

}  // namespace dp3
