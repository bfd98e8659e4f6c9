#include "settings/settings_form.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.hpp"
#include "app/map_surface.hpp"
#include "settings/mode_controls.hpp"

namespace dp3 {
namespace {

SettingsImage defaults() {
  SettingsImage image{};
  ResetSettingsImage(image);
  return image;
}

// The form as the window shows it for user.
MapSurface shownForm(const SettingsImage& image, int user) {
  MapSurface ui;
  FillModeLists(ui);
  ShowUserSettings(ui, image, user);
  return ui;
}

std::string lastMessage(const MapSurface& ui) {
  return ui.messages.empty() ? "" : ui.messages.back().text;
}

TEST(SettingsForm, DefaultsShowAsTheWindowShowsThem) {
  const MapSurface ui = shownForm(defaults(), 2);
  const std::vector<std::pair<int, std::string>> boxes = {
      {id::kMaxWpm, "35"},      {id::kMinWpm, "5"},     {id::kStFreq, "801"}, {id::kStVolume, "4"},
      {id::kSerialNumber, "1"}, {id::kWeight, "50"},    {id::kCmdWpm, "15"},  {id::kCurWpm, "15"},
      {id::kRatio, "50"},       {id::kPdlSample, "50"}, {id::kLtrSpace, "0"}, {id::kFarnsWpm, "0"}};
  for (const auto& [control, text] : boxes) EXPECT_EQ(ui.text(control), text) << control;
  EXPECT_EQ(ui.selectedEntry(id::kKeyerMode), 1);        // Iambic B
  EXPECT_EQ(ui.selectedEntry(id::kOutputSelection), 3);  // Port1, ST, PTT
  EXPECT_EQ(ui.selectedEntry(id::kPaddleHang), 0);       // 1.0 Word
  EXPECT_FALSE(ui.isVisible(id::kCallsignUser1));
  EXPECT_TRUE(ui.isVisible(id::kCallsignUser2));
}

TEST(SettingsForm, SidetoneFrequencyRoundTrips) {
  struct Case {
    const char* typed;
    std::uint8_t stored;
    const char* shownBack;
  };
  for (const Case& c : {Case{"4000", 15, "4166"}, Case{"500", 125, "500"}, Case{"700", 89, "702"},
                        Case{"801", 78, "801"}, Case{"4166", 15, "4166"}}) {
    SettingsImage image = defaults();
    MapSurface ui = shownForm(image, 1);
    ui.setText(id::kStFreq, c.typed);
    ASSERT_TRUE(StoreUserSettings(ui, image, 1)) << c.typed;
    EXPECT_EQ(image[2], c.stored) << c.typed;
    ShowUserSettings(ui, image, 1);
    EXPECT_EQ(ui.text(id::kStFreq), c.shownBack) << c.typed;
  }
}

TEST(SettingsForm, DivisorZeroLeavesTheFrequencyBoxAlone) {
  SettingsImage image = defaults();
  image[16 + 2] = 0;
  MapSurface ui;
  ui.setText(id::kStFreq, "1234");
  ShowUserSettings(ui, image, 2);
  EXPECT_EQ(ui.text(id::kStFreq), "1234");
}

// One bad box at a time, for both users: the exact text and what stays stored.
TEST(SettingsForm, RefusalsCarryEachUsersText) {
  struct Case {
    int control;
    const char* value;
    const char* user1;
    const char* user2;
  };
  const std::vector<Case> cases = {
      {id::kWeight, "9", "Weight must be between 10 and 90", "Weight must be between 10 and 90"},
      {id::kWeight, "", "Weight must be between 10 and 90", "Weight must be between 10 and 90"},
      {id::kWeight, "91", "Weight must be between 10 and 90", "Weight must be between 10 and 90"},
      {id::kLeadIn, "251", "Lead In must be 250 or less.", "Lead In must be 250 or less."},
      {id::kTail, "251", "Tail must be 250 or less.", "Tail must be 250 or less."},
      {id::kStFreq, "499", "Freq must be 500 or greater.", "Freq must be between 500 and 4000."},
      {id::kStFreq, "4001", "Freq must be 500 or greater.", "Freq must be between 500 and 4000."},
      {id::kStFreq, "4165", "Freq must be 500 or greater.", "Freq must be between 500 and 4000."},
      {id::kStFreq, "4167", "Freq must be 500 or greater.", "Freq must be between 500 and 4000."},
      {id::kFirstExtension, "251", "1st Extend must be 250 or less.",
       "Extend must be 250 or less."},
      {id::kKeyComp, "251", "Key Comp must be 250 or less.", "Key Comp must be 250 or less."},
      {id::kFarnsWpm, "5", "Farns must be 0 or between 10 and 90",
       "Farnsworth WPM must be 0 or between 10 and 90"},
      {id::kFarnsWpm, "91", "Farns must be 0 or between 10 and 90",
       "Farnsworth WPM must be 0 or between 10 and 90"},
      {id::kPdlSample, "5", "Paddle Sample must be 0 or between 10 and 90",
       "Paddle Sample must be between 10 and 90"},
      {id::kCmdWpm, "4", "Command WPM must be between 5 and 99", "CMDWPM must be between 5 and 99"},
      {id::kCurWpm, "100", "Favorite WPM must be between 5 and 99",
       "Favorite WPM must be between 5 and 99"},
      {id::kStVolume, "0", "Sidetone volume must be between 1 and 4",
       "Sidetone volume must be between 1 and 4"},
      {id::kStVolume, "5", "Sidetone volume must be between 1 and 4",
       "Sidetone volume must be between 1 and 4"},
      {id::kSerialNumber, "0", "Serial number must be between 1 and 9999",
       "Serial number must be between 1 and 9999"},
      {id::kSerialNumber, "10000", "Serial number must be between 1 and 9999",
       "Serial number must be between 1 and 9999"},
      {id::kRatio, "32", "Ratio must be between 33 and 66", "Ratio must be between 33 and 66"},
      {id::kRatio, "67", "Ratio must be between 33 and 66", "Ratio must be between 33 and 66"},
      {id::kLtrSpace, "32", "Letterspace Adjustment can't be greater than 31",
       "Letterspace Adjustment can't be greater than 31"},
  };
  for (int user : {1, 2}) {
    for (const Case& c : cases) {
      SettingsImage image = defaults();
      MapSurface ui = shownForm(image, user);
      ui.setText(c.control, c.value);
      EXPECT_FALSE(StoreUserSettings(ui, image, user)) << c.control << "=" << c.value;
      ASSERT_EQ(ui.messages.size(), 1u) << c.control << "=" << c.value;
      EXPECT_EQ(ui.messages[0].text, user == 1 ? c.user1 : c.user2)
          << "user " << user << " " << c.control << "=" << c.value;
      EXPECT_EQ(ui.messages[0].caption, "Error");
    }
  }
}

TEST(SettingsForm, ChecksRunInTheirFixedOrder) {
  // Every box bad; fixing them one at a time in check order brings each
  // message in turn.
  struct Step {
    int control;
    const char* good;
    const char* message;
  };
  const std::vector<Step> steps = {
      {id::kWeight, "50", "Weight must be between 10 and 90"},
      {id::kLeadIn, "1", "Lead In must be 250 or less."},
      {id::kTail, "2", "Tail must be 250 or less."},
      {id::kStFreq, "600", "Freq must be 500 or greater."},
      {id::kFirstExtension, "3", "1st Extend must be 250 or less."},
      {id::kKeyComp, "4", "Key Comp must be 250 or less."},
      {id::kFarnsWpm, "20", "Farns must be 0 or between 10 and 90"},
      {id::kPdlSample, "0", "Paddle Sample must be 0 or between 10 and 90"},
      {id::kCmdWpm, "25", "Command WPM must be between 5 and 99"},
      {id::kCurWpm, "22", "Favorite WPM must be between 5 and 99"},
      {id::kStVolume, "2", "Sidetone volume must be between 1 and 4"},
      {id::kSerialNumber, "257", "Serial number must be between 1 and 9999"},
      {id::kRatio, "40", "Ratio must be between 33 and 66"},
      {id::kMaxWpm, "40", "Pot Max must be greater than Pot Min"},
      {id::kLtrSpace, "7", "Letterspace Adjustment can't be greater than 31"},
  };
  SettingsImage image = defaults();
  MapSurface ui;
  const std::vector<std::pair<int, const char*>> bad = {
      {id::kWeight, "5"},   {id::kLeadIn, "300"},         {id::kTail, "300"},
      {id::kStFreq, "100"}, {id::kFirstExtension, "300"}, {id::kKeyComp, "300"},
      {id::kFarnsWpm, "5"}, {id::kPdlSample, "5"},        {id::kCmdWpm, "100"},
      {id::kCurWpm, "100"}, {id::kStVolume, "9"},         {id::kSerialNumber, "0"},
      {id::kRatio, "1"},    {id::kMaxWpm, "10"},          {id::kMinWpm, "10"},
      {id::kLtrSpace, "40"}};
  for (const auto& [control, text] : bad) ui.setText(control, text);
  for (const Step& step : steps) {
    EXPECT_FALSE(StoreUserSettings(ui, image, 1));
    EXPECT_EQ(lastMessage(ui), step.message);
    ui.setText(step.control, step.good);
  }
  ASSERT_TRUE(StoreUserSettings(ui, image, 1));
  const std::array<std::uint8_t, 16> stored = {0, 22, 104, 50, 1,  2, 10, 30,
                                               3, 4,  20,  0,  40, 7, 7,  25};
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(image[i], stored[i]) << "byte " << i;
  EXPECT_EQ(image[291], 2);
  EXPECT_EQ(image[292], 0x01);
  EXPECT_EQ(image[293], 0x00);
}

TEST(SettingsForm, EverythingStoredBeforeARefusalStaysStored) {
  SettingsImage image = defaults();
  MapSurface ui = shownForm(image, 2);
  const std::vector<std::pair<int, const char*>> typed = {
      {id::kWeight, "60"},   {id::kLeadIn, "11"},         {id::kTail, "12"},
      {id::kStFreq, "500"},  {id::kFirstExtension, "13"}, {id::kKeyComp, "14"},
      {id::kFarnsWpm, "30"}, {id::kPdlSample, "40"},      {id::kCmdWpm, "20"},
      {id::kCurWpm, "21"},   {id::kStVolume, "3"},        {id::kSerialNumber, "9999"},
      {id::kRatio, "70"},    {id::kMaxWpm, "60"},         {id::kLtrSpace, "9"}};
  for (const auto& [control, text] : typed) ui.setText(control, text);
  EXPECT_FALSE(StoreUserSettings(ui, image, 2));
  EXPECT_EQ(lastMessage(ui), "Ratio must be between 33 and 66");
  const std::array<std::uint8_t, 16> user2 = {0,  21, 125, 60, 11, 12, 5, 30,
                                              13, 14, 30,  40, 50, 7,  0, 20};
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(image[16 + i], user2[i]) << "byte " << i;
  EXPECT_EQ(image[294 + 3], 3);
  EXPECT_EQ(image[294 + 4], 0x27);  // 9999 - 1 = 0x270E
  EXPECT_EQ(image[294 + 5], 0x0E);
  // User 1 untouched.
  EXPECT_EQ(image[3], 50);
}

TEST(SettingsForm, PotRangeChecksAndStores) {
  struct Case {
    const char* max;
    const char* min;
    const char* message;  // "" when stored
    std::uint8_t minByte;
    std::uint8_t rangeByte;
  };
  const std::vector<Case> cases = {
      {"30", "30", "Pot Max must be greater than Pot Min", 5, 30},
      {"20", "30", "Pot Max must be greater than Pot Min", 5, 30},
      {"120", "10", "Pot Max must be between 5 and 99", 5, 30},
      {"50", "4", "Pot Min must be between 5 and 99", 5, 30},
      {"200", "100", "Pot Min must be between 5 and 99", 5, 30},
      {"35", "5", "", 5, 30},
      {"99", "98", "", 98, 1},
  };
  for (const Case& c : cases) {
    SettingsImage image = defaults();
    MapSurface ui = shownForm(image, 1);
    ui.setText(id::kMaxWpm, c.max);
    ui.setText(id::kMinWpm, c.min);
    EXPECT_EQ(StoreUserSettings(ui, image, 1), std::string(c.message).empty()) << c.max;
    EXPECT_EQ(lastMessage(ui), c.message) << c.max << "/" << c.min;
    EXPECT_EQ(image[6], c.minByte) << c.max << "/" << c.min;
    EXPECT_EQ(image[7], c.rangeByte) << c.max << "/" << c.min;
  }
}

TEST(SettingsForm, AcceptedEdgesStoreTheirBytes) {
  struct Case {
    int control;
    const char* value;
    std::size_t offset;  // in User 1's bytes
    std::uint8_t byte;
  };
  const std::vector<Case> cases = {
      {id::kSerialNumber, "1", 292, 0x00},
      {id::kSerialNumber, "1", 293, 0x00},
      {id::kSerialNumber, "256", 292, 0x00},
      {id::kSerialNumber, "256", 293, 0xFF},
      {id::kSerialNumber, "257", 292, 0x01},
      {id::kSerialNumber, "257", 293, 0x00},
      {id::kFarnsWpm, "0", 10, 0},
      {id::kPdlSample, "0", 11, 0},
      {id::kLeadIn, "", 4, 0},
      {id::kLeadIn, "abc", 4, 0},
      {id::kLeadIn, "250", 4, 250},
      {id::kWeight, "10", 3, 10},
      {id::kWeight, " 90 ", 3, 90},
      {id::kStVolume, "1", 291, 1},
  };
  for (const Case& c : cases) {
    SettingsImage image = defaults();
    image[4] = 99;
    MapSurface ui = shownForm(image, 1);
    ui.setText(c.control, c.value);
    ASSERT_TRUE(StoreUserSettings(ui, image, 1))
        << c.control << "=" << c.value << ": " << lastMessage(ui);
    EXPECT_EQ(image[c.offset], c.byte) << c.control << "=" << c.value;
  }
}

TEST(SettingsForm, LetterSpaceKeepsTheFlagBits) {
  SettingsImage image = defaults();
  image[14] = 0xE3;  // active user, bank 2, Tune50%, LtrSpace 3
  MapSurface ui = shownForm(image, 1);
  EXPECT_EQ(ui.text(id::kLtrSpace), "3");
  EXPECT_TRUE(ui.isChecked(id::kTune50));
  ui.setText(id::kLtrSpace, "31");
  ASSERT_TRUE(StoreUserSettings(ui, image, 1));
  EXPECT_EQ(image[14], 0xFF);
}

TEST(SettingsForm, EmptyFormStopsAtWeight) {
  SettingsImage image{};
  MapSurface ui;
  ShowUserSettings(ui, image, 1);  // all zero: the boxes hold zeros, ST Freq stays empty
  EXPECT_FALSE(StoreUserSettings(ui, image, 1));
  EXPECT_EQ(lastMessage(ui), "Weight must be between 10 and 90");
  MapSurface fresh;
  EXPECT_FALSE(StoreUserSettings(fresh, image, 1));
  EXPECT_EQ(lastMessage(fresh), "Weight must be between 10 and 90");
  EXPECT_EQ(image, SettingsImage{});
}

TEST(SettingsForm, ShowThenStoreKeepsEveryByteOfAValidUser) {
  SettingsImage image = defaults();
  const std::array<std::uint8_t, 16> user = {0xCD, 40, 15, 90, 250, 1,    98,   1,
                                             7,    8,  10, 0,  66,  0xB9, 0xDF, 99};
  std::copy(user.begin(), user.end(), image.begin() + 16);
  image[294 + 0] = 0xFF;
  image[294 + 3] = 1;
  image[294 + 4] = 0x27;
  image[294 + 5] = 0x0E;
  const SettingsImage before = image;
  MapSurface ui = shownForm(image, 2);
  ASSERT_TRUE(StoreUserSettings(ui, image, 2)) << lastMessage(ui);
  EXPECT_EQ(image, before);
}

TEST(SettingsForm, KeyerModeAndOutputShownFromTheirBits) {
  struct Case {
    std::uint8_t modeReg;
    std::uint8_t pinConfig;
    int keyerMode;
    int output;
    int hang;
  };
  const std::vector<Case> cases = {
      {0x10, 0x04, 0, 0, 0}, {0x00, 0x06, 1, 1, 0}, {0x20, 0x05, 2, 2, 0}, {0x20, 0xC7, 3, 3, 0},
      {0x20, 0x48, 4, 4, 0}, {0x30, 0x1A, 5, 5, 1}, {0xCF, 0x29, 1, 6, 2}, {0x00, 0x3B, 1, 7, 3},
      {0x00, 0x00, 1, 0, 0}, {0x00, 0x0F, 1, 0, 0}, {0x00, 0x03, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SettingsImage image = defaults();
    image[0] = c.modeReg;
    image[13] = c.pinConfig;
    const MapSurface ui = shownForm(image, 1);
    EXPECT_EQ(ui.selectedEntry(id::kKeyerMode), c.keyerMode)
        << int(c.modeReg) << "/" << int(c.pinConfig);
    EXPECT_EQ(ui.selectedEntry(id::kOutputSelection), c.output) << int(c.pinConfig);
    EXPECT_EQ(ui.selectedEntry(id::kPaddleHang), c.hang) << int(c.pinConfig);
  }
}

}  // namespace
}  // namespace dp3
