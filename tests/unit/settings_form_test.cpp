#include "settings/settings_form.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/mode_controls.hpp"
#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"

namespace dp3 {
namespace {

SettingsImage defaults() {
  SettingsImage image{};
  resetSettingsImage(image);
  return image;
}

MapSurface shownForm(const SettingsImage& image, int user) {
  MapSurface ui;
  fillModeLists(ui);
  showUserSettings(ui, image, user);
  return ui;
}

std::string lastMessage(const MapSurface& ui) {
  return ui.messages.empty() ? "" : ui.messages.back().text;
}

TEST(SettingsForm, SidetoneFrequencyRoundTrips) {
  for (const auto& [typed, stored, shown] : std::vector<std::tuple<const char*, int, const char*>>{
           {"4000", 15, "4166"}, {"500", 125, "500"}, {"700", 89, "702"}, {"4166", 15, "4166"}}) {
    SettingsImage image = defaults();
    MapSurface ui = shownForm(image, 1);
    ui.setText(id::kStFreq, typed);
    ASSERT_TRUE(storeUserSettings(ui, image, 1)) << typed;
    EXPECT_EQ(image[2], stored) << typed;
    showUserSettings(ui, image, 1);
    EXPECT_EQ(ui.text(id::kStFreq), shown) << typed;
  }
  // A divisor of 0 leaves the box as it was.
  SettingsImage image = defaults();
  image[16 + 2] = 0;
  MapSurface ui;
  ui.setText(id::kStFreq, "1234");
  showUserSettings(ui, image, 2);
  EXPECT_EQ(ui.text(id::kStFreq), "1234");
}

// Every box bad; fixing them one at a time in check order brings each user's
// message in turn, and the fixed values end up stored.
TEST(SettingsForm, ChecksRunInTheirFixedOrderWithEachUsersText) {
  struct Step {
    int control;
    const char* bad;
    const char* good;
    const char* user1;
    const char* user2;  // nullptr: same text
  };
  const std::vector<Step> steps = {
      {id::kWeight, "5", "50", "Weight must be between 10 and 90", nullptr},
      {id::kLeadIn, "300", "1", "Lead In must be 250 or less.", nullptr},
      {id::kTail, "300", "2", "Tail must be 250 or less.", nullptr},
      {id::kStFreq, "100", "600", "Freq must be 500 or greater.",
       "Freq must be between 500 and 4000."},
      {id::kFirstExtension, "300", "3", "1st Extend must be 250 or less.",
       "Extend must be 250 or less."},
      {id::kKeyComp, "300", "4", "Key Comp must be 250 or less.", nullptr},
      {id::kFarnsWpm, "5", "20", "Farns must be 0 or between 10 and 90",
       "Farnsworth WPM must be 0 or between 10 and 90"},
      {id::kPdlSample, "5", "0", "Paddle Sample must be 0 or between 10 and 90",
       "Paddle Sample must be between 10 and 90"},
      {id::kCmdWpm, "100", "25", "Command WPM must be between 5 and 99",
       "CMDWPM must be between 5 and 99"},
      {id::kCurWpm, "100", "22", "Favorite WPM must be between 5 and 99", nullptr},
      {id::kStVolume, "9", "2", "Sidetone volume must be between 1 and 4", nullptr},
      {id::kSerialNumber, "0", "257", "Serial number must be between 1 and 9999", nullptr},
      {id::kRatio, "1", "40", "Ratio must be between 33 and 66", nullptr},
      {id::kMaxWpm, "10", "40", "Pot Max must be greater than Pot Min", nullptr},
      {id::kLtrSpace, "40", "7", "Letterspace Adjustment can't be greater than 31", nullptr},
  };
  for (int user : {1, 2}) {
    SettingsImage image = defaults();
    MapSurface ui;
    ui.setText(id::kMinWpm, "10");
    for (const Step& step : steps) ui.setText(step.control, step.bad);
    for (const Step& step : steps) {
      EXPECT_FALSE(storeUserSettings(ui, image, user));
      EXPECT_EQ(lastMessage(ui), user == 2 && step.user2 ? step.user2 : step.user1);
      EXPECT_EQ(ui.messages.back().caption, "Error");
      ui.setText(step.control, step.good);
    }
    ASSERT_TRUE(storeUserSettings(ui, image, user));
    const std::size_t b = user == 1 ? 0 : 16;
    const std::size_t e = user == 1 ? 288 : 294;
    const std::vector<std::uint8_t> block(image.begin() + b, image.begin() + b + 16);
    EXPECT_EQ(block,
              (std::vector<std::uint8_t>{0, 22, 104, 50, 1, 2, 10, 30, 3, 4, 20, 0, 40, 7, 7, 25}));
    EXPECT_EQ(image[e + 3], 2);
    EXPECT_EQ(image[e + 4], 0x01);
    EXPECT_EQ(image[e + 5], 0x00);
  }
}

// One box changed from the defaults: refused with its text, or the bytes stored.
TEST(SettingsForm, EdgesOfEachRange) {
  struct Case {
    std::vector<std::pair<int, const char*>> typed;
    const char* message;  // "" when accepted
    std::vector<std::pair<std::size_t, std::uint8_t>> bytes;
  };
  const std::vector<Case> cases = {
      {{{id::kStFreq, "499"}}, "Freq must be 500 or greater.", {{2, 78}}},
      {{{id::kStFreq, "4001"}}, "Freq must be 500 or greater.", {}},
      {{{id::kStFreq, "4165"}}, "Freq must be 500 or greater.", {}},
      {{{id::kFarnsWpm, "0"}, {id::kPdlSample, "0"}}, "", {{10, 0}, {11, 0}}},
      {{{id::kPdlSample, "91"}}, "Paddle Sample must be 0 or between 10 and 90", {}},
      {{{id::kSerialNumber, "1"}}, "", {{292, 0x00}, {293, 0x00}}},
      {{{id::kSerialNumber, "256"}}, "", {{292, 0x00}, {293, 0xFF}}},
      {{{id::kSerialNumber, "9999"}}, "", {{292, 0x27}, {293, 0x0E}}},
      {{{id::kSerialNumber, "10000"}}, "Serial number must be between 1 and 9999", {}},
      {{{id::kWeight, ""}}, "Weight must be between 10 and 90", {}},
      {{{id::kLeadIn, ""}, {id::kTail, "x1"}}, "", {{4, 0}, {5, 0}}},
      {{{id::kMaxWpm, "30"}, {id::kMinWpm, "30"}}, "Pot Max must be greater than Pot Min", {}},
      {{{id::kMaxWpm, "120"}, {id::kMinWpm, "10"}}, "Pot Max must be between 5 and 99", {{6, 5}}},
      {{{id::kMaxWpm, "50"}, {id::kMinWpm, "4"}}, "Pot Min must be between 5 and 99", {}},
      {{{id::kMaxWpm, "99"}, {id::kMinWpm, "98"}}, "", {{6, 98}, {7, 1}}},
      {{{id::kLtrSpace, "31"}}, "", {{14, 0xFF}}},
      // What was stored before a refusal stays stored.
      {{{id::kWeight, "60"}, {id::kStFreq, "500"}, {id::kSerialNumber, "300"}, {id::kRatio, "70"}},
       "Ratio must be between 33 and 66",
       {{3, 60}, {2, 125}, {292, 0x01}, {293, 0x2B}, {12, 50}}},
      {{}, "Weight must be between 10 and 90", {}},
  };
  for (const Case& c : cases) {
    SettingsImage image = defaults();
    image[4] = 99;
    image[14] = 0xE0;  // active user, bank and Tune50% bits stay
    MapSurface ui = c.typed.empty() ? MapSurface() : shownForm(image, 1);
    for (const auto& [control, text] : c.typed) ui.setText(control, text);
    const std::string name = c.typed.empty() ? "empty form" : c.typed[0].second;
    EXPECT_EQ(storeUserSettings(ui, image, 1), *c.message == 0) << name;
    EXPECT_EQ(lastMessage(ui), c.message) << name;
    for (const auto& [offset, byte] : c.bytes) EXPECT_EQ(image[offset], byte) << name;
  }
}

TEST(SettingsForm, ListsShownFromTheirBits) {
  struct Case {
    std::uint8_t modeReg, pinConfig;
    int keyerMode, output, hang;
  };
  for (const Case& c : std::vector<Case>{{0x10, 0x04, 0, 0, 0},
                                         {0x00, 0x06, 1, 1, 0},
                                         {0x20, 0x05, 2, 2, 0},
                                         {0x20, 0xC7, 3, 3, 0},
                                         {0x20, 0x48, 4, 4, 0},
                                         {0x30, 0x1A, 5, 5, 1},
                                         {0xCF, 0x29, 1, 6, 2},
                                         {0x00, 0x3B, 1, 7, 3},
                                         {0x00, 0x00, 1, 0, 0},
                                         {0x00, 0x0F, 1, 0, 0}}) {
    SettingsImage image = defaults();
    image[0] = c.modeReg;
    image[13] = c.pinConfig;
    const MapSurface ui = shownForm(image, 1);
    EXPECT_EQ(ui.selectedEntry(id::kKeyerMode), c.keyerMode) << int(c.modeReg);
    EXPECT_EQ(ui.selectedEntry(id::kOutputSelection), c.output) << int(c.pinConfig);
    EXPECT_EQ(ui.selectedEntry(id::kPaddleHang), c.hang) << int(c.pinConfig);
  }
}

}  // namespace
}  // namespace dp3
