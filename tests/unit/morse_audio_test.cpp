// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/messages.hpp"
#include "sound/morse_timing.hpp"
#include "sound/pcm.hpp"

namespace dp3 {
namespace {

KeyingSettings speeds(unsigned wpm, unsigned farns = 0) {
  KeyingSettings s;
  s.wpm = wpm;
  s.farnsWpm = farns;
  return s;
}

Keying keyText(std::string_view text, const KeyingSettings& s) {
  return keyPatterns(textPatterns(text), s);
}

std::size_t samplesOf(double seconds) {
  return static_cast<std::size_t>(std::llround(seconds * kSampleRate));
}

int peak(const std::vector<std::int16_t>& pcm, std::size_t from, std::size_t to) {
  int most = 0;
  for (std::size_t i = from; i < to; ++i) most = std::max(most, std::abs(int{pcm[i]}));
  return most;
}

TEST(MorseTiming, ParisWithItsWordGapIsFiftyDits) {
  const Keying keying = keyText("PARIS ", speeds(20));
  double dits = 0;
  for (const KeyInterval& interval : keying) {
    const double units = interval.seconds / 0.060;
    EXPECT_NEAR(units, std::round(units), 1e-9) << "every interval is whole dits of 60 ms";
    dits += units;
  }
  EXPECT_NEAR(dits, 50, 1e-9);
  EXPECT_NEAR(keyingSeconds(keying), 3.000, 1e-12);
  EXPECT_EQ(renderPcm(keying, 700).size(), 144000u);
  EXPECT_NEAR(keyingSeconds(keyText("PARIS", speeds(20))), 43 * 0.060, 1e-12)
      << "no gap after the last character";
}

// "PARIS " takes one minute divided by the overall speed, Farnsworth or not.
TEST(MorseTiming, ParisLastsSixtySecondsOverTheOverallSpeed) {
  struct Row {
    unsigned wpm, farns;
    double seconds;
  };
  for (const Row& row : std::vector<Row>{{20, 0, 3.0},
                                         {5, 0, 12.0},
                                         {18, 5, 12.0},
                                         {25, 15, 4.0},
                                         {15, 15, 4.0},
                                         {15, 20, 4.0}}) {
    EXPECT_NEAR(keyingSeconds(keyText("PARIS ", speeds(row.wpm, row.farns))), row.seconds, 1e-9)
        << row.wpm << "/" << row.farns;
  }
  EXPECT_TRUE(keyText("E", speeds(4)).empty()) << "no keying below 5 WPM";
  EXPECT_TRUE(keyText("E", speeds(100)).empty());
}

// At 18/5 WPM the rendered gaps between elements, characters and words are the
// formula's, to the sample, and only the gaps are silent.
TEST(MorseTiming, FarnsworthGapsToTheSample) {
  const double c = 18, s = 5;
  const double spacing = (60 * c - 37.2 * s) / (c * s);
  const double dit = 1.2 / c;
  const Keying keying = keyText("PARIS PARIS", speeds(18, 5));
  PcmRenderer renderer(keying, 800);
  std::vector<std::int16_t> pcm(renderer.totalSamples());
  ASSERT_EQ(renderer.render(pcm), pcm.size());

  int elementGaps = 0, charGaps = 0, wordGaps = 0;
  for (std::size_t i = 0; i < keying.size(); ++i) {
    const std::size_t from = renderer.intervalStart(i), to = renderer.intervalStart(i + 1);
    const auto length = static_cast<long>(to - from);
    if (keying[i].keyDown) {
      EXPECT_GT(peak(pcm, from, to), kTonePeak * 9 / 10);
      continue;
    }
    EXPECT_EQ(peak(pcm, from, to), 0) << "gap " << i << " is silent";
    if (std::labs(length - static_cast<long>(samplesOf(dit))) <= 1) {
      ++elementGaps;
    } else if (std::labs(length - static_cast<long>(samplesOf(3 * spacing / 19))) <= 1) {
      ++charGaps;
    } else if (std::labs(length - static_cast<long>(samplesOf(7 * spacing / 19))) <= 1) {
      ++wordGaps;
    } else {
      ADD_FAILURE() << "gap " << i << " of " << length << " samples matches no spacing";
    }
  }
  EXPECT_EQ(elementGaps, 2 * 9);
  EXPECT_EQ(charGaps, 2 * 4);
  EXPECT_EQ(wordGaps, 1);
}

TEST(MorseTiming, WeightRatioAndCompensationKeepTheSpeed) {
  struct Row {
    unsigned weight, ratio, keyComp;
    double ditOn, ditOff, dahOn;  // ms of "A" at 20 WPM
  };
  for (const Row& row : std::vector<Row>{{50, 50, 0, 60, 60, 180},
                                         {60, 50, 0, 72, 48, 192},
                                         {40, 50, 0, 48, 72, 168},
                                         {50, 66, 0, 60, 60, 237.6},
                                         {50, 33, 0, 60, 60, 118.8},
                                         {50, 50, 10, 70, 50, 190},
                                         {90, 50, 250, 358, 0, 478}}) {
    KeyingSettings s = speeds(20);
    s.weight = row.weight;
    s.ratio = row.ratio;
    s.keyCompMs = row.keyComp;
    const Keying keying = keyText("A", s);
    ASSERT_EQ(keying.size(), 3u);
    EXPECT_NEAR(keying[0].seconds * 1000, row.ditOn, 1e-9) << row.weight << " " << row.ratio;
    EXPECT_NEAR(keying[1].seconds * 1000, row.ditOff, 1e-9);
    EXPECT_NEAR(keying[2].seconds * 1000, row.dahOn, 1e-9);
    EXPECT_EQ(approximateTiming(s), row.weight != 50 || row.ratio != 50 || row.keyComp != 0);
  }
  KeyingSettings spaced = speeds(20);
  spaced.letterSpace = 10;
  EXPECT_NEAR(keyingSeconds(keyText("EE", spaced)), (1 + 3 + 1 + 1) * 0.060, 1e-12)
      << "LtrSpace 10 adds a dit between characters";
  EXPECT_TRUE(approximateTiming(spaced));
}

TEST(MorseTiming, PatternsAndDitDahText) {
  struct Row {
    std::vector<std::uint8_t> bytes;
    const char* text;
    double dits;  // at 20 WPM
  };
  const std::vector<Row> rows = {
      {textPatterns("CQ"), "-.-. --.-", 11 + 3 + 13},
      {textPatterns("cq de"), "-.-. --.- / -.. .", 11 + 3 + 13 + 7 + 7 + 3 + 1},
      {textPatterns("A\r\nB"), ".- / / -...", 5 + 14 + 9},
      {textPatterns(" E"), "/ .", 7 + 1},
      {textPatterns("#E"), ".", 1},  // no Morse code: nothing sent, no gap
      {textPatterns("SK"), "... -.-", 5 + 3 + 9},
      {{0xC8}, "...-..", 8 + 5},  // $ carries the end mark as its stop bit
      {{0x7F, 0x48, 0x82, 0x02}, "------ ...-.. .", 23 + 3 + 13 + 3 + 1},
      {{0x80, 0x81}, "", 0},
      {{}, "", 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ditDahText(row.bytes), row.text);
    EXPECT_NEAR(keyingSeconds(keyPatterns(row.bytes, speeds(20))), row.dits * 0.060, 1e-12)
        << row.text;
  }
}

TEST(MorseTiming, StoredPatternsAreWhatTheEditorStores) {
  SettingsImage image{};
  ASSERT_FALSE(
      storeTexts({"CQ TEST", "", "", "", "", "", "", "", "", "", "", "", "", "N0CALL"}, image));
  EXPECT_EQ(storedPatterns(image, 0), textPatterns("CQ TEST"));
  EXPECT_EQ(storedPatterns(image, 13), textPatterns("N0CALL"));
  EXPECT_TRUE(storedPatterns(image, 1).empty());

  image.fill(0x02);  // no end mark anywhere: stops at the page's end
  image[32 + 1] = 200;
  EXPECT_EQ(storedPatterns(image, 0).size(), 56u);
}

TEST(MorseTiming, SettingsFromTheImage) {
  SettingsImage image{};
  resetSettingsImage(image);
  image[16 + user_field::kFavoriteWpm] = 28;
  image[16 + user_field::kFarnsWpm] = 12;
  image[16 + user_field::kSidetoneDivisor] = 125;
  image[16 + user_field::kSpacingReg] = 0xC3;
  const KeyingSettings two = keyingSettings(image, 2);
  EXPECT_EQ(two.wpm, 28u);
  EXPECT_EQ(two.farnsWpm, 12u);
  EXPECT_DOUBLE_EQ(two.toneHz, 500.0);
  EXPECT_EQ(two.letterSpace, 3u);
  const KeyingSettings one = keyingSettings(image, 1);
  EXPECT_EQ(one.wpm, 15u);
  EXPECT_NEAR(one.toneHz, 801.28, 0.01);
  EXPECT_FALSE(approximateTiming(one));
  image[user_field::kSidetoneDivisor] = 0;
  EXPECT_NEAR(keyingSettings(image, 1).toneHz, 801.28, 0.01) << "divisor 0 keeps the default";
}

TEST(Pcm, PitchFromZeroCrossings) {
  for (double hz : {500.0, 62500.0 / 78, 62500.0 / 15}) {
    const std::vector<std::int16_t> pcm = renderPcm(keyText("T", speeds(5)), hz);
    ASSERT_EQ(pcm.size(), samplesOf(0.720));
    int crossings = 0;
    for (std::size_t i = 1; i < pcm.size(); ++i) {
      if ((pcm[i - 1] < 0) != (pcm[i] < 0)) ++crossings;
    }
    EXPECT_NEAR(crossings / (2 * 0.720), hz, hz * 0.01) << hz;
  }
}

TEST(Pcm, NoClippingAndFiveMillisecondRamps) {
  const std::vector<std::int16_t> pcm = renderPcm(keyText("T", speeds(5)), 1000);
  const auto [low, high] = std::minmax_element(pcm.begin(), pcm.end());
  EXPECT_GT(*low, -32768);
  EXPECT_LE(std::max(-int{*low}, int{*high}), kTonePeak);
  EXPECT_GT(std::max(-int{*low}, int{*high}), kTonePeak * 99 / 100);

  const std::size_t ms = kSampleRate / 1000;
  EXPECT_EQ(pcm.front(), 0);
  EXPECT_LE(std::abs(int{pcm.back()}), 2);
  int previous = 0;
  for (std::size_t k = 0; k < 5; ++k) {
    const int rise = peak(pcm, k * ms, (k + 1) * ms);
    const int fall = peak(pcm, pcm.size() - (k + 1) * ms, pcm.size() - k * ms);
    EXPECT_GT(rise, previous) << "rising through ms " << k;
    EXPECT_NEAR(rise, fall, kTonePeak / 50) << "the fall mirrors the rise";
    EXPECT_LT(rise, k < 3 ? kTonePeak * 9 / 10 : kTonePeak);
    previous = rise;
  }
  EXPECT_LT(peak(pcm, 0, ms), kTonePeak / 10);
  EXPECT_GT(peak(pcm, 5 * ms, 6 * ms), kTonePeak * 99 / 100) << "full level after 5 ms";
}

// The longest texts the page holds: rendered in uneven pieces it is the same
// sound as at once, every element sounds throughout, and nothing is written
// past the last sample.
TEST(Pcm, FullPageRendersWithoutGapOrOverrun) {
  for (const std::vector<std::uint8_t>& page :
       {textPatterns(std::string(240, '0')), std::vector<std::uint8_t>(240, 0x7F)}) {
    const Keying keying = keyPatterns(page, speeds(30));
    const std::vector<std::int16_t> whole = renderPcm(keying, 650);
    ASSERT_EQ(whole.size(), samplesOf(keyingSeconds(keying)));

    PcmRenderer renderer(keying, 650);
    std::vector<std::int16_t> pieces(whole.size() + 7, 0x5555);
    std::size_t at = 0;
    for (std::size_t piece = 1; !renderer.finished(); piece = piece * 3 % 9973 + 1) {
      const std::size_t room = std::min(piece, pieces.size() - at);
      at += renderer.render(std::span(pieces).subspan(at, room));
    }
    EXPECT_EQ(at, whole.size());
    EXPECT_EQ(renderer.render(std::span(pieces).subspan(at)), 0u);
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), pieces.begin()));
    EXPECT_TRUE(std::all_of(pieces.begin() + static_cast<std::ptrdiff_t>(at), pieces.end(),
                            [](std::int16_t x) { return x == 0x5555; }));

    // No sounding element goes quiet for longer than half a tone cycle.
    for (std::size_t i = 0; i < keying.size(); ++i) {
      if (!keying[i].keyDown) continue;
      const std::size_t from = renderer.intervalStart(i) + 240;
      const std::size_t to = renderer.intervalStart(i + 1) - 240;
      for (std::size_t k = from; k + 37 <= to; k += 37) ASSERT_GT(peak(whole, k, k + 37), 0);
    }
  }
}

// A golden file: the 44-byte header, then the samples little-endian.
TEST(Pcm, WavFile) {
  const std::vector<std::int16_t> samples = {0, 1, -1};
  // clang-format off
  const std::vector<std::uint8_t> wav = {
      'R', 'I', 'F', 'F', 42, 0, 0, 0,  // 36 + 6 data bytes
      'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
      1, 0, 1, 0,                       // PCM, mono
      0x80, 0xBB, 0x00, 0,              // 48000 samples a second
      0x00, 0x77, 0x01, 0,              // 96000 bytes a second
      2, 0, 16, 0,                      // 2 bytes a frame, 16 bits a sample
      'd', 'a', 't', 'a', 6, 0, 0, 0,
      0, 0, 1, 0, 0xFF, 0xFF};
  // clang-format on
  EXPECT_EQ(wavFile(samples), wav);
}

TEST(MorseTiming, DurationText) {
  for (const auto& [seconds, text] :
       std::vector<std::pair<double, std::string>>{{0, "0.0 s"},
                                                   {3, "3.0 s"},
                                                   {59.9, "59.9 s"},
                                                   {59.97, "1:00.0"},
                                                   {75, "1:15.0"},
                                                   {1497.6, "24:57.6"}}) {
    EXPECT_EQ(durationText(seconds), text);
  }
}

}  // namespace
}  // namespace dp3
