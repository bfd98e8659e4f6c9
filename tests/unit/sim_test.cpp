// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <gtest/gtest.h>

#include "settings/morse_code.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_config.hpp"

namespace dp3 {
namespace {

TEST(KeyerModel, IgnoresBytesOutsideFramesAndUnknownCommands) {
  KeyerModel model;
  for (std::uint8_t b : {0x55, 0x09, 0x00, 0x07, 0x00, 0x09}) model.receive(b);
  ASSERT_EQ(model.output().size(), 1u);
  EXPECT_EQ(model.output().front(), 31);
  EXPECT_EQ(model.received().size(), 6u);
}

TEST(KeyerModel, PresetMemoryHoldsDefaultsAndPackedMessages) {
  const SettingsImage memory = KeyerModel::presetMemory();
  EXPECT_EQ(memory[3], 50);               // Weight default
  EXPECT_EQ(memory[32 + 1], 15);          // message 1 starts the text area
  EXPECT_EQ(memory[47], morseCode('C'));  // "CQ ..."
  const std::uint8_t free = memory[32];
  EXPECT_EQ(memory[32 + free - 1] & kEndMark, kEndMark);  // last text ends marked
  EXPECT_EQ(memory[32 + 13], free - 6);                   // the User 1 callsign comes last
}

TEST(SimConfig, ParsesNamesOnTheCommandLine) {
  EXPECT_EQ(parseVariant("lark"), 3);
  EXPECT_EQ(parseVariant("NONE"), 0);
  EXPECT_EQ(parseVariant("OWL"), std::nullopt);
  EXPECT_EQ(parseFault("short-dump")->kind, FaultKind::ShortDump);
  EXPECT_FALSE(parseFault("boom").has_value());
}

}  // namespace
}  // namespace dp3
