// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "cli/message_times.hpp"

#include <cmath>
#include <string>

#include "settings/settings_fields.hpp"
#include "sound/morse_timing.hpp"

namespace dp3::cli {

namespace {

bool farnsworth(const KeyingSettings& s) {
  return s.farnsWpm != 0 && s.farnsWpm < s.wpm;
}

}  // namespace

void printMessageTimes(std::ostream& out, const SettingsImage& image, int user) {
  const KeyingSettings s = keyingSettings(image, user);
  out << "Sound: " << s.wpm << " WPM";
  if (farnsworth(s)) out << ", Farnsworth " << s.farnsWpm;
  out << ", " << std::lround(s.toneHz) << " Hz";
  if (!playableSpeed(s)) out << " (CurWpm outside 5-99: no durations)";
  if (approximateTiming(s)) out << " (approximate: Weight, Ratio, LtrSpace or KeyComp)";
  out << '\n';
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    const std::vector<std::uint8_t> patterns = storedPatterns(image, i);
    if (patterns.empty()) continue;
    out << kTextFields[i].label << " sound: "
        << (playableSpeed(s) ? durationText(keyingSeconds(keyPatterns(patterns, s))) : "?") << "  "
        << ditDahText(patterns) << '\n';
  }
}

void addMessageTimes(nlohmann::ordered_json& out, const SettingsImage& image, int user) {
  const KeyingSettings s = keyingSettings(image, user);
  nlohmann::ordered_json sound;
  sound["WPM"] = s.wpm;
  sound["Farnsworth WPM"] = farnsworth(s) ? s.farnsWpm : 0;
  sound["Tone Hz"] = std::round(s.toneHz * 10) / 10;
  sound["Approximate"] = approximateTiming(s);
  nlohmann::ordered_json texts = nlohmann::ordered_json::object();
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    const std::vector<std::uint8_t> patterns = storedPatterns(image, i);
    if (patterns.empty()) continue;
    nlohmann::ordered_json text;
    text["Seconds"] = playableSpeed(s)
                          ? nlohmann::ordered_json(
                                std::round(keyingSeconds(keyPatterns(patterns, s)) * 1000) / 1000)
                          : nlohmann::ordered_json();
    text["Pattern"] = ditDahText(patterns);
    texts[std::string(kTextFields[i].label)] = text;
  }
  sound["Texts"] = texts;
  out["Sound"] = sound;
}

}  // namespace dp3::cli
