// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/settings_form_view.hpp"

#include <string>

#include "window_logic/result_texts.hpp"
#include "window_logic/setting_controls.hpp"

namespace dp3 {

namespace {

inline constexpr std::string_view kErrorCaption = "Error";

const Setting* mainSetting(int control, SettingKind kind) {
  const Setting* setting = mainWindowSetting(control);
  return setting && setting->kind == kind ? setting : nullptr;
}

}  // namespace

const Setting* mainWindowSetting(int control) {
  for (const Setting& setting : allSettings()) {
    if (setting.window == SettingWindow::Main && controlOf(setting.label) == control)
      return &setting;
  }
  return nullptr;
}

void showUserSettings(ControlSurface& ui, const SettingsImage& image, int user) {
  for (const Setting& setting : allSettings()) {
    if (setting.window != SettingWindow::Main) continue;
    const int control = controlOf(setting.label);
    const SettingValue value = settingValue(setting, image, user);
    switch (setting.kind) {
      case SettingKind::Number:
        if (!std::holds_alternative<std::monostate>(value)) ui.setText(control, settingText(value));
        break;
      case SettingKind::List:
        ui.selectEntry(control, setting.list->entryOf(image, user));
        break;
      case SettingKind::Check:
        ui.setChecked(control, std::get<bool>(value));
        break;
      case SettingKind::Text:
        break;
    }
  }
  ui.setVisible(id::kCallsignUser1, user != 2);
  ui.setVisible(id::kCallsignUser2, user == 2);
}

bool storeUserSettings(ControlSurface& ui, SettingsImage& image, int user) {
  SettingsModel form(image, user);
  for (const Setting& setting : allSettings()) {
    if (setting.kind == SettingKind::Number)
      form.setText(setting, ui.text(controlOf(setting.label)));
  }
  const auto refused = form.storeForm();
  image = form.image();
  // A value the keyer keeps as a near one shows as it is kept, and says so.
  for (const StoredAs& stored : form.storedAs()) {
    ui.setText(controlOf(stored.label), std::to_string(stored.stored));
    ui.setToolTip(controlOf(stored.label), storedAsText(stored));
  }
  if (!refused) return true;
  // The text, then the box it is about, ready to be typed over.
  ui.showMessage(refused->text, kErrorCaption);
  ui.focusControl(controlOf(refused->label));
  return false;
}

void fillModeLists(ControlSurface& ui) {
  for (const ListField& list : kModeLists) {
    const int control = controlOf(list.label);
    ui.clearList(control);
    for (std::string_view entry : list.entries) ui.addListEntry(control, entry);
  }
}

bool toggleModeBit(SettingsImage& image, int user, int checkBoxId) {
  const Setting* box = mainSetting(checkBoxId, SettingKind::Check);
  return box != nullptr && toggleBit(*box->bit, image, user);
}

void selectModeListEntry(SettingsImage& image, int user, int listId, int entry) {
  if (const Setting* list = mainSetting(listId, SettingKind::List)) {
    list->list->select(image, user, entry);
  }
}

}  // namespace dp3
