// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/rtty.hpp"

#include "settings/settings_fields.hpp"

namespace dp3 {

namespace {

inline constexpr std::uint8_t kBaudMask = 0x03;     // RttyReg bits 1-0
inline constexpr std::uint8_t kStopBitsBit = 0x08;  // RttyReg2 bit 3
inline constexpr std::uint8_t kDiddleIsBit = 0x04;  // RttyReg2 bit 2
inline constexpr std::uint8_t kUsosMask = 0x03;     // RttyReg2 bits 1-0, shown as Off/On

// The lists' places in kRttyLists.
enum RttyList : std::size_t { kBaudRate, kDiddleIs, kStopBits, kUsos };
static_assert(kRttyLists[kBaudRate].entryOf == baudRateEntry &&
              kRttyLists[kDiddleIs].entryOf == diddleIsEntry &&
              kRttyLists[kStopBits].entryOf == stopBitsEntry &&
              kRttyLists[kUsos].entryOf == usosEntry);

std::size_t rttyReg(int user) {
  return userExtensionOffset(user) + extension_field::kRttyReg;
}
std::size_t rttyReg2(int user) {
  return userExtensionOffset(user) + extension_field::kRttyReg2;
}

}  // namespace

int baudRateEntry(const SettingsImage& image, int user) {
  return image[rttyReg(user)] & kBaudMask;
}

int diddleIsEntry(const SettingsImage& image, int user) {
  return (image[rttyReg2(user)] & kDiddleIsBit) ? 1 : 0;
}

int stopBitsEntry(const SettingsImage& image, int user) {
  return (image[rttyReg2(user)] & kStopBitsBit) ? 1 : 0;
}

int usosEntry(const SettingsImage& image, int user) {
  const int usos = image[rttyReg2(user)] & kUsosMask;
  return usos <= 1 ? usos : -1;
}

void storeRtty(SettingsImage& image, int user, std::span<const bool> checks,
               std::span<const int> entries) {
  std::uint8_t reg = 0;
  for (std::size_t i = 0; i < kRttyBits.size() && i < checks.size(); ++i) {
    if (checks[i]) reg |= kRttyBits[i].mask;
  }
  const auto entry = [entries](std::size_t list) {
    return list < entries.size() ? entries[list] : -1;
  };
  if (entry(kBaudRate) > 0) reg |= static_cast<std::uint8_t>(entry(kBaudRate) & kBaudMask);

  std::uint8_t reg2 = 0;
  if (entry(kStopBits) != 0) reg2 |= kStopBitsBit;
  if (entry(kDiddleIs) != 0) reg2 |= kDiddleIsBit;
  if (entry(kUsos) != 0) reg2 |= 0x01;

  image[rttyReg(user)] = reg;
  image[rttyReg2(user)] = reg2;
}

}  // namespace dp3
