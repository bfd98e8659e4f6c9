#include "settings/mode_controls.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "settings/rtty.hpp"
#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"

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
    int box;
    std::size_t user1;
    std::size_t user2;
    std::uint8_t mask;
  };
  const std::vector<Case> cases = {
      {id::kSwap, 0, 16, 0x08},           {id::kAutoSpace, 0, 16, 0x02},
      {id::kCtSpace, 0, 16, 0x01},        {id::kPdlWdOff, 0, 16, 0x80},
      {id::kCut0, 288, 294, 0x10},        {id::kCut9, 288, 294, 0x20},
      {id::kPdlToneOnly, 288, 294, 0x08}, {id::kPaddleMute, 288, 294, 0x02},
      {id::kFastCmd, 288, 294, 0x40},     {id::kSo2r, 288, 294, 0x04},
      {id::kFaveWpmOff, 288, 294, 0x01},  {id::kTune50, 14, 30, 0x20},
  };
  for (const Case& c : cases) {
    for (int user : {1, 2}) {
      const std::size_t at = user == 1 ? c.user1 : c.user2;
      SettingsImage image = defaults();
      image[at] = 0x5A;
      const SettingsImage before = image;
      const bool expectOn = (0x5A & c.mask) == 0;
      EXPECT_EQ(toggleModeBit(image, user, c.box), expectOn) << c.box;
      EXPECT_EQ(image[at], 0x5A ^ c.mask) << c.box << " user " << user;
      EXPECT_EQ(changed(before, image), std::vector<std::size_t>{at}) << c.box;
      EXPECT_EQ(toggleModeBit(image, user, c.box), !expectOn);
      EXPECT_EQ(image, before);
    }
  }
  SettingsImage image = defaults();
  EXPECT_FALSE(toggleModeBit(image, 1, id::kWeight));
  EXPECT_EQ(image, defaults());
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

// The RTTY window: what Ok makes of the controls, and what Open shows.
TEST(Rtty, OkRebuildsBothBytesFromTheControls) {
  struct Case {
    std::uint8_t reg;
    std::uint8_t reg2;
    std::vector<int> checks;             // boxes to check after opening (on top of what is shown)
    int baud, diddleIs, stopBits, usos;  // -2: leave as shown
    std::uint8_t wantReg;
    std::uint8_t wantReg2;
  };
  const std::vector<Case> cases = {
      {0x00, 0x00, {id::kRttyEnable, id::kRttyFskMap}, 2, 1, 1, 1, 0xA2, 0x0D},
      {0x08, 0xF2, {}, -2, -2, -2, -2, 0x00, 0x01},
      {0xFF, 0xFF, {}, -2, -2, -2, -2, 0xF7, 0x0D},
      {0x00, 0x00, {id::kRttyDiddle, id::kRttyAutoCrLf, id::kRttyReverse}, 3, 0, 0, 0, 0x57, 0x00},
      {0x00, 0x00, {}, -1, -1, -1, -1, 0x00, 0x0D},
  };
  for (const Case& c : cases) {
    for (int user : {1, 2}) {
      const std::size_t at = user == 1 ? 289 : 295;
      SettingsImage image = defaults();
      image[at] = c.reg;
      image[at + 1] = c.reg2;
      const SettingsImage before = image;
      MapSurface rtty;
      openRttyWindow(rtty, image, user);
      for (int box : c.checks) rtty.setChecked(box, true);
      if (c.baud != -2) rtty.selectEntry(id::kRttyBaudRate, c.baud);
      if (c.diddleIs != -2) rtty.selectEntry(id::kRttyDiddleIs, c.diddleIs);
      if (c.stopBits != -2) rtty.selectEntry(id::kRttyStopBits, c.stopBits);
      if (c.usos != -2) rtty.selectEntry(id::kRttyUsos, c.usos);
      acceptRttyWindow(rtty, image, user);
      EXPECT_EQ(image[at], c.wantReg) << int(c.reg) << "/" << int(c.reg2) << " user " << user;
      EXPECT_EQ(image[at + 1], c.wantReg2) << int(c.reg) << "/" << int(c.reg2) << " user " << user;
      for (std::size_t offset : changed(before, image)) {
        EXPECT_TRUE(offset == at || offset == at + 1) << "stray change at " << offset;
      }
    }
  }
}

}  // namespace
}  // namespace dp3
