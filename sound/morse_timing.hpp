// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_image.hpp"

namespace dp3 {

// How a user's settings shape what the keyer sends. Speeds in words per minute
// (PARIS: a dit lasts 1200/wpm ms); the rest as the form shows them.
struct KeyingSettings {
  unsigned wpm = 15;      // character speed (CurWpm)
  unsigned farnsWpm = 0;  // overall speed; 0, or not below wpm, is off
  double toneHz = 62500.0 / 78;
  unsigned weight = 50;      // 50: elements and spaces as timed
  unsigned ratio = 50;       // dah/dit ratio; 50 is 3:1
  unsigned letterSpace = 0;  // LtrSpace, 0-31
  unsigned keyCompMs = 0;    // KeyComp
};

inline constexpr unsigned kSlowestWpm = 5;
inline constexpr unsigned kFastestWpm = 99;

// The user's settings as the image holds them. A sidetone divisor of 0 keeps
// the default pitch.
KeyingSettings keyingSettings(const SettingsImage& image, int user);

// A speed the timing can use (5-99 WPM).
bool playableSpeed(const KeyingSettings& settings);

// Weight, ratio, letter space and keying compensation are in keyer units whose
// exact effect is not known: timings that use them are approximate.
bool approximateTiming(const KeyingSettings& settings);

// One stretch of keying: key down (tone) or key up (silence).
struct KeyInterval {
  bool keyDown;
  double seconds;
};
using Keying = std::vector<KeyInterval>;

// The keying of a run of stored pattern bytes, as the keyer reads them: each
// byte from bit 0 up (0 dit, 1 dah) to its highest set bit; a byte with bit 7
// set is the last, and its pattern is bits 6-0. The space pattern is a word
// gap; a pattern with no elements sends nothing. The keying ends with the last
// element, or with the word gaps of trailing spaces. Empty when the speed is
// not playable.
Keying keyPatterns(std::span<const std::uint8_t> patterns, const KeyingSettings& settings);

double keyingSeconds(const Keying& keying);

// The bytes the keyer would store for a box's text (line breaks as two
// spaces, the end mark on the last byte); a character with no Morse code
// stores the empty pattern. Empty text gives no bytes.
std::vector<std::uint8_t> textPatterns(std::string_view boxText);

// Text i (0-11 messages, 12-13 callsigns) as stored in the page: from its
// pointer through the byte with the end mark, within the page and the box's limit.
std::vector<std::uint8_t> storedPatterns(const SettingsImage& image, std::size_t index);

// Dits and dahs, characters apart by a space, each word gap a "/":
// "CQ DE" -> "-.-. --.- / -.. .".
std::string ditDahText(std::span<const std::uint8_t> patterns);

// "12.3 s", or "1:02.5" from a minute on.
std::string durationText(double seconds);

}  // namespace dp3
