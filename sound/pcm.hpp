// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "sound/morse_timing.hpp"

namespace dp3 {

// Keying as sound: 16-bit mono PCM, a sine at the sidetone pitch while the key
// is down, silence while it is up.
inline constexpr int kSampleRate = 48000;
inline constexpr double kRampSeconds = 0.005;  // raised-cosine rise and fall, no clicks
inline constexpr std::int16_t kTonePeak = 26000;

// Renders keying in pieces, so a player can start at once and a long page
// never sits whole in memory. Interval boundaries fall on the nearest sample of
// their exact time, so lengths never drift. Each element starts its tone at
// phase 0 and rises and falls inside its own time; the gaps are exact silence.
class PcmRenderer {
 public:
  PcmRenderer(const Keying& keying, double toneHz, int sampleRate = kSampleRate);

  std::size_t totalSamples() const { return bounds_.back(); }
  std::size_t position() const { return position_; }
  bool finished() const { return position_ >= totalSamples(); }
  // The first sample of interval i (i == count gives the total).
  std::size_t intervalStart(std::size_t i) const { return bounds_[i]; }

  // Writes the next samples into out; returns how many (0 once all are out).
  std::size_t render(std::span<std::int16_t> out);

 private:
  const std::vector<std::int16_t>& element(std::size_t length);

  std::vector<bool> keyDown_;
  std::vector<std::size_t> bounds_;
  double toneHz_;
  int sampleRate_;
  std::size_t interval_ = 0;
  std::size_t position_ = 0;
  std::unordered_map<std::size_t, std::vector<std::int16_t>> elements_;
};

// The whole keying at once.
std::vector<std::int16_t> renderPcm(const Keying& keying, double toneHz,
                                    int sampleRate = kSampleRate);

// The 44-byte header of a mono 16-bit PCM WAV file of sampleCount samples.
std::vector<std::uint8_t> wavHeader(std::size_t sampleCount, int sampleRate = kSampleRate);
// Header and samples (little-endian), ready to write.
std::vector<std::uint8_t> wavFile(std::span<const std::int16_t> samples,
                                  int sampleRate = kSampleRate);
// Samples as little-endian bytes, as raw PCM players take them.
void appendLittleEndian(std::vector<std::uint8_t>& bytes, std::span<const std::int16_t> samples);

}  // namespace dp3
