// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/settings_fields.hpp"
#include "settings/settings_image.hpp"

namespace dp3 {

// The settings as the windows show them, by their labels: what one user's
// form, check boxes and lists, RTTY window and message editor show for an
// image, edited as the operator edits them and stored with the form's own
// checks. The window logic fills it from its boxes; dp3 show, set and diff
// use it directly.

enum class SettingKind { Number, Check, List, Text };
enum class SettingWindow { Main, Rtty };

// One setting: its row in the tables of settings_fields.hpp (the pointer its
// kind names is set), and the window that shows it.
struct Setting {
  std::string_view label;
  SettingKind kind = SettingKind::Number;
  SettingWindow window = SettingWindow::Main;
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

// The setting a label names, in any letter case, or nullptr. The window's own
// "User Callsign /M" names the given user's callsign.
const Setting* findSetting(std::string_view label, int user);

// The labels findSetting takes, one per line, indented.
std::string settingLabels();

// What a setting shows for user's bytes: a number, a check, a list entry's
// text or a message text; nothing for a number box that a sidetone divisor of
// 0 leaves as it was, or a list with no entry.
using SettingValue = std::variant<std::monostate, unsigned, bool, std::string>;
SettingValue settingValue(const Setting& setting, const SettingsImage& image, int user);

// The value as one line of text: the number, "on"/"off", the entry, the text
// ("" for nothing).
std::string settingText(const SettingValue& value);

// What a number box's text counts as: unsigned decimal, spaces around it
// allowed; empty, non-numeric or out-of-range text counts as 0.
unsigned numberOfText(std::string_view text);

// What "Msg Bytes Left" shows for the texts of the page.
int messageBytesLeft(const SettingsImage& image);

// A number the form stored as a different one: the keyer keeps the sidetone
// as a divisor of 62500 Hz, so "ST Freq" 601 is stored as 606.
struct StoredAs {
  std::string_view label;
  unsigned typed = 0;
  unsigned stored = 0;
  std::string_view unit;  // "Hz"
};

// How an edit given as text (dp3 set's LABEL=VALUE) ended.
enum class EditOutcome { Done, NotANumber, NotOnOrOff, NotAnEntry };

// One user's settings as the windows show them, over a copy of the image.
class SettingsModel {
 public:
  // What the windows show for user's bytes of image (user 1 or 2).
  SettingsModel(const SettingsImage& image, int user);

  int user() const { return user_; }
  // The image with what the edits and stores so far have put into it.
  const SettingsImage& image() const { return image_; }

  // What a setting holds now: a number box's or a text's text as typed, a
  // check, a list entry (-1: none).
  const std::string& text(const Setting& setting) const;
  bool checked(const Setting& setting) const;
  int entry(const Setting& setting) const;

  // Edits as the windows take them. Number boxes and texts hold what is typed
  // until a store. A main window check box or list changes the image at once,
  // as its click or selection does; the RTTY window's wait for acceptRtty().
  void setText(const Setting& setting, std::string_view text);
  void setChecked(const Setting& setting, bool on);
  void selectEntry(const Setting& setting, int entry);
  // The same from text: a number box takes digits (spaces around them
  // allowed), a check box on/off (1/0, true/false, yes/no), a list one of its
  // entries in any letter case, a text anything.
  EditOutcome edit(const Setting& setting, std::string_view value);

  // The form's store: the number boxes are checked in the form's fixed order,
  // each stored before the next is read. The first refusal ends it, with its
  // text; what was stored before it stays stored.
  std::optional<Refusal> storeForm();
  // The numbers the last storeForm() stored as different ones, in the form's order.
  const std::vector<StoredAs>& storedAs() const { return storedAs_; }
  // The message editor's store: every text, or on a refusal none.
  std::optional<Refusal> storeTexts();
  // What Write DP and Write Config File store: the form, then, when it took
  // every value, the texts.
  std::optional<Refusal> store();
  // The RTTY window's Ok: its two bytes rebuilt from what it shows.
  void acceptRtty();

 private:
  struct Shown {
    std::string text;
    bool checked = false;
    int entry = -1;
  };
  Shown& shown(const Setting& setting);
  const Shown& shown(const Setting& setting) const;
  std::optional<Refusal> storePotRange(const NumberField& max);

  SettingsImage image_;
  int user_;
  std::vector<Shown> shown_;  // one per allSettings() row
  std::vector<StoredAs> storedAs_;
};

// Whether the form and the message editor would take an image as it is, for
// both users, as Write checks what it sends: the first refusal, with the
// user it was for, or nothing.
struct UserRefusal {
  int user = 1;
  Refusal refusal = {};
};
std::optional<UserRefusal> imageRefusal(const SettingsImage& image);

}  // namespace dp3
