// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace dp3 {

// The keyer's non-volatile configuration, byte for byte as the keyer and the
// settings files hold it: two users' settings, the message page, two extensions.
inline constexpr std::size_t kImageSize = 300;
inline constexpr std::size_t kSettingsBlockSize = 288;  // bytes 0-287, one keyer transfer
inline constexpr std::size_t kExtensionOffset = 288;    // bytes 288-299, a second transfer
inline constexpr std::size_t kExtensionBlockSize = 12;
inline constexpr std::size_t kUserSettingsSize = 16;
inline constexpr std::size_t kUserExtensionSize = 6;
inline constexpr std::size_t kMessagePageOffset = 32;
inline constexpr std::size_t kMessagePageSize = 256;

using SettingsImage = std::array<std::uint8_t, kImageSize>;

// Offsets inside a UserSettings block.
namespace user_field {
inline constexpr std::size_t kModeReg = 0;
inline constexpr std::size_t kFavoriteWpm = 1;
inline constexpr std::size_t kSidetoneDivisor = 2;
inline constexpr std::size_t kWeight = 3;
inline constexpr std::size_t kLeadIn = 4;
inline constexpr std::size_t kTail = 5;
inline constexpr std::size_t kMinWpm = 6;
inline constexpr std::size_t kWpmRange = 7;
inline constexpr std::size_t kFirstExtension = 8;
inline constexpr std::size_t kKeyComp = 9;
inline constexpr std::size_t kFarnsWpm = 10;
inline constexpr std::size_t kPaddleSample = 11;
inline constexpr std::size_t kRatio = 12;
inline constexpr std::size_t kPinConfig = 13;
inline constexpr std::size_t kSpacingReg = 14;
inline constexpr std::size_t kCmdWpm = 15;
}  // namespace user_field

// Offsets inside a UserExtension block.
namespace extension_field {
inline constexpr std::size_t kModeReg2 = 0;
inline constexpr std::size_t kRttyReg = 1;
inline constexpr std::size_t kRttyReg2 = 2;
inline constexpr std::size_t kSidetoneVolume = 3;
inline constexpr std::size_t kSerialNumber = 4;  // big-endian, serial number minus one
}  // namespace extension_field

// user is 1 or 2.
constexpr std::size_t userSettingsOffset(int user) {
  return user == 2 ? 16 : 0;
}
constexpr std::size_t userExtensionOffset(int user) {
  return user == 2 ? 294 : 288;
}

// Message page: page address A lies at image offset 32 + A.
namespace page {
inline constexpr std::size_t kFreePointer = 0;
inline constexpr std::size_t kFirstMessagePointer = 1;  // 1-12: messages 1-12
inline constexpr std::size_t kCallsignPointerUser1 = 13;
inline constexpr std::size_t kCallsignPointerUser2 = 14;
inline constexpr std::size_t kFirstTextAddress = 15;
}  // namespace page

inline constexpr std::array<std::uint8_t, kUserSettingsSize> kDefaultUserSettings = {
    0, 15, 78, 50, 0, 0, 5, 30, 0, 0, 0, 50, 50, 7, 0, 15};
inline constexpr std::array<std::uint8_t, kUserExtensionSize> kDefaultUserExtension = {0, 0, 0,
                                                                                       4, 0, 0};

// Writes the defaults into both users' settings and extensions; the message
// page is left as it is.
void resetSettingsImage(SettingsImage& image);

}  // namespace dp3
