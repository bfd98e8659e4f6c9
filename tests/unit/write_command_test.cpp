#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "settings/messages.hpp"
#include "settings/mode_controls.hpp"
#include "settings/settings_form.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"
#include "window_logic/keyer_commands.hpp"

namespace dp3 {
namespace {

// A line that drops its Nth write (0: none): the keyer never takes those bytes.
// It notes when each write was handed to it and when its last byte had arrived.
class DroppingLink : public SimLink {
 public:
  DroppingLink(KeyerModel& model, int failingWrite) : SimLink(model), failingWrite_(failingWrite) {}
  bool commWrite(std::span<const std::uint8_t> bytes) override {
    const auto handed = elapsed();
    if (++writes_ == failingWrite_ || !SimLink::commWrite(bytes)) return false;
    sent_.push_back({bytes.size(), handed, lineIdleAt()});
    return true;
  }
  struct Sent {
    std::size_t size;
    std::chrono::microseconds handed;
    std::chrono::microseconds arrived;
  };
  int writes_ = 0;
  std::vector<Sent> sent_;

 private:
  int failingWrite_;
};

TEST(writeCommand, SendsOnlyWhatTheFormTakesAndReportsLostWrites) {
  // The interface test's writes and bytes, which come first every time.
  KeyerModel probe;
  DroppingLink probeLink(probe, 0);
  MapSurface probeUi;
  KeyerInfo probeKeyer;
  testInterface(probeUi, probeLink, probeKeyer);
  const int t = probeLink.writes_;

  struct Case {
    int failingWrite;  // after the interface test: 1 extension frame, 2 its block, 3, 4 settings
    int control;
    const char* text;
    bool sent;
    const char* status;
    const char* message;
  };
  const std::vector<Case> cases = {
      {0, id::kMsg1, "CQ", true, "Done", ""},
      {0, id::kWeight, "5", false, ">DP OK", "Weight must be between 10 and 90"},
      {0, id::kMsg7, "#", false, ">DP OK",
       "Msg 7 holds \"#\", which has no Morse code. Remove it before storing."},
      {1, id::kMsg1, "CQ", false, ">Write Failed", ""},
      {2, id::kMsg1, "CQ", false, ">Write Failed", ""},
      {3, id::kMsg1, "CQ", false, ">Write Failed", ""},
      {4, id::kMsg1, "CQ", false, ">Write Failed", ""},
  };
  for (const Case& c : cases) {
    KeyerModel model;
    DroppingLink link(model, c.failingWrite ? t + c.failingWrite : 0);
    KeyerInfo keyer;
    keyer.settingsBackedUp = true;  // the backup read has its own test
    MapSurface ui;
    SettingsImage image{};
    resetSettingsImage(image);
    showUserSettings(ui, image, 1);
    ui.setText(id::kOperationStatus, ">DP OK");
    ui.setText(c.control, c.text);
    EXPECT_EQ(writeCommand(ui, link, keyer, image, 1).outcome == CommandOutcome::Done, c.sent)
        << c.failingWrite << c.text;
    EXPECT_EQ(ui.text(id::kOperationStatus), c.status) << c.failingWrite << c.text;
    EXPECT_EQ(ui.messages.empty() ? "" : ui.messages[0].text, std::string(c.message));
    if (c.failingWrite) {
      EXPECT_EQ(link.writes_, t + c.failingWrite) << "nothing after a lost write";
    }
    if (*c.message) {
      EXPECT_EQ(model.received(), probe.received()) << "only the interface test";
    }
    if (c.sent) {
      std::vector<std::uint8_t> wire = probe.received();
      wire.insert(wire.end(), {0x00, 0x1B});
      wire.insert(wire.end(), image.begin() + 288, image.end());
      wire.insert(wire.end(), {0x00, 0x0D});
      wire.insert(wire.end(), image.begin(), image.begin() + 288);
      wire.insert(wire.end(), {0x00, 0x0C, 0x00, 0x1A});  // read back
      EXPECT_EQ(model.received(), wire);
      EXPECT_EQ(image[32], 17) << "messages packed";
      // The keyer's 3 s to store start when the settings block has arrived.
      const auto block = std::find_if(link.sent_.begin(), link.sent_.end(),
                                      [](const auto& sent) { return sent.size == 288; });
      ASSERT_TRUE(block != link.sent_.end() && block + 1 != link.sent_.end());
      EXPECT_EQ((block + 1)->handed - block->arrived, std::chrono::milliseconds(3000));
    }
  }
}

// After the 3 s the keyer gets to store, both blocks are read back and
// compared field by field with what was sent.
TEST(writeCommand, VerifiesWhatTheKeyerStored) {
  struct Case {
    FaultKind fault;
    int offset;  // the byte the keyer stores wrongly
    bool verify;
    CommandOutcome outcome;
    std::vector<std::string> differences;
  };
  const std::vector<Case> cases = {
      {FaultKind::None, 0, true, CommandOutcome::Done, {}},
      {FaultKind::BadStore, 3, true, CommandOutcome::VerifyFailed, {"User 1 Weight"}},
      {FaultKind::BadStore, 19, true, CommandOutcome::VerifyFailed, {"User 2 Weight"}},
      {FaultKind::BadStore, 299, true, CommandOutcome::VerifyFailed, {"User 2 S/N"}},
      {FaultKind::BadStore,
       290,
       true,
       CommandOutcome::VerifyFailed,
       {"User 1 Diddle is", "User 1 Stop Bits", "User 1 USOS"}},
      {FaultKind::BadStore, 47, true, CommandOutcome::VerifyFailed, {"Msg 1"}},
      {FaultKind::BadStore, 250, true, CommandOutcome::VerifyFailed, {"image byte 250"}},
      {FaultKind::BadStore, 3, false, CommandOutcome::Done, {}},
      {FaultKind::ShortDump,
       0,
       true,
       CommandOutcome::VerifyFailed,
       {"the keyer did not send its settings back"}},
  };
  for (const Case& c : cases) {
    SimConfig config;
    config.fault = {c.fault, 0, c.offset};
    KeyerModel model(config);
    SimLink link(model);
    KeyerInfo keyer;
    keyer.settingsBackedUp = true;
    MapSurface ui;
    SettingsImage image{};
    resetSettingsImage(image);
    showUserSettings(ui, image, 1);
    ui.setText(id::kMsg1, "CQ");
    const WriteResult result = writeCommand(ui, link, keyer, image, 1, c.verify);
    SCOPED_TRACE(std::to_string(c.offset) + (c.verify ? " verified" : " unverified"));
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.differences, c.differences);
    EXPECT_EQ(ui.text(id::kOperationStatus),
              c.outcome == CommandOutcome::Done ? "Done" : ">Verify Failed");
    // The interface test, both blocks, then the read-back frames (the second
    // only after a whole first block).
    const std::vector<std::uint8_t> readBack = {0x00, 0x0C, 0x00, 0x1A};
    const std::size_t sent = 9 + 2 + 12 + 2 + 288;
    const std::size_t frames = !c.verify ? 0 : c.fault == FaultKind::ShortDump ? 2 : 4;
    const auto& wire = model.received();
    ASSERT_EQ(wire.size(), sent + frames);
    EXPECT_TRUE(std::equal(wire.begin() + sent, wire.end(), readBack.begin()));
    if (c.fault == FaultKind::None) {
      // The added read costs its line time and nothing more: 3 s, then
      // 4 bytes out and 300 back at 1200 baud.
      const auto line = std::chrono::microseconds((4 + 300) * 10 * 1'000'000LL / 1200);
      KeyerModel plain;
      SimLink plainLink(plain);
      MapSurface plainUi;
      SettingsImage plainImage = image;
      showUserSettings(plainUi, plainImage, 1);
      showMessages(plainUi, plainImage);
      keyer.settingsBackedUp = true;
      writeCommand(plainUi, plainLink, keyer, plainImage, 1, false);
      EXPECT_LE(std::chrono::abs(link.elapsed() - plainLink.elapsed() - line),
                std::chrono::microseconds(10));
    }
  }
}

// A keyer that hangs up as its block arrives has stored nothing: no "Done".
TEST(writeCommand, AKeyerThatHangsUpIsNotDone) {
  SimConfig config;
  config.fault.kind = FaultKind::WriteHangUp;
  KeyerModel model(config);
  SimLink link(model);
  KeyerInfo keyer;
  keyer.settingsBackedUp = true;
  MapSurface ui;
  SettingsImage image{};
  resetSettingsImage(image);
  showUserSettings(ui, image, 1);
  EXPECT_EQ(writeCommand(ui, link, keyer, image, 1).outcome, CommandOutcome::KeyerFailed);
  EXPECT_EQ(ui.text(id::kOperationStatus), ">Write Failed");
}

}  // namespace
}  // namespace dp3
