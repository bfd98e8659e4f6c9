#include "window_logic/keyer_commands.hpp"

#include <gtest/gtest.h>

#include "sim_fixture.hpp"
#include "window_logic/settings_form_view.hpp"

namespace dp3 {
namespace {

using test::SimKeyer;

TEST(testCommand, ShowsStatusAndReadingsPerVariant) {
  const struct {
    std::uint8_t variant, revision;
    bool showsButtons;
  } cases[] = {{1, 12, true}, {2, 62, true}, {3, 112, true}, {4, 162, false}};
  for (const auto& c : cases) {
    SimConfig config;
    config.variant = c.variant;
    config.revision = c.revision;
    config.pot = 21;
    config.buttons = 3;
    config.supply = 52;
    SimKeyer sim(config);
    sim.ui.setText(4075, "PB:9");  // from an earlier test: cleared first
    EXPECT_EQ(testCommand(sim.ui, sim.link, sim.keyer).version, 31);
    EXPECT_EQ(sim.ui.text(4059), ">DP OK");
    EXPECT_EQ(sim.ui.text(4060), "PotValue: 21");
    EXPECT_EQ(sim.ui.text(4075), c.showsButtons ? "PB:3" : "");
    EXPECT_EQ(sim.ui.text(4070), "5.04 Volts");
    auto frames = test::kTestFrames;
    frames.insert(frames.end(), {0x00, 0x06});
    if (c.showsButtons) frames.insert(frames.end(), {0x00, 0x05});
    frames.insert(frames.end(), {0x00, 0x15});
    EXPECT_EQ(sim.wire(), frames) << "variant " << int(c.variant);
  }
}

TEST(testCommand, OutcomesOfTheInterfaceTest) {
  const struct {
    bool bootloaderOnly;
    FaultKind fault;
    const char* status;
  } cases[] = {
      {true, FaultKind::None, ">DP NOS"},
      {false, FaultKind::Silence, ">DP ERR"},
  };
  for (const auto& c : cases) {
    SimConfig config;
    config.bootloaderOnly = c.bootloaderOnly;
    config.fault.kind = c.fault;
    SimKeyer sim(config);
    sim.ui.setText(4060, "PotValue: 1");
    testCommand(sim.ui, sim.link, sim.keyer);
    EXPECT_EQ(sim.ui.text(4059), c.status);
    EXPECT_EQ(sim.ui.text(4060), "");
    EXPECT_EQ(sim.ui.text(4070), "");
  }
}

TEST(VoltsText, FormulaAndZeroReading) {
  EXPECT_EQ(voltsText(52), "5.04 Volts");
  EXPECT_EQ(voltsText(255), "1.03 Volts");
  EXPECT_EQ(voltsText(1), "262.14 Volts");
  EXPECT_EQ(voltsText(0), "-.-- Volts");
}

TEST(readCommand, FillsTheImageFromBothBlocks) {
  SimKeyer sim;
  for (std::size_t i = 0; i < kImageSize; ++i) sim.model.memory()[i] = static_cast<std::uint8_t>(i);
  SettingsImage image{};
  EXPECT_EQ(readCommand(sim.ui, sim.link, sim.keyer, image), CommandOutcome::Done);
  EXPECT_EQ(image, sim.model.memory());
  EXPECT_EQ(sim.ui.text(4059), ">Done");
  auto frames = test::kTestFrames;
  frames.insert(frames.end(), {0x00, 0x0C, 0x00, 0x1A});
  EXPECT_EQ(sim.wire(), frames);
}

TEST(readCommand, AFailedReadKeepsTheOperatorsImage) {
  const struct {
    FaultKind fault;
    const char* status;
  } cases[] = {
      {FaultKind::ShortDump, ">Read Failed"},
      {FaultKind::Disconnect, ">Read Failed"},
      {FaultKind::Silence, ">DP ERR"},
  };
  for (const auto& c : cases) {
    SimConfig config;
    config.fault.kind = c.fault;
    SimKeyer sim(config);
    SettingsImage image;
    image.fill(0x5A);
    EXPECT_EQ(readCommand(sim.ui, sim.link, sim.keyer, image), CommandOutcome::KeyerFailed);
    EXPECT_EQ(sim.ui.text(4059), c.status);
    for (std::uint8_t b : image) ASSERT_EQ(b, 0x5A) << c.status;
  }
}

// Read and Write need firmware that holds the settings: a keyer that runs only
// its bootloader, or runs version 30, is told why and nothing past the
// interface test goes on the line.
TEST(SettingsCommands, RefuseAKeyerThatCannotHoldSettings) {
  const struct {
    bool bootloaderOnly;
    std::uint8_t version;
    const char* status;
    const char* why;
  } keyers[] = {
      {true, 31, ">DP NOS", "runs only its bootloader"},
      {false, 30, ">DP ERR", "version 30 cannot hold these settings"},
  };
  for (const auto& k : keyers) {
    for (bool write : {false, true}) {
      SimConfig config;
      config.bootloaderOnly = k.bootloaderOnly;
      config.version = k.version;
      SimKeyer sim(config);
      SettingsImage image{};
      resetSettingsImage(image);
      showUserSettings(sim.ui, image, 1);
      const SettingsImage before = image;
      const CommandOutcome outcome =
          write ? writeCommand(sim.ui, sim.link, sim.keyer, image, 1).outcome
                : readCommand(sim.ui, sim.link, sim.keyer, image);
      SCOPED_TRACE(std::string(k.why) + (write ? " write" : " read"));
      EXPECT_EQ(outcome, CommandOutcome::NeedsFirmware);
      EXPECT_EQ(sim.ui.text(4059), k.status);
      ASSERT_EQ(sim.ui.messages.size(), 1u);
      EXPECT_NE(sim.ui.messages[0].text.find(k.why), std::string::npos) << sim.ui.messages[0].text;
      EXPECT_NE(sim.ui.messages[0].text.find("then try again"), std::string::npos);
      EXPECT_EQ(image, before);
      const auto wire = sim.wire();
      EXPECT_EQ(wire, k.bootloaderOnly ? test::bytes({0x00, 0x04, 0x55}) : test::kTestFrames);
    }
  }
}

// A keyer that sends the settings but not the extension bytes.
class NoExtensionLink : public SimLink {
 public:
  using SimLink::SimLink;
  bool commRead(std::span<std::uint8_t> bytes) override {
    if (bytes.size() == kExtensionBlockSize) return false;
    return SimLink::commRead(bytes);
  }
};

TEST(readCommand, MissingExtensionBytesKeepTheWholeImage) {
  KeyerModel model;
  NoExtensionLink link(model);
  MapSurface ui;
  KeyerInfo keyer;
  SettingsImage image{};
  image.fill(0x11);
  EXPECT_EQ(readCommand(ui, link, keyer, image), CommandOutcome::KeyerFailed);
  EXPECT_EQ(ui.text(4059), ">Read Failed");
  for (std::uint8_t b : image) ASSERT_EQ(b, 0x11);
}

}  // namespace
}  // namespace dp3
