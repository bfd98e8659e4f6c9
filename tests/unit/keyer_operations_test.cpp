// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Test DP, Read DP and Write DP as values: what each sends and what it returns.
#include "link/keyer_operations.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "settings/settings_file.hpp"
#include "settings/settings_image.hpp"
#include "sim_fixture.hpp"

namespace dp3 {
namespace {

using test::SimKeyer;
using Kind = Reading::Kind;

TEST(testKeyer, ReadingsPerVariantAndWhenNoneCome) {
  const Reading pot{Kind::Value, 21}, buttons{Kind::Value, 3}, supply{Kind::Value, 52};
  const Reading notAsked{}, noAnswer{Kind::NoAnswer};
  const struct {
    std::uint8_t variant, revision;
    std::uint8_t unanswered;  // a query the keyer leaves unanswered (0: none)
    bool bootloaderOnly;
    Reading pot, buttons, supply;
  } cases[] = {
      {1, 12, 0, false, pot, buttons, supply},
      {3, 112, 0, false, pot, buttons, supply},
      {4, 162, 0, false, pot, notAsked, supply},  // PIKA has no push buttons
      {3, 112, 0x06, false, noAnswer, buttons, supply},
      {3, 112, 0x05, false, pot, noAnswer, supply},
      {3, 112, 0x15, false, pot, buttons, noAnswer},
      {3, 112, 0, true, notAsked, notAsked, notAsked},      // no firmware to ask
      {3, 112, 0x04, false, notAsked, notAsked, notAsked},  // no answer at all
  };
  for (const auto& c : cases) {
    SimConfig config;
    config.variant = c.variant;
    config.revision = c.revision;
    config.bootloaderOnly = c.bootloaderOnly;
    config.pot = 21;
    config.buttons = 3;
    config.supply = 52;
    KeyerModel model(config);
    test::UnansweredLink link(model, c.unanswered);
    KeyerInfo keyer;
    const KeyerTest result = testKeyer(link, keyer);
    SCOPED_TRACE("variant " + std::to_string(c.variant) + " silent " +
                 std::to_string(c.unanswered));
    EXPECT_EQ(result.pot, c.pot);
    EXPECT_EQ(result.buttons, c.buttons);
    EXPECT_EQ(result.supply, c.supply);
    std::vector<std::uint8_t> frames = test::kTestFrames;
    if (c.pot == notAsked) frames.resize(3);  // the echo request alone
    if (c.pot != notAsked) frames.insert(frames.end(), {0x00, 0x06});
    if (c.buttons != notAsked) frames.insert(frames.end(), {0x00, 0x05});
    if (c.supply != notAsked) frames.insert(frames.end(), {0x00, 0x15});
    EXPECT_EQ(model.received(), frames);
  }
}

TEST(readKeyer, ReplacesTheImageOnlyWhenAllOfItCame) {
  const struct {
    FaultKind fault;
    std::uint8_t unanswered;
    ReadOutcome outcome;
  } cases[] = {
      {FaultKind::None, 0, ReadOutcome::Done},
      {FaultKind::ShortDump, 0, ReadOutcome::ReadFailed},
      {FaultKind::Disconnect, 0, ReadOutcome::ReadFailed},
      {FaultKind::None, 0x1A, ReadOutcome::ReadFailed},  // the settings but no extension bytes
      {FaultKind::Silence, 0, ReadOutcome::TestFailed},
  };
  for (const auto& c : cases) {
    SimConfig config;
    config.fault.kind = c.fault;
    KeyerModel model(config);
    for (std::size_t i = 0; i < kImageSize; ++i) model.memory()[i] = static_cast<std::uint8_t>(i);
    test::UnansweredLink link(model, c.unanswered);
    KeyerInfo keyer;
    SettingsImage image, before;
    before.fill(0x5A);
    image = before;
    const ReadResult result = readKeyer(link, keyer, image);
    SCOPED_TRACE(int(c.fault));
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.keyer, KeyerState::Untouched);
    const bool done = c.outcome == ReadOutcome::Done;
    EXPECT_EQ(image, done ? model.memory() : before);
    // What was read is kept as a backup.
    EXPECT_EQ(result.backup.kind, done ? BackupResult::Kind::Kept : BackupResult::Kind::None);
    EXPECT_EQ(result.backup.file.string(), keyer.backupFile);
    if (done) {
      auto frames = test::kTestFrames;
      frames.insert(frames.end(), {0x00, 0x0C, 0x00, 0x1A});
      EXPECT_EQ(model.received(), frames);
    }
  }
}

// A backup counts only for the keyer it was read from: every interface test
// forgets it, so the backup before a change always holds what the keyer on
// the line holds now, whether the same keyer, another one swapped onto the
// adapter, or one found after a failed command.
TEST(backUpBeforeChange, HoldsWhatTheKeyerOnTheLineHoldsNow) {
  enum class Between { Nothing, Swap, FailedTest, FailedWrite };
  for (Between between :
       {Between::Nothing, Between::Swap, Between::FailedTest, Between::FailedWrite}) {
    SimKeyer sim;
    SettingsImage image{};
    ASSERT_EQ(readKeyer(sim.link, sim.keyer, image).outcome, ReadOutcome::Done);
    ASSERT_TRUE(sim.keyer.settingsBackedUp);
    SimConfig other;
    switch (between) {
      case Between::Nothing:
        break;
      case Between::Swap:  // same IC and version, other texts
        sim.model = KeyerModel(other);
        sim.model.memory()[kMessagePageOffset] = 'C';
        break;
      case Between::FailedTest:
        other.fault.kind = FaultKind::Silence;
        sim.model = KeyerModel(other);
        EXPECT_TRUE(testInterface(sim.link, sim.keyer).failed());
        sim.model = KeyerModel();
        break;
      case Between::FailedWrite:
        other.fault = {FaultKind::BadStore, 0, 3};
        sim.model = KeyerModel(other);
        EXPECT_EQ(writeKeyer(sim.link, sim.keyer, image).outcome, WriteOutcome::VerifyFailed);
        sim.model.memory()[3] ^= 0x01;  // what it holds now differs from any earlier copy
        break;
    }
    SCOPED_TRACE(int(between));
    EXPECT_TRUE(testInterface(sim.link, sim.keyer).kind == InterfaceTest::Kind::Firmware);
    EXPECT_FALSE(sim.keyer.settingsBackedUp);
    const BackupResult backup = backUpBeforeChange(sim.link, sim.keyer);
    ASSERT_EQ(backup.kind, BackupResult::Kind::Kept);
    SettingsImage kept{};
    ASSERT_TRUE(readSettingsFile(backup.file, kept).ok());
    EXPECT_EQ(kept, sim.model.memory());
  }
}

// A failed test forgets the keyer: nothing it said counts for the next one.
TEST(testInterface, AFailedTestForgetsTheKeyer) {
  for (FaultKind fault : {FaultKind::Silence, FaultKind::WrongEcho}) {
    SimKeyer sim;
    ASSERT_FALSE(testInterface(sim.link, sim.keyer).failed());
    EXPECT_EQ(sim.keyer.firmwareVersion, 31);
    SimConfig config;
    config.fault.kind = fault;
    sim.model = KeyerModel(config);
    EXPECT_TRUE(testInterface(sim.link, sim.keyer).failed());
    EXPECT_EQ(sim.keyer.firmwareVersion, 0);
    EXPECT_EQ(sim.keyer.icVariant, 0);
    EXPECT_FALSE(sim.keyer.bootloaderOnly);
    EXPECT_EQ(sim.keyer.backupFile, "");
  }
}

// Read and Write need firmware that holds the settings: a keyer that runs only
// its bootloader, or runs version 30, is refused, and nothing past the
// interface test goes on the line.
TEST(SettingsOperations, RefuseAKeyerThatCannotHoldSettings) {
  for (bool bootloaderOnly : {true, false}) {
    for (bool write : {false, true}) {
      SimConfig config;
      config.bootloaderOnly = bootloaderOnly;
      config.version = 30;
      SimKeyer sim(config);
      SettingsImage image{};
      resetSettingsImage(image);
      const SettingsImage before = image;
      const bool refused =
          write ? writeKeyer(sim.link, sim.keyer, image).outcome == WriteOutcome::NeedsFirmware
                : readKeyer(sim.link, sim.keyer, image).outcome == ReadOutcome::NeedsFirmware;
      SCOPED_TRACE(std::string(bootloaderOnly ? "bootloader" : "version 30") +
                   (write ? " write" : " read"));
      EXPECT_TRUE(refused);
      EXPECT_EQ(image, before);
      EXPECT_EQ(sim.wire(), bootloaderOnly ? test::bytes({0x00, 0x04, 0x55}) : test::kTestFrames);
    }
  }
}

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

TEST(writeKeyer, SendsOnlyWhatPrepareTakesAndReportsWhatWasLost) {
  // The interface test's frames and the backup's two come first every time.
  constexpr int kTestWrites = 6;
  const struct {
    int failingWrite;  // after the interface test: 1 extension frame, 2 its block, 3, 4 settings
    bool prepared;
    WriteOutcome outcome;
    KeyerState keyer;
    FaultKind fault = FaultKind::None;
  } cases[] = {
      {0, true, WriteOutcome::Done, KeyerState::HoldsWritten},
      {0, false, WriteOutcome::Refused, KeyerState::Untouched},
      {1, true, WriteOutcome::WriteFailed, KeyerState::Unknown},
      {2, true, WriteOutcome::WriteFailed, KeyerState::Unknown},
      {3, true, WriteOutcome::WriteFailed, KeyerState::Unknown},
      {4, true, WriteOutcome::WriteFailed, KeyerState::Unknown},
      // A keyer that hangs up as its block arrives has stored nothing we can vouch for.
      {0, true, WriteOutcome::WriteFailed, KeyerState::Unknown, FaultKind::WriteHangUp},
  };
  for (const auto& c : cases) {
    SimConfig config;
    config.fault.kind = c.fault;
    KeyerModel model(config);
    DroppingLink link(model, c.failingWrite ? kTestWrites + c.failingWrite : 0);
    KeyerInfo keyer;
    SettingsImage image{};
    resetSettingsImage(image);
    WriteOptions options;
    options.prepare = [&c](SettingsImage& form) {
      form[32] = 17;
      return c.prepared;
    };
    const WriteResult result = writeKeyer(link, keyer, image, options);
    SCOPED_TRACE(c.failingWrite);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.keyer, c.keyer);
    if (c.failingWrite) {
      EXPECT_EQ(link.writes_, kTestWrites + c.failingWrite) << "nothing after";
    }
    if (!c.prepared) {
      EXPECT_EQ(model.received(), test::kTestFrames) << "only the interface test";
    }
    if (c.outcome == WriteOutcome::Done) {
      std::vector<std::uint8_t> wire = test::kTestFrames;
      wire.insert(wire.end(), {0x00, 0x0C, 0x00, 0x1A});  // the backup
      wire.insert(wire.end(), {0x00, 0x1B});
      wire.insert(wire.end(), image.begin() + 288, image.end());
      wire.insert(wire.end(), {0x00, 0x0D});
      wire.insert(wire.end(), image.begin(), image.begin() + 288);
      wire.insert(wire.end(), {0x00, 0x0C, 0x00, 0x1A});  // read back
      EXPECT_EQ(model.received(), wire);
      EXPECT_EQ(model.memory()[32], 17) << "what prepare put in the image";
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
TEST(writeKeyer, VerifiesWhatTheKeyerStored) {
  struct Case {
    FaultKind fault;
    int offset;  // the byte the keyer stores wrongly
    bool verify;
    WriteOutcome outcome;
    std::vector<std::string> differences;
  };
  const std::vector<std::string> rtty = {"User 1 Diddle is", "User 1 Stop Bits", "User 1 USOS"};
  const std::vector<Case> cases = {
      {FaultKind::None, 0, true, WriteOutcome::Done, {}},
      {FaultKind::BadStore, 3, true, WriteOutcome::VerifyFailed, {"User 1 Weight"}},
      {FaultKind::BadStore, 19, true, WriteOutcome::VerifyFailed, {"User 2 Weight"}},
      {FaultKind::BadStore, 299, true, WriteOutcome::VerifyFailed, {"User 2 S/N"}},
      {FaultKind::BadStore, 290, true, WriteOutcome::VerifyFailed, rtty},
      {FaultKind::BadStore, 47, true, WriteOutcome::VerifyFailed, {"Msg 1"}},
      {FaultKind::BadStore, 250, true, WriteOutcome::VerifyFailed, {"image byte 250"}},
      {FaultKind::BadStore, 3, false, WriteOutcome::Done, {}},
      {FaultKind::ShortDump, 0, true, WriteOutcome::ReadBackFailed, {}},
  };
  for (const Case& c : cases) {
    SimConfig config;
    config.fault = {c.fault, 0, c.offset};
    KeyerModel model(config);
    SimLink link(model);
    KeyerInfo keyer;
    const SettingsImage image = KeyerModel::presetMemory();
    // What Write sends once the keyer has passed its test and been backed up
    // (a short dump would fail that backup already).
    link.commOpen();
    const WriteResult result = sendSettings(link, keyer, image, c.verify);
    SCOPED_TRACE(std::to_string(c.offset) + (c.verify ? " verified" : " unverified"));
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.differences, c.differences);
    EXPECT_EQ(result.keyer,
              c.outcome == WriteOutcome::Done ? KeyerState::HoldsWritten : KeyerState::Unknown);
    // What came back is kept as a backup, whatever it holds.
    EXPECT_EQ(result.readBack.kind, c.verify && c.fault != FaultKind::ShortDump
                                        ? BackupResult::Kind::Kept
                                        : BackupResult::Kind::None);
    // Both blocks, then the read-back frames (the second only after a whole
    // first block).
    const std::vector<std::uint8_t> readBack = {0x00, 0x0C, 0x00, 0x1A};
    const std::size_t sent = 2 + 12 + 2 + 288;
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
      plainLink.commOpen();
      sendSettings(plainLink, keyer, image, false);
      EXPECT_LE(std::chrono::abs(link.elapsed() - plainLink.elapsed() - line),
                std::chrono::microseconds(10));
    }
  }
}

}  // namespace
}  // namespace dp3
