// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// What a verify names when the keyer read back other bits than it was sent.
#include "settings/settings_verify.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dp3 {
namespace {

TEST(DifferingFields, NamesTheFieldOfEachChangedBit) {
  const struct {
    std::size_t offset;
    std::uint8_t flipped;  // the bits the keyer stored the other way
    std::vector<std::string> names;
  } rows[] = {
      {14, 0x00, {}},
      {14, 0x01, {"User 1 LtrSpace"}},  // SpacingReg bits 4-0
      {14, 0x10, {"User 1 LtrSpace"}},
      {30, 0x10, {"User 2 LtrSpace"}},
      {14, 0x20, {"User 1 Tune50%"}},
      {14, 0xC0, {"image byte 14"}},  // the user and bank shown: no field
      {289, 0x10, {"User 1 AutoCRLF"}},
      {298, 0x01, {"User 2 S/N"}},
  };
  SettingsImage sent{};
  resetSettingsImage(sent);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.offset);
    SettingsImage got = sent;
    got[row.offset] ^= row.flipped;
    EXPECT_EQ(differingFields(sent, got), row.names);
  }
}

}  // namespace
}  // namespace dp3
