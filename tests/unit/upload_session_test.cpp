// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// A firmware update as values: Program's checks, the upload, and what became
// of the keyer's settings.
#include "firmware/upload_session.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"

namespace dp3 {
namespace {

const std::string kLark = DP3_TEST_DATA "/lark_full.hex";
const std::string kOrca = DP3_TEST_DATA "/orca_small.hex";
const std::string kMissing = "/nonexistent/firmware.hex";
const std::string kEndOnly = DP3_TEST_DATA "/end_only.hex";

struct Bench {
  explicit Bench(SimConfig config = {}) : model(config), link(model), session(link, keyer, false) {}
  // Program's checks, the upload and, when asked, the settings written back.
  const UploadResult& program(bool confirmOlder = true, bool restore = true) {
    const UploadResult& checked =
        session.check([confirmOlder](const OlderImage&) { return confirmOlder; });
    if (checked.check != ProgramCheck::Ready) return checked;
    session.start();
    const UploadResult& result = session.finish();
    using S = SettingsAfterUpload::Kind;
    if (!restore ||
        (result.settings.kind != S::Changed && result.settings.kind != S::BackupRefused))
      return result;
    session.startRestore();
    return session.finishRestore();
  }
  std::size_t restartRequests() const {
    return std::count(model.received().begin(), model.received().end(), 0x9B);
  }
  KeyerModel model;
  SimLink link;
  KeyerInfo keyer;
  UploadSession session;
};

TEST(UploadSession, ProgramChecks) {
  struct Case {
    std::vector<std::string> loads;
    int openCode;
    ProgramCheck check;
    std::uint8_t icType = kVariantLark;
    bool confirmOlder = true;
  };
  const std::vector<Case> cases = {
      {{}, 0, ProgramCheck::NoImage},
      {{kMissing}, 0, ProgramCheck::NoImage},
      {{kLark, kMissing}, 0, ProgramCheck::EmptyImage},
      {{kLark, kEndOnly}, 0, ProgramCheck::EmptyImage},
      {{kLark}, kCommOpenFailed, ProgramCheck::NotConnected},
      {{kOrca}, 0, ProgramCheck::OtherIc},
      // A running keyer answering IC type 5 is not in recovery mode.
      {{kLark}, 0, ProgramCheck::UnknownIc, 5},
      {{kLark}, 0, ProgramCheck::Declined, kVariantLark, false},
  };
  for (const Case& c : cases) {
    SimConfig keyer;
    keyer.variant = c.icType;
    Bench b(keyer);
    for (const std::string& file : c.loads) b.session.load(file);
    b.link.failOpenWith(c.openCode);
    const UploadResult& result = b.program(c.confirmOlder);
    SCOPED_TRACE(int(c.check));
    EXPECT_EQ(result.check, c.check);
    EXPECT_FALSE(result.upload);
    EXPECT_EQ(result.keyer, KeyerState::Untouched);
    EXPECT_EQ(b.restartRequests(), 0u) << "nothing beyond the interface test reached the keyer";
  }
}

// The upload, the keyer's state after it, and, on a keyer that ran its
// firmware, the settings compared with the backup and written back when asked.
TEST(UploadSession, UploadsAndWhatBecameOfTheSettings) {
  auto keyer = [](std::uint8_t revision, SimFault fault = {}, bool bootloaderOnly = false,
                  std::uint8_t version = 31) {
    SimConfig config;
    config.version = version;
    config.revision = revision;
    config.fault = fault;
    config.bootloaderOnly = bootloaderOnly;
    return config;
  };
  using U = UploadOutcome::Kind;
  using S = SettingsAfterUpload::Kind;
  using K = KeyerState;
  struct Case {
    SimConfig keyer;
    bool restore;
    UploadOutcome outcome;
    K state;
    S settings;
    bool presetKept;  // the keyer ends with the settings it had
    int progress = 99;
    std::uint8_t weight = 0;  // User 1's Weight before, when not the preset's
  };
  const SimConfig badStore = keyer(100, {FaultKind::BadStore, 0, 20});
  const SimConfig refuse81 = keyer(112, {FaultKind::Refuse, 0x81, 600});
  const SimConfig refuse88 = keyer(112, {FaultKind::Refuse, 0x88, 600});
  const SimConfig appEcho = keyer(112, {FaultKind::AppEcho});
  const std::vector<Case> cases = {
      // The image's own version keeps the settings; another resets them.
      {keyer(104), true, {U::Completed}, K::HoldsWritten, S::Unchanged, true},
      {keyer(112), true, {U::Completed}, K::HoldsWritten, S::Restored, true},
      {keyer(100), false, {U::Completed}, K::HoldsWritten, S::Changed, false},
      {badStore, true, {U::Completed}, K::HoldsWritten, S::RestoreFailed, false},
      {keyer(104, {}, true), true, {U::Completed}, K::HoldsWritten, S::NotChecked, true},
      // Version 30 holds no settings: none are backed up, none offered back.
      {keyer(112, {}, false, 30), true, {U::Completed}, K::HoldsWritten, S::NotChecked, false},
      // A backup that Write refuses (Weight 255) is not written back.
      {keyer(112), false, {U::Completed}, K::HoldsWritten, S::BackupRefused, false, 99, 255},
      {keyer(112), true, {U::Completed}, K::HoldsWritten, S::RestoreRefused, false, 99, 255},
      // Slot 595 of 960; the keyer's 0x88 is its byte, not a completed upload.
      {refuse81, true, {U::Refused, 0x81}, K::BootloaderOnly, S::NotChecked, true, 61},
      {refuse88, true, {U::Refused, 0x88}, K::BootloaderOnly, S::NotChecked, true, 61},
      // The firmware kept running: the keyer holds what it held.
      {appEcho, true, {U::NoBootloaderEcho}, K::Untouched, S::NotChecked, true, 0},
  };
  for (const Case& c : cases) {
    Bench b(c.keyer);
    if (c.weight) b.model.memory()[user_field::kWeight] = c.weight;
    b.session.load(kLark);
    const UploadResult& result = b.program(true, c.restore);
    SCOPED_TRACE(std::to_string(c.keyer.revision) + " " + std::to_string(int(c.outcome.kind)));
    EXPECT_EQ(result.check, ProgramCheck::Ready);
    EXPECT_EQ(result.recovery, c.keyer.bootloaderOnly);
    ASSERT_TRUE(result.upload);
    EXPECT_EQ(*result.upload, c.outcome);
    EXPECT_EQ(result.keyer, c.state);
    EXPECT_EQ(result.settings.kind, c.settings);
    EXPECT_EQ(b.session.progress(), c.progress);
    EXPECT_EQ(b.model.memory() == KeyerModel::presetMemory(), c.presetKept);
    EXPECT_FALSE(b.session.running());
    // Until the next test, recovery stays the way to the keyer.
    EXPECT_EQ(b.keyer.bootloaderOnly, c.state == K::BootloaderOnly || result.recovery);
    if (c.settings == S::NotChecked) {
      if (c.keyer.version == 30) {
        EXPECT_EQ(result.backup.kind, BackupResult::Kind::None);
      }
      continue;
    }
    if (c.weight) {
      ASSERT_TRUE(result.settings.refusal);
      EXPECT_EQ(result.settings.refusal->refusal.label, "Weight");
      EXPECT_EQ(result.restore.keyer, KeyerState::Untouched) << "nothing was written back";
    }
    // The backup named holds the settings from before; the keyer is now
    // known by its new firmware.
    EXPECT_EQ(result.settings.backupFile, result.backup.file.string());
    EXPECT_NE(result.settings.backupFile, b.keyer.backupFile);
    EXPECT_EQ(b.keyer.firmwareRevision, 104);
    EXPECT_EQ(result.settings.differences.empty(), c.settings == S::Unchanged);
    if (c.settings == S::RestoreFailed) {
      EXPECT_EQ(result.restore.differences, std::vector<std::string>{"User 2 PTT LeadIn"});
    }
  }
}

}  // namespace
}  // namespace dp3
