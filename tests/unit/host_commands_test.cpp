// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/host_commands.hpp"

#include <gtest/gtest.h>

#include <span>

#include "sim_fixture.hpp"

namespace dp3 {
namespace {

using test::SimKeyer;

TEST(HostCommands, QueriesSendTheirFrameAndReturnTheReply) {
  SimConfig config;
  config.pot = 33;
  config.buttons = 2;
  config.supply = 60;
  const struct {
    std::optional<std::uint8_t> (*query)(Link&);
    std::uint8_t code;
    std::uint8_t reply;
  } cases[] = {
      {getPotValue, 0x06, 33},
      {getPushButtons, 0x05, 2},
      {getSupplyVoltage, 0x15, 60},
      {getIcType, 0x18, 3},
  };
  for (const auto& c : cases) {
    SimKeyer sim(config);
    ASSERT_EQ(sim.link.commOpen(), 0);
    EXPECT_EQ(c.query(sim.link), c.reply);
    EXPECT_EQ(sim.wire(), test::bytes({0x00, c.code}));
  }
}

TEST(HostCommands, QueryOfASilentKeyerGivesNoReplyAfterTheReadTimeout) {
  SimConfig config;
  config.fault.kind = FaultKind::Silence;
  SimKeyer sim(config);
  ASSERT_EQ(sim.link.commOpen(), 0);
  const auto before = sim.link.elapsed();
  EXPECT_EQ(getPotValue(sim.link), std::nullopt);
  EXPECT_GE(sim.link.elapsed() - before, kReadTimeout);
}

TEST(HostCommands, EnterBootloaderSendsItsArgumentAndTheKeyerSwitches) {
  SimKeyer sim;
  ASSERT_EQ(sim.link.commOpen(), 0);
  ASSERT_TRUE(enterBootloader(sim.link));
  EXPECT_EQ(sim.wire(), test::bytes({0x00, 0x10, 0x9B}));
  EXPECT_EQ(sim.model.mode(), KeyerModel::Mode::Bootloader);
  EXPECT_EQ(queryByte(sim.link, host::kEchoTest), 0xAA);
}

// Every frame of the table, as the line carries it: the simulated keyer
// answers with exactly the reply size and stores exactly the block sent.
TEST(HostCommands, TheSimulatedKeyerAnswersEveryCommandOfTheTable) {
  for (const HostCommand& c : kHostCommands) {
    SCOPED_TRACE(std::string(c.name));
    SimKeyer sim;
    ASSERT_EQ(sim.link.commOpen(), 0);
    std::vector<std::uint8_t> frame = {0x00, c.code};
    if (c.argument) frame.push_back(*c.argument);
    std::vector<std::uint8_t> block(c.blockSent);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 3 + 1);
    frame.insert(frame.end(), block.begin(), block.end());
    ASSERT_TRUE(sim.link.commWrite(frame));

    std::vector<std::uint8_t> reply(c.replySize);
    EXPECT_TRUE(sim.link.commRead(reply));
    std::uint8_t extra = 0;
    EXPECT_FALSE(sim.link.commRead(std::span(&extra, 1))) << "more than the reply";
    if (!block.empty()) {
      const std::size_t at = block.size() == kSettingsBlockSize ? 0 : kExtensionOffset;
      EXPECT_TRUE(std::equal(block.begin(), block.end(), sim.model.memory().begin() + at));
    }
    const bool restarts = c.code == host::kEnterBootloader;
    EXPECT_EQ(sim.model.mode() == KeyerModel::Mode::Bootloader, restarts);
  }
}

TEST(HostCommands, EveryCodeHasOneTableEntry) {
  for (const HostCommand& c : kHostCommands) {
    EXPECT_EQ(findHostCommand(c.code), &c) << c.name;
  }
  EXPECT_EQ(findHostCommand(0x07), nullptr);
}

}  // namespace
}  // namespace dp3
