// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The window's side of the settings: which control shows which setting, and
// the form shown over a plain map surface.
#include "window_logic/settings_form_view.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "surface/map_surface.hpp"
#include "window_logic/setting_controls.hpp"

namespace dp3 {
namespace {

// Every setting has exactly one control, every listed control a setting, and
// no two settings of one window share a control.
TEST(SettingControls, OneControlPerSettingAndASettingPerControl) {
  for (const Setting& setting : allSettings()) {
    EXPECT_EQ(std::count_if(kSettingControls.begin(), kSettingControls.end(),
                            [&](const SettingControl& row) { return row.label == setting.label; }),
              1)
        << setting.label;
  }
  std::set<std::pair<SettingWindow, int>> controls;
  for (const SettingControl& row : kSettingControls) {
    const Setting* setting = findSetting(row.label, 1);
    ASSERT_NE(setting, nullptr) << row.label;
    EXPECT_EQ(setting->label, row.label);
    EXPECT_TRUE(controls.insert({setting->window, row.control}).second) << row.label;
  }
  EXPECT_EQ(controlOf("Weight"), 4039);
  EXPECT_EQ(controlOf("Diddle is"), 4078);
  EXPECT_EQ(controlOf("User 2 Callsign /M"), 4072);
  EXPECT_EQ(controlOf("weight"), 0);
}

TEST(SettingsFormView, ShowsTheUsersBytesAndLeavesStFreqForADivisorOfZero) {
  SettingsImage image{};
  resetSettingsImage(image);
  image[16 + 2] = 0;     // User 2's sidetone divisor
  image[16 + 0] = 0x08;  // User 2: Swap
  MapSurface ui;
  fillModeLists(ui);
  ui.setText(id::kStFreq, "1234");
  showUserSettings(ui, image, 2);
  EXPECT_EQ(ui.text(id::kStFreq), "1234");
  EXPECT_EQ(ui.text(id::kMaxWpm), "35");
  EXPECT_TRUE(ui.isChecked(id::kSwap));
  EXPECT_EQ(ui.selectedEntry(id::kOutputSelection), 3);
  EXPECT_TRUE(ui.isVisible(id::kCallsignUser2));
  EXPECT_FALSE(ui.isVisible(id::kCallsignUser1));
}

// A value the keyer keeps as a near one shows as kept once stored, and its
// box says so; a value kept as typed changes nothing.
TEST(SettingsFormView, StoreShowsAValueKeptAsANearOne) {
  SettingsImage image{};
  resetSettingsImage(image);
  for (const auto& [typed, shown, tip] :
       {std::tuple{"601", "606", "ST Freq: 601 Hz stored as 606 Hz"},
        std::tuple{"625", "625", ""}}) {
    MapSurface ui;
    showUserSettings(ui, image, 1);
    ui.setText(id::kStFreq, typed);
    ASSERT_TRUE(storeUserSettings(ui, image, 1));
    EXPECT_EQ(ui.text(id::kStFreq), shown);
    EXPECT_EQ(ui.control(id::kStFreq).toolTip, tip);
  }
}

}  // namespace
}  // namespace dp3
