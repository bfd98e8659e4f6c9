// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/rtty_view.hpp"

#include "settings/settings_model.hpp"
#include "window_logic/setting_controls.hpp"

namespace dp3 {

void openRttyWindow(ControlSurface& rttyUi, const SettingsImage& image, int user) {
  const SettingsModel shown(image, user);
  for (const Setting& setting : allSettings()) {
    if (setting.window != SettingWindow::Rtty) continue;
    const int control = controlOf(setting.label);
    if (setting.kind == SettingKind::List) {
      rttyUi.clearList(control);
      for (std::string_view entry : setting.list->entries) rttyUi.addListEntry(control, entry);
      rttyUi.selectEntry(control, shown.entry(setting));
    } else {
      rttyUi.setChecked(control, shown.checked(setting));
    }
    rttyUi.setEnabled(control, true);
  }
}

void acceptRttyWindow(const ControlSurface& rttyUi, SettingsImage& image, int user) {
  SettingsModel shown(image, user);
  for (const Setting& setting : allSettings()) {
    if (setting.window != SettingWindow::Rtty) continue;
    const int control = controlOf(setting.label);
    if (setting.kind == SettingKind::List) {
      shown.selectEntry(setting, rttyUi.selectedEntry(control));
    } else {
      shown.setChecked(setting, rttyUi.isChecked(control));
    }
  }
  shown.acceptRtty();
  image = shown.image();
}

}  // namespace dp3
