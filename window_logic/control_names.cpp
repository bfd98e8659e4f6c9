// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/control_names.hpp"

#include <cctype>
#include <map>
#include <set>

namespace dp3 {

namespace {

using namespace id;

constexpr int kMain = kMainDialog;

inline constexpr auto kControlNames = std::to_array<ControlName>({
    // Main window: the commands, then what chooses what the form shows.
    {kMain, kTestDp, 0, "Test DP"},
    {kMain, kReadDp, 0, "Read DP"},
    {kMain, kWriteDp, 0, "Write DP"},
    {kMain, kReadConfigFile, 0, "Read Config File"},
    {kMain, kWriteConfigFile, 0, "Write Config File"},
    {kMain, kSetComPort, 0, "Set Com Port"},
    {kMain, kFwUpdate, 0, "FW Update"},
    {kMain, kAbout, 0, "About"},
    {kMain, kExit, 0, "Exit"},
    {kMain, kResetDefaults, 0, "Reset to Defaults"},
    {kMain, kRtty, 0, "RTTY"},
    {kMain, kBank1, 0, "Message Bank 1"},
    {kMain, kBank2, 0, "Message Bank 2"},
    {kMain, kUser1, 0, "User 1"},
    {kMain, kUser2, 0, "User 2"},
    {kMain, kStopPlay, 0, "Stop"},
    {kMain, kKeyerMode, kKeyerModeLabel, "Keyer Mode"},
    {kMain, kOutputSelection, kOutputSelectionLabel, "Output Selection"},
    {kMain, kPaddleHang, kPaddleHangLabel, "Paddle Hang"},
    {kMain, kCallsignUser1, kCallsignLabel, "User Callsign /M"},
    {kMain, kCallsignUser2, kCallsignLabel, "User Callsign /M"},
    // The number boxes, in the form's order.
    {kMain, kMaxWpm, kMaxWpmLabel, "MaxWpm"},
    {kMain, kMinWpm, kMinWpmLabel, "MinWpm"},
    {kMain, kCmdWpm, kCmdWpmLabel, "CmdWpm"},
    {kMain, kCurWpm, kCurWpmLabel, "CurWpm"},
    {kMain, kRatio, kRatioLabel, "Ratio"},
    {kMain, kWeight, kWeightLabel, "Weight"},
    {kMain, kKeyComp, kKeyCompLabel, "KeyComp"},
    {kMain, kFirstExtension, kFirstExtensionLabel, "1stExtension"},
    {kMain, kPdlSample, kPdlSampleLabel, "PdlSample"},
    {kMain, kFarnsWpm, kFarnsWpmLabel, "FarnsWpm"},
    {kMain, kLeadIn, kLeadInLabel, "PTT LeadIn"},
    {kMain, kTail, kTailLabel, "PTT Tail"},
    {kMain, kLtrSpace, kLtrSpaceLabel, "LtrSpace"},
    {kMain, kStVolume, kStVolumeLabel, "ST Volume"},
    {kMain, kStFreq, kStFreqLabel, "ST Freq"},
    {kMain, kSerialNumber, kSerialNumberLabel, "S/N"},
    // The message boxes: bank 1, then bank 2 in the same places.
    {kMain, kMsg1, kMsgLabel1, "Msg 1"},
    {kMain, kMsg1 + 1, kMsgLabel1 + 1, "Msg 2"},
    {kMain, kMsg1 + 2, kMsgLabel1 + 2, "Msg 3"},
    {kMain, kMsg1 + 3, kMsgLabel1 + 3, "Msg 4"},
    {kMain, kMsg1 + 4, kMsgLabel1 + 4, "Msg 5"},
    {kMain, kMsg1 + 5, kMsgLabel1 + 5, "Msg 6"},
    {kMain, kMsg7, kMsgLabel7, "Msg 7"},
    {kMain, kMsg7 + 1, kMsgLabel7 + 1, "Msg 8"},
    {kMain, kMsg7 + 2, kMsgLabel7 + 2, "Msg 9"},
    {kMain, kMsg7 + 3, kMsgLabel7 + 3, "Msg 10"},
    {kMain, kMsg7 + 4, kMsgLabel7 + 4, "Msg 11"},
    {kMain, kMsg7 + 5, kMsgLabel7 + 5, "Msg 12"},
    // The mode check boxes.
    {kMain, kSwap, 0, "Swap"},
    {kMain, kAutoSpace, 0, "AutoSpace"},
    {kMain, kCtSpace, 0, "CTspace"},
    {kMain, kCut0, 0, "Cut 0"},
    {kMain, kCut9, 0, "Cut 9"},
    {kMain, kPdlToneOnly, 0, "PdlToneOnly"},
    {kMain, kPdlWdOff, 0, "PdlWDoff"},
    {kMain, kPaddleMute, 0, "PaddleMute"},
    {kMain, kFastCmd, 0, "FastCmd"},
    {kMain, kTune50, 0, "Tune50%"},
    {kMain, kSo2r, 0, "SO2R"},
    {kMain, kFaveWpmOff, 0, "FaveWpmOff"},
    // The Play buttons are named by the box each plays now (message_sound).
    {kMain, kPlayMsg1, 0, "Play", false},
    {kMain, kPlayMsg1 + 1, 0, "Play", false},
    {kMain, kPlayMsg1 + 2, 0, "Play", false},
    {kMain, kPlayMsg1 + 3, 0, "Play", false},
    {kMain, kPlayMsg1 + 4, 0, "Play", false},
    {kMain, kPlayMsg1 + 5, 0, "Play", false},
    {kMain, kPlayCallsign, 0, "Play", false},

    {kPortDialog, kPortOk, 0, "OK"},
    {kPortDialog, kPortExit, 0, "Exit"},
    {kPortDialog, kFindKeyer, 0, "Find Keyer"},
    {kPortDialog, kPortList, kPortListLabel, "Keyer port"},
    {kPortDialog, kPortPath, kPortPathLabel, "Device path"},

    {kUploaderDialog, kLoadBin, 0, "Load BIN File"},
    {kUploaderDialog, kProgram, 0, "Program DPUSB"},
    {kUploaderDialog, kUploaderExit, 0, "Exit"},

    {kAboutDialog, kAboutOk, 0, "OK"},
    {kAboutDialog, kVerboseMode, 0, "Verbose Mode"},
    {kAboutDialog, kTraceBox, 0, "Trace"},

    {kRttyDialog, kRttyOk, 0, "Ok"},
    {kRttyDialog, kRttyCancel, 0, "Cancel"},
    {kRttyDialog, kRttyEnable, 0, "RTTY Enable"},
    {kRttyDialog, kRttyDiddle, 0, "Diddle"},
    {kRttyDialog, kRttyFskMap, 0, "FSK Map"},
    {kRttyDialog, kRttyAutoCrLf, 0, "AutoCRLF"},
    {kRttyDialog, kRttyReverse, 0, "Reverse"},
    {kRttyDialog, kRttyBaudRate, kRttyBaudRateLabel, "Baud Rate"},
    {kRttyDialog, kRttyDiddleIs, kRttyDiddleIsLabel, "Diddle is"},
    {kRttyDialog, kRttyStopBits, kRttyStopBitsLabel, "Stop Bits"},
    {kRttyDialog, kRttyUsos, kRttyUsosLabel, "USOS"},
});

bool keyable(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

char lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Where the key goes: a word's first letter, else a capital inside a word
// ("CmdWpm"), else any letter or digit; the first one still free.
std::size_t keyPlace(std::string_view text, const std::set<char>& taken) {
  const auto free = [&](std::size_t i) {
    return keyable(text[i]) && !taken.contains(lower(text[i]));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((i == 0 || text[i - 1] == ' ') && free(i)) return i;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (std::isupper(static_cast<unsigned char>(text[i])) && free(i)) return i;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (free(i)) return i;
  }
  return std::string_view::npos;
}

std::string marked(std::string_view text, std::size_t keyAt) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == keyAt) out += '&';
    if (text[i] == '&') out += '&';
    out += text[i];
  }
  return out;
}

}  // namespace

std::vector<ShownName> shownNames(int dialog) {
  std::vector<ShownName> shown;
  std::set<char> taken;
  std::map<int, ShownName> byLabel;  // a label shared by boxes shown one at a time
  for (const ControlName& row : kControlNames) {
    if (row.dialog != dialog) continue;
    ShownName name{row.control, row.label, std::string(row.text), 0, std::string(row.text)};
    if (const auto shared = byLabel.find(row.label); row.label != 0 && shared != byLabel.end()) {
      name.text = shared->second.text;
      name.key = shared->second.key;
    } else if (row.keyed) {
      if (const std::size_t at = keyPlace(row.text, taken); at != std::string_view::npos) {
        name.key = lower(row.text[at]);
        name.text = marked(row.text, at);
        taken.insert(name.key);
      }
    }
    if (row.label != 0) byLabel.emplace(row.label, name);
    shown.push_back(std::move(name));
  }
  return shown;
}

std::string controlName(int dialog, int control) {
  for (const ControlName& row : kControlNames) {
    if (row.dialog == dialog && row.control == control) return std::string(row.text);
  }
  return {};
}

}  // namespace dp3
