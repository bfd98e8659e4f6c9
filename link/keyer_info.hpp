// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/keyer_variants.hpp"
#include "link/link.hpp"

namespace dp3 {

// Oldest firmware that speaks the host commands at all, and the oldest that
// holds the settings Read and Write move.
inline constexpr std::uint8_t kOldestSupportedVersion = 30;
inline constexpr std::uint8_t kOldestSettingsVersion = 31;

// What the last interface test found; kept until the next test.
struct KeyerInfo {
  std::uint8_t firmwareVersion = 0;
  std::uint8_t firmwareRevision = 0;
  std::uint8_t icVariant = 0;     // the IC type reply; see kKeyerVariants
  bool bootloaderOnly = false;    // no operating firmware: only the bootloader answers
  bool settingsBackedUp = false;  // this run holds a backup of what the keyer now holds
  std::string backupFile = {};    // the newest backup this run kept of the keyer's settings

  // A backup counts only for the keyer it was read from: another keyer may
  // answer on the same line at any time.
  void forgetBackup() {
    settingsBackedUp = false;
    backupFile.clear();
  }
};

// How an interface test ended. A failure says what failed and carries the
// keyer's byte or the system's reason where there is one; the version travels
// beside the kind, never in its place.
struct InterfaceTest {
  enum class Kind {
    NotOpened,       // the port did not open: openCode and openReason
    NoAnswer,        // nothing answered the echo request
    EchoMismatch,    // the echo came back as echo
    TooOld,          // firmware older than any this program speaks to: version
    BootloaderOnly,  // the keyer holds no operating firmware
    Firmware,        // the keyer's firmware answered: version, revision, icType
  };
  Kind kind = Kind::NoAnswer;
  int openCode = kCommOpenOk;
  std::string openReason = {};  // the system's reason the port did not open ("" when unknown)
  std::uint8_t echo = 0;
  std::uint8_t version = 0;
  std::uint8_t revision = 0;
  std::optional<std::uint8_t> icType = {};  // nullopt when the keyer did not say

  bool failed() const { return kind != Kind::BootloaderOnly && kind != Kind::Firmware; }
  bool bootloaderOnly() const { return kind == Kind::BootloaderOnly; }
  // Read and Write need firmware that holds the settings.
  bool holdsSettings() const { return kind == Kind::Firmware && version >= kOldestSettingsVersion; }
  // The IC the keyer named, or nullptr when no row names it.
  const KeyerVariant* ic() const { return icType ? findVariant(*icType) : nullptr; }
};

// Opens the port if it is not open, echo-tests the keyer, reads its firmware
// version and revision and identifies the IC; keyer keeps what was found. Every
// test forgets the backup (the keyer may have been swapped), and a failed one
// forgets the keyer.
InterfaceTest testInterface(Link& link, KeyerInfo& keyer);

}  // namespace dp3
