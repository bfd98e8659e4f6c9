// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/keyer_info.hpp"

#include <gtest/gtest.h>

#include "sim_fixture.hpp"

namespace dp3 {
namespace {

using test::SimKeyer;
using Kind = InterfaceTest::Kind;

struct Identification {
  std::uint8_t variant, version, revision;
  Kind kind;
  std::optional<std::uint8_t> icType;  // as the test found it
  bool asksIcType;
};

TEST(testInterface, IdentifiesEveryVariantAndVersion) {
  const Identification cases[] = {
      {1, 31, 7, Kind::Firmware, 1, true},
      {2, 31, 62, Kind::Firmware, 2, true},
      {3, 31, 112, Kind::Firmware, 3, true},
      {4, 32, 155, Kind::Firmware, 4, true},
      // Version 30 before revision 4 cannot be asked its IC type: always ORCA.
      {3, 30, 3, Kind::Firmware, 1, false},
      {3, 30, 104, Kind::Firmware, 3, true},
      // An IC type this program does not know; 5 from a keyer answering in
      // host mode is no bootloader, just an unknown IC.
      {9, 31, 112, Kind::Firmware, 9, true},
      {5, 31, 112, Kind::Firmware, 5, true},
      // Too old: refused before the IC is asked; the IC stays as it was.
      {3, 29, 112, Kind::TooOld, std::nullopt, false},
  };
  for (const auto& c : cases) {
    SimConfig config;
    config.variant = c.variant;
    config.version = c.version;
    config.revision = c.revision;
    SimKeyer sim(config);
    sim.keyer.icVariant = 2;  // from an earlier test
    const InterfaceTest result = testInterface(sim.link, sim.keyer);
    SCOPED_TRACE(std::to_string(c.version) + "." + std::to_string(c.revision));
    EXPECT_EQ(result.kind, c.kind);
    EXPECT_EQ(result.version, c.version);
    EXPECT_EQ(result.revision, c.revision);
    EXPECT_EQ(result.icType, c.icType);
    EXPECT_FALSE(sim.keyer.bootloaderOnly);
    const auto& all = test::kTestFrames;  // the last two ask the IC type
    EXPECT_EQ(sim.wire(),
              std::vector<std::uint8_t>(all.begin(), all.end() - (c.asksIcType ? 0 : 2)));
    EXPECT_TRUE(sim.link.portOpenFlag());
    EXPECT_EQ(sim.keyer.firmwareVersion, c.version);
    EXPECT_EQ(sim.keyer.icVariant, c.icType.value_or(2));
  }
}

// No answer to the IC type query leaves no IC known, never an IC type of 0
// that a keyer could have sent.
TEST(testInterface, AnIcTypeThatDoesNotComeIsNone) {
  KeyerModel model;
  test::UnansweredLink link(model, 0x18);
  KeyerInfo keyer;
  const InterfaceTest result = testInterface(link, keyer);
  EXPECT_EQ(result.kind, Kind::Firmware);
  EXPECT_EQ(result.icType, std::nullopt);
  EXPECT_EQ(result.ic(), nullptr);
  EXPECT_EQ(keyer.icVariant, 0);
}

TEST(testInterface, EchoFailuresCarryTheKeyersByte) {
  const struct {
    FaultKind fault;
    bool bootloaderOnly;
    Kind kind;
    std::uint8_t echo;
  } cases[] = {
      {FaultKind::Silence, false, Kind::NoAnswer, 0},
      {FaultKind::WrongEcho, false, Kind::EchoMismatch, 0x41},
      {FaultKind::None, true, Kind::BootloaderOnly, 0},
  };
  for (const auto& c : cases) {
    SimConfig config;
    config.fault.kind = c.fault;
    config.bootloaderOnly = c.bootloaderOnly;
    SimKeyer sim(config);
    const InterfaceTest result = testInterface(sim.link, sim.keyer);
    EXPECT_EQ(result.kind, c.kind) << int(c.kind);
    EXPECT_EQ(result.echo, c.echo);
    EXPECT_EQ(result.failed(), !c.bootloaderOnly);
    // No version frames follow a failed or bootloader echo.
    EXPECT_EQ(sim.wire(), test::bytes({0x00, 0x04, 0x55})) << int(c.kind);
    EXPECT_EQ(sim.keyer.bootloaderOnly, c.bootloaderOnly);
    EXPECT_EQ(sim.keyer.icVariant, 0);
  }
}

TEST(testInterface, OpenFailuresCarryTheCodeAndReasonAndSendNothing) {
  const struct {
    int code;
    bool portOpen;
  } cases[] = {{-4, false}, {-5, true}, {-6, true}, {-10, true}, {-7, true}};
  for (const auto& c : cases) {
    SimKeyer sim;
    sim.link.failOpenWith(c.code);
    const InterfaceTest result = testInterface(sim.link, sim.keyer);
    EXPECT_EQ(result.kind, Kind::NotOpened);
    EXPECT_EQ(result.openCode, c.code);
    EXPECT_EQ(result.openReason, "simulated failure");
    EXPECT_EQ(sim.link.portOpenFlag(), c.portOpen) << c.code;
    EXPECT_TRUE(sim.wire().empty());
  }
}

TEST(testInterface, UsesAnOpenPortAsItIs) {
  SimKeyer sim;
  ASSERT_EQ(sim.link.commOpen(), 0);
  sim.link.failOpenWith(-4);  // would fail if the test opened again
  EXPECT_EQ(testInterface(sim.link, sim.keyer).version, 31);
}

}  // namespace
}  // namespace dp3
