// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <string_view>

#include "surface/control_ids.hpp"

namespace dp3 {

// Which control shows each setting, by the setting's label: the windows' own
// business, so settings/ names settings only by label. One row per setting;
// the RTTY window's controls live in its own dialog.
struct SettingControl {
  std::string_view label;
  int control;
};

inline constexpr auto kSettingControls = std::to_array<SettingControl>({
    // Number boxes.
    {"Weight", id::kWeight},
    {"PTT LeadIn", id::kLeadIn},
    {"PTT Tail", id::kTail},
    {"ST Freq", id::kStFreq},
    {"1stExtension", id::kFirstExtension},
    {"KeyComp", id::kKeyComp},
    {"FarnsWpm", id::kFarnsWpm},
    {"PdlSample", id::kPdlSample},
    {"CmdWpm", id::kCmdWpm},
    {"CurWpm", id::kCurWpm},
    {"ST Volume", id::kStVolume},
    {"S/N", id::kSerialNumber},
    {"Ratio", id::kRatio},
    {"MaxWpm", id::kMaxWpm},
    {"MinWpm", id::kMinWpm},
    {"LtrSpace", id::kLtrSpace},
    // Lists.
    {"Keyer Mode", id::kKeyerMode},
    {"Output Selection", id::kOutputSelection},
    {"Paddle Hang", id::kPaddleHang},
    // Mode check boxes.
    {"Swap", id::kSwap},
    {"AutoSpace", id::kAutoSpace},
    {"CTspace", id::kCtSpace},
    {"Cut 0", id::kCut0},
    {"Cut 9", id::kCut9},
    {"PdlToneOnly", id::kPdlToneOnly},
    {"PdlWDoff", id::kPdlWdOff},
    {"PaddleMute", id::kPaddleMute},
    {"FastCmd", id::kFastCmd},
    {"Tune50%", id::kTune50},
    {"SO2R", id::kSo2r},
    {"FaveWpmOff", id::kFaveWpmOff},
    // The RTTY window.
    {"RTTY Enable", id::kRttyEnable},
    {"Diddle", id::kRttyDiddle},
    {"FSK Map", id::kRttyFskMap},
    {"AutoCRLF", id::kRttyAutoCrLf},
    {"Reverse", id::kRttyReverse},
    {"Baud Rate", id::kRttyBaudRate},
    {"Diddle is", id::kRttyDiddleIs},
    {"Stop Bits", id::kRttyStopBits},
    {"USOS", id::kRttyUsos},
    // The message editor's fourteen text boxes.
    {"Msg 1", id::kMsg1},
    {"Msg 2", id::kMsg1 + 1},
    {"Msg 3", id::kMsg1 + 2},
    {"Msg 4", id::kMsg1 + 3},
    {"Msg 5", id::kMsg1 + 4},
    {"Msg 6", id::kMsg1 + 5},
    {"Msg 7", id::kMsg7},
    {"Msg 8", id::kMsg7 + 1},
    {"Msg 9", id::kMsg7 + 2},
    {"Msg 10", id::kMsg7 + 3},
    {"Msg 11", id::kMsg7 + 4},
    {"Msg 12", id::kMsg7 + 5},
    {"User 1 Callsign /M", id::kCallsignUser1},
    {"User 2 Callsign /M", id::kCallsignUser2},
});

// The control that shows the setting labelled label (exactly as the tables
// spell it); 0 when none does.
constexpr int controlOf(std::string_view label) {
  for (const SettingControl& row : kSettingControls) {
    if (row.label == label) return row.control;
  }
  return 0;
}

}  // namespace dp3
