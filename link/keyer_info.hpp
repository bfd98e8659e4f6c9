#pragma once

#include <cstdint>
#include <string>

#include "link/link.hpp"
#include "surface/control_surface.hpp"

namespace dp3 {

// IC variant codes.
inline constexpr std::uint8_t kVariantOrca = 1;
inline constexpr std::uint8_t kVariantRook = 2;
inline constexpr std::uint8_t kVariantLark = 3;
inline constexpr std::uint8_t kVariantPika = 4;
inline constexpr std::uint8_t kVariantNoFirmware = 5;  // only the bootloader answers

inline constexpr int kTestFailed = -1;

// What the last interface test found; kept until the next test.
struct KeyerInfo {
  std::uint8_t firmwareVersion = 0;
  std::uint8_t firmwareRevision = 0;
  std::uint8_t icVariant = 0;
  bool settingsBackedUp = false;  // this run holds a backup of what the keyer now holds
};

// "DP Fail:comm open" and its kin for a commOpen code.
std::string commOpenText(int code);
// "ORCA", "ROOK", "LARK", "PIKA" for codes 1-4, "" otherwise.
std::string variantName(std::uint8_t variant);

// Opens the port if it is not open, echo-tests the keyer, reads its firmware
// version and revision and identifies the IC. Shows its texts in the status
// line (4061) and the IC line (4079) of ui. Returns -1 on failure, 5 when only
// the bootloader answers, else the firmware version.
int testInterface(ControlSurface& ui, Link& link, KeyerInfo& keyer);

}  // namespace dp3
