// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/mode_controls.hpp"

#include <algorithm>

#include "settings/settings_fields.hpp"

namespace dp3 {

namespace {

inline constexpr std::uint8_t kModeMask = 0x30;      // ModeReg bits 5-4
inline constexpr std::uint8_t kPriorityMask = 0xC0;  // PinConfig bits 7-6
inline constexpr std::uint8_t kHangMask = 0x30;      // PinConfig bits 5-4
inline constexpr std::uint8_t kOutputMask = 0x0F;    // PinConfig bits 3-0
inline constexpr std::uint8_t kActiveUserBit = 0x80;
inline constexpr std::uint8_t kBankBit = 0x40;

// Keyer Mode entries: ModeReg bits 5-4 and, for the ultimatic ones, PinConfig bits 7-6.
struct KeyerModeCode {
  std::uint8_t mode;
  bool setsPriority;
  std::uint8_t priority;
};
inline constexpr auto kKeyerModeCodes = std::to_array<KeyerModeCode>({
    {0x10, false, 0},    // Iambic A
    {0x00, false, 0},    // Iambic B
    {0x20, true, 0x00},  // Ultimatic
    {0x20, true, 0x80},  // UltimDit
    {0x20, true, 0x40},  // UltimDah
    {0x30, false, 0},    // VibroBug
});
static_assert(kKeyerModeCodes.size() == kKeyerModeEntries.size());

std::uint8_t& modeReg(SettingsImage& image, int user) {
  return image[userSettingsOffset(user) + user_field::kModeReg];
}
std::uint8_t& pinConfig(SettingsImage& image, int user) {
  return image[userSettingsOffset(user) + user_field::kPinConfig];
}
std::uint8_t& user1Spacing(SettingsImage& image) {
  return image[userSettingsOffset(1) + user_field::kSpacingReg];
}

void setBits(std::uint8_t& byte, std::uint8_t mask, std::uint8_t value) {
  byte = static_cast<std::uint8_t>((byte & ~mask) | (value & mask));
}

}  // namespace

void selectKeyerMode(SettingsImage& image, int user, int entry) {
  if (entry < 0 || entry >= static_cast<int>(kKeyerModeCodes.size())) return;
  const KeyerModeCode& code = kKeyerModeCodes[static_cast<std::size_t>(entry)];
  setBits(modeReg(image, user), kModeMask, code.mode);
  if (code.setsPriority) setBits(pinConfig(image, user), kPriorityMask, code.priority);
}

void selectOutput(SettingsImage& image, int user, int entry) {
  if (entry < 0 || entry >= static_cast<int>(kOutputValues.size())) return;
  setBits(pinConfig(image, user), kOutputMask, kOutputValues[static_cast<std::size_t>(entry)]);
}

void selectPaddleHang(SettingsImage& image, int user, int entry) {
  if (entry < 0 || entry >= static_cast<int>(kPaddleHangEntries.size())) return;
  setBits(pinConfig(image, user), kHangMask, static_cast<std::uint8_t>(entry << 4));
}

int keyerModeEntry(const SettingsImage& image, int user) {
  const std::uint8_t mode = image[userSettingsOffset(user) + user_field::kModeReg] & kModeMask;
  const std::uint8_t pins = image[userSettingsOffset(user) + user_field::kPinConfig];
  switch (mode) {
    case 0x10:
      return 0;
    case 0x00:
      return 1;
    case 0x30:
      return 5;
    default:
      return (pins & 0x80) ? 3 : (pins & 0x40) ? 4 : 2;
  }
}

int outputEntry(const SettingsImage& image, int user) {
  const std::uint8_t nibble =
      image[userSettingsOffset(user) + user_field::kPinConfig] & kOutputMask;
  const auto it = std::find(kOutputValues.begin(), kOutputValues.end(), nibble);
  return it == kOutputValues.end() ? 0 : static_cast<int>(it - kOutputValues.begin());
}

int paddleHangEntry(const SettingsImage& image, int user) {
  return (image[userSettingsOffset(user) + user_field::kPinConfig] & kHangMask) >> 4;
}

void markActiveUser(SettingsImage& image, int user) {
  setBits(user1Spacing(image), kActiveUserBit, user == 2 ? kActiveUserBit : 0);
}

void markMessageBank(SettingsImage& image, int bank) {
  setBits(user1Spacing(image), kBankBit, bank == 2 ? kBankBit : 0);
}

}  // namespace dp3
