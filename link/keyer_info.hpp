#pragma once

#include <cstdint>
#include <string>

#include "link/keyer_variants.hpp"
#include "link/link.hpp"
#include "surface/control_surface.hpp"

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
};

// How an interface test ended. The firmware version is kept beside the kind,
// never in its place.
struct InterfaceTest {
  enum class Kind {
    Failed,          // port, no answer, wrong echo or firmware too old
    BootloaderOnly,  // the keyer holds no operating firmware
    Firmware,        // the keyer's firmware answered; version holds its version
  };
  Kind kind = Kind::Failed;
  std::uint8_t version = 0;

  bool failed() const { return kind == Kind::Failed; }
  bool bootloaderOnly() const { return kind == Kind::BootloaderOnly; }
  // Read and Write need firmware that holds the settings.
  bool holdsSettings() const { return kind == Kind::Firmware && version >= kOldestSettingsVersion; }
};

// "DP Fail:comm open" and its kin for a commOpen code.
std::string commOpenText(int code);

// Opens the port if it is not open, echo-tests the keyer, reads its firmware
// version and revision and identifies the IC. Shows its texts in the status
// line (4061) and the IC line (4079) of ui.
InterfaceTest testInterface(ControlSurface& ui, Link& link, KeyerInfo& keyer);

}  // namespace dp3
