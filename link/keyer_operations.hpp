// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/keyer_backup.hpp"
#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "settings/settings_image.hpp"

namespace dp3 {

// Test DP, Read DP and Write DP as the keyer sees them. Each returns what
// happened as a value; the texts an operator reads are made from it above.

// The keyer's time to store a written image before it answers again.
inline constexpr std::chrono::milliseconds kWriteSettleTime{3000};

// What an operation left the keyer holding.
enum class KeyerState {
  Untouched,       // nothing was sent that changes it
  HoldsWritten,    // it holds what was written (read back and compared, when asked)
  Unknown,         // it may hold part of what was written, or something else
  BootloaderOnly,  // it runs only its bootloader
};

// Where a long operation has got to, for a window that shows it as it goes.
enum class KeyerStep {
  Tested,   // the interface test has ended (test holds how)
  Reading,  // the settings are being read
  Writing,  // the settings are being sent
};
using OnKeyerStep = std::function<void(KeyerStep step, const InterfaceTest& test)>;

// One live reading of Test DP.
struct Reading {
  enum class Kind {
    NotAsked,  // this keyer has no such reading (push buttons on PIKA)
    NoAnswer,  // asked, but no byte came
    Value,     // value holds the keyer's byte
  };
  Kind kind = Kind::NotAsked;
  std::uint8_t value = 0;

  static Reading of(std::optional<std::uint8_t> reply) {
    return reply ? Reading{Kind::Value, *reply} : Reading{Kind::NoAnswer};
  }
  friend bool operator==(const Reading&, const Reading&) = default;
};

struct KeyerTest {
  InterfaceTest test = {};
  Reading pot = {};
  Reading buttons = {};
  Reading supply = {};
};

// Test DP: the interface test, then, when the firmware answered, the pot,
// the push buttons (not on PIKA) and the supply.
KeyerTest testKeyer(Link& link, KeyerInfo& keyer);

enum class ReadOutcome {
  Done,
  TestFailed,     // the interface test failed
  NeedsFirmware,  // bootloader only, or firmware too old to hold settings: nothing was read
  ReadFailed,     // a block did not arrive whole
};

struct ReadResult {
  ReadOutcome outcome = ReadOutcome::TestFailed;
  InterfaceTest test = {};
  BackupResult backup = {};  // Done: the copy kept of what was read
  KeyerState keyer = KeyerState::Untouched;
};

// Read DP: the interface test, then both settings blocks. The image is
// replaced only when all 300 bytes arrived, and then kept as a backup.
ReadResult readKeyer(Link& link, KeyerInfo& keyer, SettingsImage& image,
                     const OnKeyerStep& onStep = {});

enum class WriteOutcome {
  Done,
  TestFailed,      // the interface test failed
  NeedsFirmware,   // bootloader only, or firmware too old to hold settings
  Refused,         // the caller's values were refused (prepare); nothing was sent
  BackupFailed,    // no copy of what the keyer held could be made; nothing was sent
  WriteFailed,     // a block did not pass the line, or the keyer hung up
  ReadBackFailed,  // the keyer did not send its settings back for the comparison
  VerifyFailed,    // the keyer holds something other than what was written
};

struct WriteResult {
  WriteOutcome outcome = WriteOutcome::TestFailed;
  InterfaceTest test = {};
  // VerifyFailed: what differs, by field ("User 1 Weight", "Msg 3", "image byte 290").
  std::vector<std::string> differences = {};
  BackupResult backup = {};    // made before anything was sent
  BackupResult readBack = {};  // the copy kept of what the keyer sent back
  KeyerState keyer = KeyerState::Untouched;
};

struct WriteOptions {
  bool verify = true;  // read both blocks back and compare them with what was sent
  // Called once the keyer can take settings and before anything is sent: puts
  // the operator's values into the image; false refuses the write.
  std::function<bool(SettingsImage& image)> prepare = {};
  OnKeyerStep onStep = {};
};

// Write DP: the interface test (a keyer that cannot hold settings is refused),
// prepare, a backup of what the keyer holds, then the extension block and the
// settings block, 3 s for the keyer to store them and, with verify, the
// read-back and comparison.
WriteResult writeKeyer(Link& link, KeyerInfo& keyer, SettingsImage& image,
                       const WriteOptions& options = {});

// The settings image to the keyer as Write sends it, without the interface
// test and the backup before: both blocks, 3 s for the keyer to store them
// once the line has sent them, then with verify the read-back (kept as a
// backup) and the comparison. Done, WriteFailed, ReadBackFailed or VerifyFailed.
WriteResult sendSettings(Link& link, KeyerInfo& keyer, const SettingsImage& image, bool verify);

}  // namespace dp3
