// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/mode_controls.hpp"
#include "settings/rtty.hpp"
#include "settings/settings_image.hpp"

namespace dp3 {

// Every setting the windows edit, described once by its window label: the
// settings model, the form, the mode controls, the RTTY window and the command
// line's show/set/diff all read these tables. Which control shows a setting is
// the window's business (window_logic/setting_controls.hpp).

// Which of the user's two blocks a byte lives in.
enum class Area { User, Extension };

// Image offset of a field's byte for user 1 or 2.
constexpr std::size_t fieldOffset(Area area, std::size_t offset, int user) {
  return (area == Area::User ? userSettingsOffset(user) : userExtensionOffset(user)) + offset;
}

// How a number box maps onto its bytes.
enum class NumberKind {
  Byte,          // one byte as it is
  LowBits,       // bits 4-0 of the byte; the other bits are kept
  SidetoneFreq,  // the box holds 62500 / byte (Hz); a byte of 0 leaves the box alone
  SerialNumber,  // two bytes big-endian, shown plus one
  PotMax,        // MinWpm + WpmRange; checked together with PotMin
  PotMin,        // MinWpm; stored by the PotMax check
};

struct NumberField {
  std::string_view label;  // the window's label, also the command line's name
  Area area;
  std::size_t offset;
  NumberKind kind;
  unsigned min;
  unsigned max;
  bool zeroAllowed;  // 0 is accepted beside min..max
  std::string_view messageUser1;
  std::string_view messageUser2;
};

// The number boxes in the order the form checks them; the first refusal stops
// the store and everything before it stays stored.
inline constexpr auto kNumberFields = std::to_array<NumberField>({
    {"Weight", Area::User, user_field::kWeight, NumberKind::Byte, 10, 90, false,
     "Weight must be between 10 and 90", "Weight must be between 10 and 90"},
    {"PTT LeadIn", Area::User, user_field::kLeadIn, NumberKind::Byte, 0, 250, false,
     "Lead In must be 250 or less.", "Lead In must be 250 or less."},
    {"PTT Tail", Area::User, user_field::kTail, NumberKind::Byte, 0, 250, false,
     "Tail must be 250 or less.", "Tail must be 250 or less."},
    {"ST Freq", Area::User, user_field::kSidetoneDivisor, NumberKind::SidetoneFreq, 500, 4000,
     false, "Freq must be 500 or greater.", "Freq must be between 500 and 4000."},
    {"1stExtension", Area::User, user_field::kFirstExtension, NumberKind::Byte, 0, 250, false,
     "1st Extend must be 250 or less.", "Extend must be 250 or less."},
    {"KeyComp", Area::User, user_field::kKeyComp, NumberKind::Byte, 0, 250, false,
     "Key Comp must be 250 or less.", "Key Comp must be 250 or less."},
    {"FarnsWpm", Area::User, user_field::kFarnsWpm, NumberKind::Byte, 10, 90, true,
     "Farns must be 0 or between 10 and 90", "Farnsworth WPM must be 0 or between 10 and 90"},
    {"PdlSample", Area::User, user_field::kPaddleSample, NumberKind::Byte, 10, 90, true,
     "Paddle Sample must be 0 or between 10 and 90", "Paddle Sample must be between 10 and 90"},
    {"CmdWpm", Area::User, user_field::kCmdWpm, NumberKind::Byte, 5, 99, false,
     "Command WPM must be between 5 and 99", "CMDWPM must be between 5 and 99"},
    {"CurWpm", Area::User, user_field::kFavoriteWpm, NumberKind::Byte, 5, 99, false,
     "Favorite WPM must be between 5 and 99", "Favorite WPM must be between 5 and 99"},
    {"ST Volume", Area::Extension, extension_field::kSidetoneVolume, NumberKind::Byte, 1, 4, false,
     "Sidetone volume must be between 1 and 4", "Sidetone volume must be between 1 and 4"},
    {"S/N", Area::Extension, extension_field::kSerialNumber, NumberKind::SerialNumber, 1, 9999,
     false, "Serial number must be between 1 and 9999", "Serial number must be between 1 and 9999"},
    {"Ratio", Area::User, user_field::kRatio, NumberKind::Byte, 33, 66, false,
     "Ratio must be between 33 and 66", "Ratio must be between 33 and 66"},
    {"MaxWpm", Area::User, user_field::kWpmRange, NumberKind::PotMax, 5, 99, false,
     "Pot Max must be between 5 and 99", "Pot Max must be between 5 and 99"},
    {"MinWpm", Area::User, user_field::kMinWpm, NumberKind::PotMin, 5, 99, false,
     "Pot Min must be between 5 and 99", "Pot Min must be between 5 and 99"},
    {"LtrSpace", Area::User, user_field::kSpacingReg, NumberKind::LowBits, 0, 31, false,
     "Letterspace Adjustment can't be greater than 31",
     "Letterspace Adjustment can't be greater than 31"},
});

// The first step of the MaxWpm/MinWpm check, before either range.
inline constexpr std::string_view kPotOrderMessage = "Pot Max must be greater than Pot Min";

// One check box over one bit.
struct BitField {
  std::string_view label;
  Area area;
  std::size_t offset;
  std::uint8_t mask;
};

// Whether the user's bit is set (the box checked).
constexpr bool bitIsSet(const BitField& bit, const SettingsImage& image, int user) {
  return (image[fieldOffset(bit.area, bit.offset, user)] & bit.mask) != 0;
}

// A click on the box: flips the user's bit; returns the new bit.
constexpr bool toggleBit(const BitField& bit, SettingsImage& image, int user) {
  std::uint8_t& byte = image[fieldOffset(bit.area, bit.offset, user)];
  byte ^= bit.mask;
  return (byte & bit.mask) != 0;
}

// The main window's mode check boxes.
inline constexpr auto kModeBits = std::to_array<BitField>({
    {"Swap", Area::User, user_field::kModeReg, 0x08},
    {"AutoSpace", Area::User, user_field::kModeReg, 0x02},
    {"CTspace", Area::User, user_field::kModeReg, 0x01},
    {"Cut 0", Area::Extension, extension_field::kModeReg2, 0x10},
    {"Cut 9", Area::Extension, extension_field::kModeReg2, 0x20},
    {"PdlToneOnly", Area::Extension, extension_field::kModeReg2, 0x08},
    {"PdlWDoff", Area::User, user_field::kModeReg, 0x80},
    {"PaddleMute", Area::Extension, extension_field::kModeReg2, 0x02},
    {"FastCmd", Area::Extension, extension_field::kModeReg2, 0x40},
    {"Tune50%", Area::User, user_field::kSpacingReg, 0x20},
    {"SO2R", Area::Extension, extension_field::kModeReg2, 0x04},
    {"FaveWpmOff", Area::Extension, extension_field::kModeReg2, 0x01},
});

inline constexpr auto kKeyerModeEntries = std::to_array<std::string_view>(
    {"Iambic A", "Iambic B", "Ultimatic", "UltimDit", "UltimDah", "VibroBug"});
inline constexpr auto kOutputEntries =
    std::to_array<std::string_view>({"Port1", "Port1, ST", "Port1, PTT", "Port1, ST, PTT", "Port2",
                                     "Port2, ST", "Port2, PTT", "Port2, ST, PTT"});
// PinConfig bits 3-0 of each output entry.
inline constexpr auto kOutputValues = std::to_array<std::uint8_t>({4, 6, 5, 7, 8, 10, 9, 11});
static_assert(kOutputValues.size() == kOutputEntries.size());
inline constexpr auto kPaddleHangEntries =
    std::to_array<std::string_view>({"1.0 Word", "1.3 Word", "1.6 Word", "2.0 Word"});

// A list and its entries, in the order they are added; the entry that shows
// a user's bytes, and (for the main window's lists, which change the image at
// once) what selecting an entry does. The RTTY window's lists change the image
// only on Ok.
struct ListField {
  std::string_view label;
  std::span<const std::string_view> entries;
  int (*entryOf)(const SettingsImage& image, int user);  // -1: no entry
  void (*select)(SettingsImage& image, int user, int entry);
};

inline constexpr auto kModeLists = std::to_array<ListField>({
    {"Keyer Mode", kKeyerModeEntries, keyerModeEntry, selectKeyerMode},
    {"Output Selection", kOutputEntries, outputEntry, selectOutput},
    {"Paddle Hang", kPaddleHangEntries, paddleHangEntry, selectPaddleHang},
});

// The RTTY window: check boxes over RttyReg, lists over both bytes.
inline constexpr auto kRttyBits = std::to_array<BitField>({
    {"RTTY Enable", Area::Extension, extension_field::kRttyReg, 0x80},
    {"Diddle", Area::Extension, extension_field::kRttyReg, 0x40},
    {"FSK Map", Area::Extension, extension_field::kRttyReg, 0x20},
    {"AutoCRLF", Area::Extension, extension_field::kRttyReg, 0x10},
    {"Reverse", Area::Extension, extension_field::kRttyReg, 0x04},
});

inline constexpr auto kBaudRateEntries =
    std::to_array<std::string_view>({"45.45", "50", "75", "100"});
inline constexpr auto kDiddleIsEntries = std::to_array<std::string_view>({"Blank", "Ltrs"});
inline constexpr auto kStopBitsEntries = std::to_array<std::string_view>({"2.0", "1.5"});
inline constexpr auto kUsosEntries = std::to_array<std::string_view>({"Off", "On"});

inline constexpr auto kRttyLists = std::to_array<ListField>({
    {"Baud Rate", kBaudRateEntries, baudRateEntry, nullptr},
    {"Diddle is", kDiddleIsEntries, diddleIsEntry, nullptr},
    {"Stop Bits", kStopBitsEntries, stopBitsEntry, nullptr},
    {"USOS", kUsosEntries, usosEntry, nullptr},
});

// The fourteen text boxes of the message page in page order: messages 1-12,
// then the two users' callsigns. Pointer i+1 of the page belongs to text i.
struct TextField {
  std::string_view label;
};

inline constexpr auto kTextFields = std::to_array<TextField>({
    {"Msg 1"},
    {"Msg 2"},
    {"Msg 3"},
    {"Msg 4"},
    {"Msg 5"},
    {"Msg 6"},
    {"Msg 7"},
    {"Msg 8"},
    {"Msg 9"},
    {"Msg 10"},
    {"Msg 11"},
    {"Msg 12"},
    {"User 1 Callsign /M"},
    {"User 2 Callsign /M"},
});

// The window's own label of the callsign box, the same for both users.
inline constexpr std::string_view kCallsignLabel = "User Callsign /M";

// A value the form or the message editor refused: the label of the setting
// it was typed into, and the window's own text for it.
struct Refusal {
  std::string_view label;
  std::string text;
};

}  // namespace dp3
