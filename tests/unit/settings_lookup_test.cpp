#include "settings/settings_lookup.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "settings/messages.hpp"
#include "settings/mode_controls.hpp"
#include "settings/rtty.hpp"
#include "settings/settings_diff.hpp"
#include "settings/settings_form.hpp"
#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"

namespace dp3 {
namespace {

TEST(SettingsLookup, LabelsNameOneSettingInAnyCase) {
  struct Case {
    const char* label;
    int user;
    const char* found;  // nullptr: no such setting
    SettingKind kind;
    SettingWindow window;
  };
  const std::vector<Case> cases = {
      {"weight", 1, "Weight", SettingKind::Number, SettingWindow::Main},
      {"KEYER MODE", 2, "Keyer Mode", SettingKind::List, SettingWindow::Main},
      {"Tune50%", 1, "Tune50%", SettingKind::Check, SettingWindow::Main},
      {"diddle", 1, "Diddle", SettingKind::Check, SettingWindow::Rtty},
      {"Diddle is", 1, "Diddle is", SettingKind::List, SettingWindow::Rtty},
      {"msg 12", 1, "Msg 12", SettingKind::Text, SettingWindow::Main},
      {"User Callsign /M", 1, "User 1 Callsign /M", SettingKind::Text, SettingWindow::Main},
      {"user callsign /m", 2, "User 2 Callsign /M", SettingKind::Text, SettingWindow::Main},
      {"Wieght", 1, nullptr, {}, {}},
      {"Msg", 1, nullptr, {}, {}},
      {"", 1, nullptr, {}, {}},
  };
  for (const Case& c : cases) {
    const Setting* s = findSetting(c.label, c.user);
    if (c.found == nullptr) {
      EXPECT_EQ(s, nullptr) << c.label;
      continue;
    }
    ASSERT_NE(s, nullptr) << c.label;
    EXPECT_EQ(s->label, c.found);
    EXPECT_EQ(s->kind, c.kind) << c.label;
    EXPECT_EQ(s->window, c.window) << c.label;
  }
  std::set<std::string_view> labels;
  std::set<int> controls;
  for (const Setting& s : allSettings()) {
    EXPECT_TRUE(labels.insert(s.label).second) << s.label;
    EXPECT_TRUE(controls.insert(s.control).second) << s.label;
    EXPECT_EQ(findSetting(s.label, 1), &s);
  }
}

// What the lookup says a setting shows is what the windows show for it.
TEST(SettingsLookup, ValuesAreWhatTheWindowsShow) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 40; ++round) {
    SettingsImage image{};
    for (auto& b : image) b = static_cast<std::uint8_t>(random());
    for (int user : {1, 2}) {
      MapSurface main;
      MapSurface rtty;
      fillModeLists(main);
      showUserSettings(main, image, user);
      showMessages(main, image);
      openRttyWindow(rtty, image, user);
      for (const Setting& s : allSettings()) {
        const MapSurface& ui = s.window == SettingWindow::Rtty ? rtty : main;
        std::string shown;
        switch (s.kind) {
          case SettingKind::Number:
          case SettingKind::Text:
            shown = ui.text(s.control);
            break;
          case SettingKind::Check:
            shown = ui.isChecked(s.control) ? "on" : "off";
            break;
          case SettingKind::List: {
            const int entry = ui.selectedEntry(s.control);
            if (entry >= 0) shown = s.list->entries[static_cast<std::size_t>(entry)];
            break;
          }
        }
        ASSERT_EQ(settingText(settingValue(s, image, user)), shown)
            << s.label << " user " << user << " round " << round;
      }
      EXPECT_EQ(messageBytesLeft(image), kMessageBudget - countMessageBytes(main));
    }
  }
}

SettingsImage withTexts(const std::vector<std::string>& texts) {
  SettingsImage image{};
  resetSettingsImage(image);
  image[29] = 0x04;  // User 2 PinConfig: Port1
  MapSurface ui;
  for (std::size_t i = 0; i < texts.size(); ++i) ui.setText(kTextFields[i].control, texts[i]);
  storeMessages(ui, image);
  return image;
}

// Every differing byte is either under a listed setting or listed itself.
TEST(SettingsDiff, ListsSettingsAndEveryByteNoListedSettingShows) {
  const SettingsImage base = withTexts({"CQ", "TEST"});
  struct Case {
    const char* name;
    std::function<void(SettingsImage&)> change;
    std::vector<std::string> settings;  // "USER LABEL", user 0 for texts
    std::vector<std::size_t> otherBytes;
  };
  const std::vector<Case> cases = {
      {"same", [](SettingsImage&) {}, {}, {}},
      {"field and hidden bit",
       [](SettingsImage& b) {
         b[3] = 55;
         b[0] ^= 0x40;  // ModeReg bit 6: no control
       },
       {"1 Weight"},
       {0}},
      {"output nibble shown alike", [](SettingsImage& b) { b[29] = 0x00; }, {}, {29}},
      {"ultimatic priority shown",
       [](SettingsImage& b) {
         b[16] = 0x20;
         b[29] |= 0x80;
       },
       {"2 Keyer Mode"},
       {}},
      {"priority outside ultimatic", [](SettingsImage& b) { b[13] |= 0x80; }, {}, {13}},
      {"active user bit beside LtrSpace",
       [](SettingsImage& b) { b[14] = 0x83; },
       {"1 LtrSpace"},
       {14}},
      {"rtty bit no control shows",
       [](SettingsImage& b) { b[295] = 0x88; },
       {"2 RTTY Enable"},
       {295}},
      {"text grows, the next moves",
       [](SettingsImage& b) {
         b = withTexts({"CQ TEST", "TEST"});
       },
       {"0 Msg 1"},
       {}},
      {"text moved unchanged",
       [](SettingsImage& b) {
         b[34] = 30;
         std::copy(b.begin() + 49, b.begin() + 53, b.begin() + 62);
       },
       {},
       {34, 62, 63, 64, 65}},
      {"page byte outside every text",
       [](SettingsImage& b) {
         b = withTexts({"QRZ", "TEST"});
         b[200] = 0x77;
       },
       {"0 Msg 1"},
       {200}},
  };
  for (const Case& c : cases) {
    SettingsImage after = base;
    c.change(after);
    const SettingsDiff diff = diffSettings(base, after);
    std::vector<std::string> settings;
    for (const SettingDifference& d : diff.settings)
      settings.push_back(std::to_string(d.user) + " " + std::string(d.setting->label));
    EXPECT_EQ(settings, c.settings) << c.name;
    EXPECT_EQ(diff.otherBytes, c.otherBytes) << c.name;
    EXPECT_EQ(diff.empty(), base == after) << c.name;
  }
}

}  // namespace
}  // namespace dp3
