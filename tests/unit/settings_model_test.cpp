// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/settings_model.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/messages.hpp"
#include "settings/settings_diff.hpp"

namespace dp3 {
namespace {

using Typed = std::vector<std::pair<const char*, const char*>>;  // label, text

SettingsImage defaults() {
  SettingsImage image{};
  resetSettingsImage(image);
  return image;
}

// The setting a label names; a label that names none fails the test.
const Setting& setting(std::string_view label, int user = 1) {
  const Setting* found = findSetting(label, user);
  EXPECT_NE(found, nullptr) << label;
  return found ? *found : allSettings().front();
}

void type(SettingsModel& form, const Typed& typed) {
  for (const auto& [label, text] : typed) form.setText(setting(label), text);
}

std::string refusalText(const std::optional<Refusal>& refused) {
  return refused ? std::string(refused->label) + ": " + refused->text : "";
}

TEST(SettingsModel, SidetoneFrequencyRoundTrips) {
  for (const auto& [typed, stored, shown] : std::vector<std::tuple<const char*, int, const char*>>{
           {"4000", 15, "4166"}, {"500", 125, "500"}, {"700", 89, "702"}, {"4166", 15, "4166"}}) {
    SettingsModel form(defaults(), 1);
    type(form, {{"ST Freq", typed}});
    ASSERT_EQ(refusalText(form.storeForm()), "") << typed;
    EXPECT_EQ(form.image()[2], stored) << typed;
    EXPECT_EQ(SettingsModel(form.image(), 1).text(setting("ST Freq")), shown) << typed;
  }
}

// Every box bad; fixing them one at a time in check order brings each user's
// refusal in turn, naming its box, and the fixed values end up stored.
TEST(SettingsModel, ChecksRunInTheirFixedOrderWithEachUsersText) {
  struct Step {
    const char* label;
    const char* bad;
    const char* good;
    const char* user1;
    const char* user2;  // nullptr: same text
  };
  const std::vector<Step> steps = {
      {"Weight", "5", "50", "Weight must be between 10 and 90", nullptr},
      {"PTT LeadIn", "300", "1", "Lead In must be 250 or less.", nullptr},
      {"PTT Tail", "300", "2", "Tail must be 250 or less.", nullptr},
      {"ST Freq", "100", "600", "Freq must be 500 or greater.",
       "Freq must be between 500 and 4000."},
      {"1stExtension", "300", "3", "1st Extend must be 250 or less.",
       "Extend must be 250 or less."},
      {"KeyComp", "300", "4", "Key Comp must be 250 or less.", nullptr},
      {"FarnsWpm", "5", "20", "Farns must be 0 or between 10 and 90",
       "Farnsworth WPM must be 0 or between 10 and 90"},
      {"PdlSample", "5", "0", "Paddle Sample must be 0 or between 10 and 90",
       "Paddle Sample must be between 10 and 90"},
      {"CmdWpm", "100", "25", "Command WPM must be between 5 and 99",
       "CMDWPM must be between 5 and 99"},
      {"CurWpm", "100", "22", "Favorite WPM must be between 5 and 99", nullptr},
      {"ST Volume", "9", "2", "Sidetone volume must be between 1 and 4", nullptr},
      {"S/N", "0", "257", "Serial number must be between 1 and 9999", nullptr},
      {"Ratio", "1", "40", "Ratio must be between 33 and 66", nullptr},
      {"MaxWpm", "10", "40", "Pot Max must be greater than Pot Min", nullptr},
      {"LtrSpace", "40", "7", "Letterspace Adjustment can't be greater than 31", nullptr},
  };
  for (int user : {1, 2}) {
    SettingsModel form(defaults(), user);
    type(form, {{"MinWpm", "10"}});
    for (const Step& step : steps) type(form, {{step.label, step.bad}});
    for (const Step& step : steps) {
      EXPECT_EQ(
          refusalText(form.storeForm()),
          std::string(step.label) + ": " + (user == 2 && step.user2 ? step.user2 : step.user1));
      type(form, {{step.label, step.good}});
    }
    ASSERT_EQ(refusalText(form.storeForm()), "");
    const SettingsImage& image = form.image();
    const std::size_t b = user == 1 ? 0 : 16;
    const std::size_t e = user == 1 ? 288 : 294;
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + b, image.begin() + b + 16),
              (std::vector<std::uint8_t>{0, 22, 104, 50, 1, 2, 10, 30, 3, 4, 20, 0, 40, 7, 7, 25}));
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + e, image.begin() + e + 6),
              (std::vector<std::uint8_t>{0, 0, 0, 2, 0x01, 0x00}));
  }
}

// Boxes changed from the defaults: refused with the box and its text, or the bytes stored.
TEST(SettingsModel, EdgesOfEachRange) {
  struct Case {
    Typed typed;
    const char* refusal;  // "" when accepted
    std::vector<std::pair<std::size_t, std::uint8_t>> bytes;
  };
  const std::vector<Case> cases = {
      {{{"ST Freq", "499"}}, "ST Freq: Freq must be 500 or greater.", {{2, 78}}},
      {{{"ST Freq", "4001"}}, "ST Freq: Freq must be 500 or greater.", {}},
      {{{"ST Freq", "4165"}}, "ST Freq: Freq must be 500 or greater.", {}},
      {{{"FarnsWpm", "0"}, {"PdlSample", "0"}}, "", {{10, 0}, {11, 0}}},
      {{{"PdlSample", "91"}}, "PdlSample: Paddle Sample must be 0 or between 10 and 90", {}},
      {{{"S/N", "1"}}, "", {{292, 0x00}, {293, 0x00}}},
      {{{"S/N", "256"}}, "", {{292, 0x00}, {293, 0xFF}}},
      {{{"S/N", "9999"}}, "", {{292, 0x27}, {293, 0x0E}}},
      {{{"S/N", "10000"}}, "S/N: Serial number must be between 1 and 9999", {}},
      {{{"Weight", ""}}, "Weight: Weight must be between 10 and 90", {}},
      {{{"PTT LeadIn", ""}, {"PTT Tail", "x1"}}, "", {{4, 0}, {5, 0}}},
      {{{"MaxWpm", "30"}, {"MinWpm", "30"}}, "MaxWpm: Pot Max must be greater than Pot Min", {}},
      {{{"MaxWpm", "120"}, {"MinWpm", "10"}}, "MaxWpm: Pot Max must be between 5 and 99", {{6, 5}}},
      {{{"MaxWpm", "50"}, {"MinWpm", "4"}}, "MinWpm: Pot Min must be between 5 and 99", {}},
      {{{"MaxWpm", "99"}, {"MinWpm", "98"}}, "", {{6, 98}, {7, 1}}},
      {{{"LtrSpace", "31"}}, "", {{14, 0xFF}}},
      {{{"Weight", " 60 "}}, "", {{3, 60}}},
      // What was stored before a refusal stays stored.
      {{{"Weight", "60"}, {"ST Freq", "500"}, {"S/N", "300"}, {"Ratio", "70"}},
       "Ratio: Ratio must be between 33 and 66",
       {{3, 60}, {2, 125}, {292, 0x01}, {293, 0x2B}, {12, 50}}},
  };
  for (const Case& c : cases) {
    SettingsImage image = defaults();
    image[4] = 99;
    image[14] = 0xE0;  // active user, bank and Tune50% bits stay
    SettingsModel form(image, 1);
    type(form, c.typed);
    EXPECT_EQ(refusalText(form.storeForm()), c.refusal) << c.typed[0].second;
    for (const auto& [offset, byte] : c.bytes) EXPECT_EQ(form.image()[offset], byte) << offset;
  }
  // An all-zero image (nothing read yet) shows empty boxes that stop at the first check.
  SettingsModel fresh(SettingsImage{}, 1);
  EXPECT_EQ(refusalText(fresh.storeForm()), "Weight: Weight must be between 10 and 90");
}

TEST(SettingsModel, NumberBoxTextIsUnsignedDecimalElseZero) {
  const std::vector<std::pair<const char*, unsigned>> cases = {
      {"", 0},
      {"0", 0},
      {"55", 55},
      {" 700 ", 700},
      {"4294967295", 4294967295u},
      {"4294967296", 0},
      {"12a", 0},
      {"-1", 0},
      {"+5", 0},
      {"1 2", 0},
      {" ", 0},
      {"0009", 9},
      {"99999999999999", 0},
  };
  for (const auto& [text, value] : cases)
    EXPECT_EQ(numberOfText(text), value) << '"' << text << '"';
}

TEST(SettingsModel, LabelsNameOneSettingInAnyCase) {
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
    ASSERT_EQ(s != nullptr, c.found != nullptr) << c.label;
    if (!s) continue;
    EXPECT_EQ(s->label, c.found);
    EXPECT_EQ(s->kind, c.kind) << c.label;
    EXPECT_EQ(s->window, c.window) << c.label;
  }
  EXPECT_EQ(allSettings().size(), 54u);
}

// What the windows show for one image, by label, for both users.
TEST(SettingsModel, ShowsWhatTheWindowsShow) {
  SettingsImage image = defaults();
  image[16 + 2] = 0;      // User 2's divisor 0: ST Freq shows nothing
  image[16 + 0] = 0x28;   // User 2: Swap, Ultimatic
  image[16 + 13] = 0x8B;  // User 2: UltimDit, Port2, ST, PTT
  image[294 + 2] = 0x02;  // User 2: USOS 2 shows no entry
  image[294 + 4] = 0x27;  // User 2: S/N 9999
  image[294 + 5] = 0x0E;
  ASSERT_FALSE(storeTexts({"CQ", "", "", "", "", "", "", "", "", "", "", "", "N0CALL"}, image));
  const std::vector<std::tuple<const char*, const char*, const char*>> cases = {
      {"MaxWpm", "35", "35"},
      {"ST Freq", "801", ""},
      {"S/N", "1", "9999"},
      {"Swap", "off", "on"},
      {"Keyer Mode", "Iambic B", "UltimDit"},
      {"Output Selection", "Port1, ST, PTT", "Port2, ST, PTT"},
      {"USOS", "Off", ""},
      {"Msg 1", "CQ", "CQ"},
      {"User Callsign /M", "N0CALL", ""},
  };
  for (const auto& [label, user1, user2] : cases) {
    for (int user : {1, 2}) {
      const Setting& s = setting(label, user);
      EXPECT_EQ(settingText(settingValue(s, image, user)), user == 1 ? user1 : user2)
          << label << " user " << user;
    }
  }
  EXPECT_EQ(messageBytesLeft(image), 232);
}

// Edits as dp3 set gives them: by text, checked before they reach the model;
// the main window's check boxes and lists change the image at once, the RTTY
// window's only with its Ok.
TEST(SettingsModel, EditsByTextActAsTheWindowsDo) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> edits;
    EditOutcome outcome;                                      // of the last edit
    std::vector<std::pair<std::size_t, std::uint8_t>> bytes;  // after the edits, before any Ok
  };
  const std::vector<Case> cases = {
      {{{"Weight", "abc"}}, EditOutcome::NotANumber, {}},
      {{{"Weight", "1 2"}}, EditOutcome::NotANumber, {}},
      {{{"Weight", ""}}, EditOutcome::Done, {}},
      {{{"Swap", "maybe"}}, EditOutcome::NotOnOrOff, {}},
      {{{"Keyer Mode", "Iambic C"}}, EditOutcome::NotAnEntry, {}},
      {{{"Swap", "YES"}, {"Cut 9", "1"}, {"Tune50%", "true"}},
       EditOutcome::Done,
       {{0, 0x08}, {288, 0x20}, {14, 0x20}}},
      {{{"Swap", "on"}, {"Swap", "off"}}, EditOutcome::Done, {{0, 0x00}}},
      {{{"keyer mode", "ultimdit"},
        {"Output Selection", "Port2, PTT"},
        {"Paddle Hang", "2.0 Word"}},
       EditOutcome::Done,
       {{0, 0x20}, {13, 0xB9}}},
      {{{"RTTY Enable", "on"}, {"Baud Rate", "75"}}, EditOutcome::Done, {{289, 0}}},
  };
  for (const Case& c : cases) {
    SettingsModel form(defaults(), 1);
    EditOutcome outcome = EditOutcome::Done;
    for (const auto& [label, value] : c.edits) outcome = form.edit(setting(label), value);
    EXPECT_EQ(outcome, c.outcome) << c.edits.back().first;
    for (const auto& [offset, byte] : c.bytes) EXPECT_EQ(form.image()[offset], byte) << offset;
  }
}

// The RTTY window's Ok rebuilds both bytes from what it shows.
TEST(SettingsModel, RttyOkRebuildsBothBytesFromWhatTheWindowShows) {
  struct Case {
    std::uint8_t reg;
    std::uint8_t reg2;
    std::vector<std::pair<const char*, const char*>> edits;
    std::uint8_t wantReg;
    std::uint8_t wantReg2;
  };
  const std::vector<Case> cases = {
      {0x00,
       0x00,
       {{"RTTY Enable", "on"},
        {"FSK Map", "on"},
        {"Baud Rate", "75"},
        {"Stop Bits", "1.5"},
        {"Diddle is", "Ltrs"},
        {"USOS", "On"}},
       0xA2,
       0x0D},
      {0x08, 0xF2, {}, 0x00, 0x01},  // hidden bits cleared; USOS 2 shows no entry: counts as On
      {0xFF, 0xFF, {}, 0xF7, 0x0D},
      {0x00,
       0x00,
       {{"Diddle", "on"}, {"AutoCRLF", "on"}, {"Reverse", "on"}, {"Baud Rate", "100"}},
       0x57,
       0x00},
  };
  for (const Case& c : cases) {
    for (int user : {1, 2}) {
      const std::size_t at = user == 1 ? 289 : 295;
      SettingsImage image = defaults();
      image[at] = c.reg;
      image[at + 1] = c.reg2;
      SettingsModel rtty(image, user);
      for (const auto& [label, value] : c.edits) rtty.edit(setting(label), value);
      rtty.acceptRtty();
      image[at] = c.wantReg;
      image[at + 1] = c.wantReg2;
      EXPECT_EQ(rtty.image(), image) << int(c.reg) << "/" << int(c.reg2) << " user " << user;
    }
  }
  SettingsModel none(defaults(), 1);
  for (const char* list : {"Baud Rate", "Diddle is", "Stop Bits", "USOS"})
    none.selectEntry(setting(list), -1);
  none.acceptRtty();
  EXPECT_EQ(none.image()[289], 0x00);
  EXPECT_EQ(none.image()[290], 0x0D);
}

TEST(SettingsModel, ListsShownFromTheirBits) {
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
    const SettingsModel shown(image, 1);
    EXPECT_EQ(shown.entry(setting("Keyer Mode")), c.keyerMode) << int(c.modeReg);
    EXPECT_EQ(shown.entry(setting("Output Selection")), c.output) << int(c.pinConfig);
    EXPECT_EQ(shown.entry(setting("Paddle Hang")), c.hang) << int(c.pinConfig);
  }
}

SettingsImage withTexts(const MessageTexts& texts) {
  SettingsImage image = defaults();
  image[29] = 0x04;  // User 2 PinConfig: Port1
  storeTexts(texts, image);
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
