// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "sound/pcm.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dp3 {

PcmRenderer::PcmRenderer(const Keying& keying, double toneHz, int sampleRate)
    : toneHz_(toneHz), sampleRate_(sampleRate) {
  bounds_.reserve(keying.size() + 1);
  keyDown_.reserve(keying.size());
  bounds_.push_back(0);
  double time = 0;
  for (const KeyInterval& interval : keying) {
    time += interval.seconds;
    keyDown_.push_back(interval.keyDown);
    bounds_.push_back(static_cast<std::size_t>(std::llround(time * sampleRate_)));
  }
}

// One element of length samples: the tone under a raised-cosine rise and fall
// of 5 ms each (shorter when the element is shorter than both together).
const std::vector<std::int16_t>& PcmRenderer::element(std::size_t length) {
  auto [it, added] = elements_.try_emplace(length);
  if (!added) return it->second;
  std::vector<std::int16_t>& wave = it->second;
  wave.resize(length);
  const std::size_t ramp =
      std::min(static_cast<std::size_t>(std::llround(kRampSeconds * sampleRate_)), length / 2);
  const double step = 2 * std::numbers::pi * toneHz_ / sampleRate_;
  for (std::size_t i = 0; i < length; ++i) {
    double envelope = 1.0;
    const std::size_t fromEnd = length - 1 - i;
    if (i < ramp || fromEnd < ramp) {
      const double k = static_cast<double>(std::min(i, fromEnd)) + 0.5;
      envelope = 0.5 * (1 - std::cos(std::numbers::pi * k / static_cast<double>(ramp)));
    }
    wave[i] = static_cast<std::int16_t>(
        std::lround(kTonePeak * envelope * std::sin(step * static_cast<double>(i))));
  }
  return wave;
}

std::size_t PcmRenderer::render(std::span<std::int16_t> out) {
  std::size_t written = 0;
  while (written < out.size() && interval_ < keyDown_.size()) {
    const std::size_t start = bounds_[interval_];
    const std::size_t end = bounds_[interval_ + 1];
    if (position_ >= end) {
      ++interval_;
      continue;
    }
    const std::size_t count = std::min(end - position_, out.size() - written);
    auto target = out.begin() + static_cast<std::ptrdiff_t>(written);
    if (keyDown_[interval_]) {
      const std::vector<std::int16_t>& wave = element(end - start);
      const auto from = wave.begin() + static_cast<std::ptrdiff_t>(position_ - start);
      std::copy(from, from + static_cast<std::ptrdiff_t>(count), target);
    } else {
      std::fill(target, target + static_cast<std::ptrdiff_t>(count), std::int16_t{0});
    }
    written += count;
    position_ += count;
  }
  return written;
}

std::vector<std::int16_t> renderPcm(const Keying& keying, double toneHz, int sampleRate) {
  PcmRenderer renderer(keying, toneHz, sampleRate);
  std::vector<std::int16_t> samples(renderer.totalSamples());
  renderer.render(samples);
  return samples;
}

namespace {

void put16(std::vector<std::uint8_t>& bytes, unsigned value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  put16(bytes, value & 0xFFFF);
  put16(bytes, value >> 16);
}

void putTag(std::vector<std::uint8_t>& bytes, const char* tag) {
  bytes.insert(bytes.end(), tag, tag + 4);
}

}  // namespace

std::vector<std::uint8_t> wavHeader(std::size_t sampleCount, int sampleRate) {
  constexpr unsigned kChannels = 1;
  constexpr unsigned kBytesPerSample = 2;
  const auto dataBytes = static_cast<std::uint32_t>(sampleCount * kBytesPerSample);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(44);
  putTag(bytes, "RIFF");
  put32(bytes, 36 + dataBytes);
  putTag(bytes, "WAVE");
  putTag(bytes, "fmt ");
  put32(bytes, 16);
  put16(bytes, 1);  // PCM
  put16(bytes, kChannels);
  put32(bytes, static_cast<std::uint32_t>(sampleRate));
  put32(bytes, static_cast<std::uint32_t>(sampleRate) * kChannels * kBytesPerSample);
  put16(bytes, kChannels * kBytesPerSample);
  put16(bytes, 8 * kBytesPerSample);
  putTag(bytes, "data");
  put32(bytes, dataBytes);
  return bytes;
}

void appendLittleEndian(std::vector<std::uint8_t>& bytes, std::span<const std::int16_t> samples) {
  bytes.reserve(bytes.size() + samples.size() * 2);
  for (std::int16_t sample : samples) put16(bytes, static_cast<std::uint16_t>(sample));
}

std::vector<std::uint8_t> wavFile(std::span<const std::int16_t> samples, int sampleRate) {
  std::vector<std::uint8_t> bytes = wavHeader(samples.size(), sampleRate);
  appendLittleEndian(bytes, samples);
  return bytes;
}

}  // namespace dp3
