// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/mode_controls.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "settings/settings_fields.hpp"

namespace dp3 {
namespace {

SettingsImage defaults() {
  SettingsImage image{};
  resetSettingsImage(image);
  return image;
}

// Offsets that differ between two images.
std::vector<std::size_t> changed(const SettingsImage& a, const SettingsImage& b) {
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) offsets.push_back(i);
  }
  return offsets;
}

TEST(ModeControls, EachCheckBoxFlipsOneBitOfTheUsersByte) {
  struct Case {
    std::string_view box;
    std::size_t user1;
    std::size_t user2;
    std::uint8_t mask;
  };
  const std::vector<Case> cases = {
      {"Swap", 0, 16, 0x08},           {"AutoSpace", 0, 16, 0x02},     {"CTspace", 0, 16, 0x01},
      {"PdlWDoff", 0, 16, 0x80},       {"Cut 0", 288, 294, 0x10},      {"Cut 9", 288, 294, 0x20},
      {"PdlToneOnly", 288, 294, 0x08}, {"PaddleMute", 288, 294, 0x02}, {"FastCmd", 288, 294, 0x40},
      {"SO2R", 288, 294, 0x04},        {"FaveWpmOff", 288, 294, 0x01}, {"Tune50%", 14, 30, 0x20},
  };
  ASSERT_EQ(cases.size(), kModeBits.size());
  for (const Case& c : cases) {
    const auto row = std::find_if(kModeBits.begin(), kModeBits.end(),
                                  [&c](const BitField& bit) { return bit.label == c.box; });
    ASSERT_NE(row, kModeBits.end()) << c.box;
    for (int user : {1, 2}) {
      const std::size_t at = user == 1 ? c.user1 : c.user2;
      SettingsImage image = defaults();
      image[at] = 0x5A;
      const SettingsImage before = image;
      const bool expectOn = (0x5A & c.mask) == 0;
      EXPECT_EQ(toggleBit(*row, image, user), expectOn) << c.box;
      EXPECT_EQ(image[at], 0x5A ^ c.mask) << c.box << " user " << user;
      EXPECT_EQ(changed(before, image), std::vector<std::size_t>{at}) << c.box;
      EXPECT_EQ(toggleBit(*row, image, user), !expectOn);
      EXPECT_EQ(image, before);
    }
  }
}

TEST(ModeControls, ListSelectionsWriteTheirEncodings) {
  enum List { Mode, Output, Hang };
  struct Case {
    List list;
    int entry;
    std::uint8_t modeReg;    // from 0xFF
    std::uint8_t pinConfig;  // from 0xFF
  };
  const std::vector<Case> cases = {
      {Mode, 0, 0xDF, 0xFF},   {Mode, 1, 0xCF, 0xFF},    {Mode, 2, 0xEF, 0x3F},
      {Mode, 3, 0xEF, 0xBF},   {Mode, 4, 0xEF, 0x7F},    {Mode, 5, 0xFF, 0xFF},
      {Output, 0, 0xFF, 0xF4}, {Output, 1, 0xFF, 0xF6},  {Output, 2, 0xFF, 0xF5},
      {Output, 3, 0xFF, 0xF7}, {Output, 4, 0xFF, 0xF8},  {Output, 5, 0xFF, 0xFA},
      {Output, 6, 0xFF, 0xF9}, {Output, 7, 0xFF, 0xFB},  {Hang, 0, 0xFF, 0xCF},
      {Hang, 1, 0xFF, 0xDF},   {Hang, 2, 0xFF, 0xEF},    {Hang, 3, 0xFF, 0xFF},
      {Mode, -1, 0xFF, 0xFF},  {Output, -1, 0xFF, 0xFF}, {Hang, -1, 0xFF, 0xFF},
  };
  for (const Case& c : cases) {
    for (int user : {1, 2}) {
      const std::size_t base = user == 1 ? 0 : 16;
      SettingsImage image = defaults();
      image[base + 0] = 0xFF;
      image[base + 13] = 0xFF;
      const SettingsImage before = image;
      if (c.list == Mode) selectKeyerMode(image, user, c.entry);
      if (c.list == Output) selectOutput(image, user, c.entry);
      if (c.list == Hang) selectPaddleHang(image, user, c.entry);
      EXPECT_EQ(image[base + 0], c.modeReg) << c.list << "/" << c.entry;
      EXPECT_EQ(image[base + 13], c.pinConfig) << c.list << "/" << c.entry;
      for (std::size_t at : changed(before, image)) {
        EXPECT_TRUE(at == base || at == base + 13) << "stray change at " << at;
      }
    }
  }
}

TEST(ModeControls, UserAndBankMarksLiveInUserOnesSpacingReg) {
  SettingsImage image = defaults();
  image[14] = 0x25;
  image[30] = 0x00;
  markActiveUser(image, 2);
  EXPECT_EQ(image[14], 0xA5);
  markMessageBank(image, 2);
  EXPECT_EQ(image[14], 0xE5);
  markActiveUser(image, 1);
  EXPECT_EQ(image[14], 0x65);
  markMessageBank(image, 1);
  EXPECT_EQ(image[14], 0x25);
  EXPECT_EQ(image[30], 0x00);
}

}  // namespace
}  // namespace dp3
