// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/message_sound.hpp"

#include <array>

#include "settings/settings_model.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/control_names.hpp"
#include "window_logic/setting_controls.hpp"

namespace dp3 {

namespace {

inline constexpr int kPlaces = 6;
inline constexpr unsigned kDivisorBase = 62500;
inline constexpr unsigned kLowestTone = 100;
inline constexpr unsigned kHighestTone = 8000;

std::array<int, kPlaces + 1> playIds() {
  std::array<int, kPlaces + 1> ids{};
  for (int i = 0; i < kPlaces; ++i) ids[static_cast<std::size_t>(i)] = id::kPlayMsg1 + i;
  ids[kPlaces] = id::kPlayCallsign;
  return ids;
}

unsigned boxNumber(const ControlSurface& ui, int box) {
  return numberOfText(ui.text(box));
}

int durationId(int playId) {
  return playId == id::kPlayCallsign ? id::kCallsignDuration
                                     : id::kMsgDuration1 + (playId - id::kPlayMsg1);
}

}  // namespace

KeyingSettings formKeying(const ControlSurface& ui) {
  KeyingSettings s;
  s.wpm = boxNumber(ui, id::kCurWpm);
  s.farnsWpm = boxNumber(ui, id::kFarnsWpm);
  // The keyer divides 62500 by the byte the form stores for this frequency.
  const unsigned hz = boxNumber(ui, id::kStFreq);
  if (hz > kDivisorBase / 256 && hz <= kDivisorBase) {
    s.toneHz = static_cast<double>(kDivisorBase) / (kDivisorBase / hz);
  }
  if (s.toneHz < kLowestTone || s.toneHz > kHighestTone) s.toneHz = KeyingSettings{}.toneHz;
  s.weight = boxNumber(ui, id::kWeight);
  s.ratio = boxNumber(ui, id::kRatio);
  s.letterSpace = boxNumber(ui, id::kLtrSpace) & 0x1Fu;
  s.keyCompMs = boxNumber(ui, id::kKeyComp);
  return s;
}

int playedBox(int playId, int bank, int user) {
  if (playId == id::kPlayCallsign) return user == 2 ? id::kCallsignUser2 : id::kCallsignUser1;
  if (playId < id::kPlayMsg1 || playId >= id::kPlayMsg1 + kPlaces) return 0;
  return (bank == 2 ? id::kMsg7 : id::kMsg1) + (playId - id::kPlayMsg1);
}

Keying playKeying(const ControlSurface& ui, int playId, int bank, int user) {
  const int box = playedBox(playId, bank, user);
  if (box == 0) return {};
  return keyPatterns(textPatterns(ui.text(box)), formKeying(ui));
}

void showMessageTimes(ControlSurface& ui, int bank, int user) {
  const KeyingSettings settings = formKeying(ui);
  const bool playable = playableSpeed(settings);
  const std::string approximate = approximateTiming(settings) ? "~" : "";
  for (int play : playIds()) {
    const std::string text = ui.text(playedBox(play, bank, user));
    std::string shown;
    if (!text.empty()) {
      shown = playable ? approximate +
                             durationText(keyingSeconds(keyPatterns(textPatterns(text), settings)))
                       : "?";
    }
    ui.setText(durationId(play), shown);
    // A screen reader names each Play button by the box it plays now, and
    // tells how long that takes.
    const std::string box = controlName(id::kMainDialog, playedBox(play, bank, user));
    ui.describe(play, "Play " + box,
                text.empty()   ? box + " is empty"
                : shown == "?" ? "CurWpm is out of range for playing"
                               : box + " plays for " + shown);
  }
  for (const TextField& field : kTextFields) {
    const int box = controlOf(field.label);
    ui.setToolTip(box, ditDahText(textPatterns(ui.text(box))));
  }
}

void showPlayState(ControlSurface& ui, std::string_view unavailableReason, bool playing) {
  for (int play : playIds()) {
    ui.setEnabled(play, unavailableReason.empty());
    ui.setToolTip(play, unavailableReason.empty()
                            ? "Play this text as the keyer sends it, at the form's speed and pitch"
                            : std::string(unavailableReason));
  }
  ui.setEnabled(id::kStopPlay, playing);
}

}  // namespace dp3
