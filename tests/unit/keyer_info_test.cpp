#include "link/keyer_info.hpp"

#include <gtest/gtest.h>

#include "sim_fixture.hpp"

namespace dp3 {
namespace {

using test::SimKeyer;

struct Identification {
  std::uint8_t variant, version, revision;
  int result;
  const char* status;
  const char* icLine;
  bool asksIcType;
};

TEST(testInterface, IdentifiesEveryVariantAndVersion) {
  const Identification cases[] = {
      {1, 31, 7, 31, "DP F/W ver 31.07", "DP IC: ORCA", true},
      {2, 31, 62, 31, "DP F/W revision 31.12", "DP IC: ROOK", true},
      {3, 31, 112, 31, "DP F/W revision 31.12", "DP IC: LARK", true},
      {4, 32, 155, 32, "DP F/W revision 32.05", "DP IC: PIKA", true},
      // Version 30 before revision 4 cannot be asked its IC type: always ORCA.
      {3, 30, 3, 30, "DP F/W ver 30.03", "DP IC: ORCA", false},
      {3, 30, 104, 30, "DP F/W revision 30.04", "DP IC: LARK", true},
      // A revision below the variant's range shows negative.
      {3, 31, 90, 31, "DP F/W revision 31.-10", "DP IC: LARK", true},
      // An IC type this program does not know keeps the IC line; 5 from a
      // keyer answering in host mode is no bootloader, just an unknown IC.
      {9, 31, 112, 31, "DP F/W ver 31.112, IC ?", "DP IC: ?", true},
      {5, 31, 112, 31, "DP F/W ver 31.112, IC ?", "DP IC: ?", true},
      // Too old: refused before the IC is asked.
      {3, 29, 112, -1, "Only supports DP3", "DP IC: ?", false},
  };
  for (const auto& c : cases) {
    SimConfig config;
    config.variant = c.variant;
    config.version = c.version;
    config.revision = c.revision;
    SimKeyer sim(config);
    const InterfaceTest result = testInterface(sim.ui, sim.link, sim.keyer);
    SCOPED_TRACE(c.status);
    EXPECT_EQ(result.failed() ? -1 : result.version, c.result);
    EXPECT_EQ(result.kind == InterfaceTest::Kind::Firmware, c.result > 0);
    EXPECT_FALSE(sim.keyer.bootloaderOnly);
    EXPECT_EQ(sim.ui.text(4061), c.status);
    EXPECT_EQ(sim.ui.text(4079), c.icLine);
    std::vector<std::uint8_t> frames = {0x00, 0x04, 0x55, 0x00, 0x09, 0x00, 0x17};
    if (c.asksIcType) frames.insert(frames.end(), {0x00, 0x18});
    EXPECT_EQ(sim.wire(), frames);
    EXPECT_TRUE(sim.link.portOpenFlag());
    if (c.result > 0) {
      EXPECT_EQ(sim.keyer.firmwareVersion, c.version);
      EXPECT_EQ(sim.keyer.icVariant, c.asksIcType ? c.variant : 1);
    }
  }
}

TEST(testInterface, TooOldFirmwareKeepsThePreviousVariant) {
  SimConfig config;
  config.version = 29;
  SimKeyer sim(config);
  sim.keyer.icVariant = 2;
  EXPECT_TRUE(testInterface(sim.ui, sim.link, sim.keyer).failed());
  EXPECT_EQ(sim.keyer.icVariant, 2);
}

TEST(testInterface, EchoFailures) {
  const struct {
    FaultKind fault;
    bool bootloaderOnly;
    InterfaceTest::Kind result;
    const char* status;
  } cases[] = {
      {FaultKind::Silence, false, InterfaceTest::Kind::Failed, "DP Fail:no response"},
      {FaultKind::WrongEcho, false, InterfaceTest::Kind::Failed, "DP Fail:echo mismatch"},
      {FaultKind::None, true, InterfaceTest::Kind::BootloaderOnly, "DP Fail:No O/S"},
  };
  for (const auto& c : cases) {
    SimConfig config;
    config.fault.kind = c.fault;
    config.bootloaderOnly = c.bootloaderOnly;
    SimKeyer sim(config);
    EXPECT_EQ(testInterface(sim.ui, sim.link, sim.keyer).kind, c.result) << c.status;
    EXPECT_EQ(sim.ui.text(4061), c.status);
    EXPECT_EQ(sim.ui.text(4079), "DP IC: ?");
    // No version frames follow a failed or bootloader echo.
    EXPECT_EQ(sim.wire(), test::bytes({0x00, 0x04, 0x55})) << c.status;
    EXPECT_EQ(sim.keyer.bootloaderOnly, c.bootloaderOnly);
    EXPECT_EQ(sim.keyer.icVariant, 0);
  }
}

TEST(testInterface, OpenFailuresShowTheirTextAndSendNothing) {
  const struct {
    int code;
    const char* status;
    bool portOpen;
  } cases[] = {
      {-4, "DP Fail:comm open", false},      {-5, "DP Fail:get comm state", true},
      {-6, "DP Fail:set comm state", true},  {-10, "DP Fail:comm purge", true},
      {-7, "Comm Fail:unknown error", true},
  };
  for (const auto& c : cases) {
    SimKeyer sim;
    sim.link.failOpenWith(c.code);
    EXPECT_TRUE(testInterface(sim.ui, sim.link, sim.keyer).failed());
    EXPECT_EQ(sim.ui.text(4061), c.status);
    EXPECT_EQ(sim.link.portOpenFlag(), c.portOpen) << c.status;
    EXPECT_TRUE(sim.wire().empty());
  }
}

TEST(testInterface, UsesAnOpenPortAsItIs) {
  SimKeyer sim;
  ASSERT_EQ(sim.link.commOpen(), 0);
  sim.link.failOpenWith(-4);  // would fail if the test opened again
  EXPECT_EQ(testInterface(sim.ui, sim.link, sim.keyer).version, 31);
}

}  // namespace
}  // namespace dp3
