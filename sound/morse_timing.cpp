// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "sound/morse_timing.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "settings/messages.hpp"
#include "settings/morse_code.hpp"

namespace dp3 {

namespace {

inline constexpr std::uint8_t kWordSpace = 0x1C;
inline constexpr std::uint8_t kPatternBits = 0x7F;
inline constexpr unsigned kNeutral = 50;

// The elements of one pattern, first first: false dit, true dah.
std::vector<bool> elements(std::uint8_t pattern) {
  std::vector<bool> out;
  if (pattern == 0) return out;
  int stop = 7;
  while (!(pattern & (1u << stop))) --stop;
  for (int bit = 0; bit < stop; ++bit) out.push_back((pattern >> bit) & 1u);
  return out;
}

// The pattern bytes up to and including the first end-marked one.
template <typename Visit>
void eachPattern(std::span<const std::uint8_t> bytes, Visit visit) {
  for (std::uint8_t byte : bytes) {
    visit(static_cast<std::uint8_t>(byte & kPatternBits));
    if (byte & kEndMark) break;
  }
}

}  // namespace

KeyingSettings keyingSettings(const SettingsImage& image, int user) {
  const std::size_t base = userSettingsOffset(user);
  KeyingSettings s;
  s.wpm = image[base + user_field::kFavoriteWpm];
  s.farnsWpm = image[base + user_field::kFarnsWpm];
  if (const unsigned divisor = image[base + user_field::kSidetoneDivisor]; divisor != 0) {
    s.toneHz = 62500.0 / divisor;
  }
  s.weight = image[base + user_field::kWeight];
  s.ratio = image[base + user_field::kRatio];
  s.letterSpace = image[base + user_field::kSpacingReg] & 0x1Fu;
  s.keyCompMs = image[base + user_field::kKeyComp];
  return s;
}

bool playableSpeed(const KeyingSettings& settings) {
  return settings.wpm >= kSlowestWpm && settings.wpm <= kFastestWpm;
}

bool approximateTiming(const KeyingSettings& settings) {
  return settings.weight != kNeutral || settings.ratio != kNeutral || settings.letterSpace != 0 ||
         settings.keyCompMs != 0;
}

Keying keyPatterns(std::span<const std::uint8_t> patterns, const KeyingSettings& settings) {
  Keying keying;
  if (!playableSpeed(settings)) return keying;

  const double c = settings.wpm;
  const double dit = 1.2 / c;
  const double dah = 3.0 * dit * settings.ratio / kNeutral;
  double charGap = 3.0 * dit;
  double wordGap = 7.0 * dit;
  if (settings.farnsWpm != 0 && settings.farnsWpm < settings.wpm) {
    // Characters at c, spaces stretched so that PARIS takes 60/s seconds.
    const double s = settings.farnsWpm;
    const double spacing = (60.0 * c - 37.2 * s) / (c * s);
    charGap = 3.0 * spacing / 19.0;
    wordGap = 7.0 * spacing / 19.0;
  }
  // Letter space in tenths of a dit, between characters only.
  charGap += settings.letterSpace * dit / 10.0;

  auto keyUp = [&keying](double seconds) {
    if (seconds <= 0) return;
    if (!keying.empty() && !keying.back().keyDown) {
      keying.back().seconds += seconds;
    } else {
      keying.push_back({false, seconds});
    }
  };

  int spaces = 0;
  bool sent = false;
  eachPattern(patterns, [&](std::uint8_t pattern) {
    if (pattern == kWordSpace) {
      ++spaces;
      return;
    }
    const std::vector<bool> marks = elements(pattern);
    if (marks.empty()) return;
    keyUp(spaces > 0 ? spaces * wordGap : (sent ? charGap : 0.0));
    spaces = 0;
    for (std::size_t i = 0; i < marks.size(); ++i) {
      if (i > 0) keyUp(dit);
      keying.push_back({true, marks[i] ? dah : dit});
    }
    sent = true;
  });
  keyUp(spaces * wordGap);

  // Weight and keying compensation lengthen each element and take the same
  // time from the space after it, so the speed stays.
  const double extra = dit * (static_cast<double>(settings.weight) - kNeutral) / kNeutral +
                       settings.keyCompMs / 1000.0;
  if (extra != 0) {
    for (std::size_t i = 0; i < keying.size(); ++i) {
      if (!keying[i].keyDown) continue;
      const double before = keying[i].seconds;
      keying[i].seconds = std::max(0.0, before + extra);
      if (i + 1 < keying.size()) {
        keying[i + 1].seconds = std::max(0.0, keying[i + 1].seconds - (keying[i].seconds - before));
      }
    }
  }
  return keying;
}

double keyingSeconds(const Keying& keying) {
  double total = 0;
  for (const KeyInterval& interval : keying) total += interval.seconds;
  return total;
}

std::vector<std::uint8_t> textPatterns(std::string_view boxText) {
  std::vector<std::uint8_t> bytes;
  for (char c : keyerText(boxText)) bytes.push_back(morseCode(static_cast<unsigned char>(c)));
  if (!bytes.empty()) bytes.back() |= kEndMark;
  return bytes;
}

std::vector<std::uint8_t> storedPatterns(const SettingsImage& image, std::size_t index) {
  std::vector<std::uint8_t> bytes;
  const std::size_t start = image[kMessagePageOffset + page::kFirstMessagePointer + index];
  if (start == 0) return bytes;
  for (std::size_t address = start; address < kMessagePageSize && bytes.size() < kTextBoxLimit;
       ++address) {
    bytes.push_back(image[kMessagePageOffset + address]);
    if (bytes.back() & kEndMark) break;
  }
  return bytes;
}

std::string ditDahText(std::span<const std::uint8_t> patterns) {
  std::string text;
  auto add = [&text](std::string_view token) {
    if (!text.empty()) text += ' ';
    text += token;
  };
  eachPattern(patterns, [&](std::uint8_t pattern) {
    if (pattern == kWordSpace) return add("/");
    std::string marks;
    for (bool dah : elements(pattern)) marks += dah ? '-' : '.';
    if (!marks.empty()) add(marks);
  });
  return text;
}

std::string durationText(double seconds) {
  char text[32];
  if (seconds < 59.95) {
    std::snprintf(text, sizeof text, "%.1f s", seconds);
  } else {
    const double rounded = std::round(seconds * 10) / 10;
    const int minutes = static_cast<int>(rounded / 60);
    std::snprintf(text, sizeof text, "%d:%04.1f", minutes, rounded - minutes * 60.0);
  }
  return text;
}

}  // namespace dp3
