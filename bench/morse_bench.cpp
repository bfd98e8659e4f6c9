// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Morse rendering: the longest page the keyer holds (240 bytes) at 5 WPM, and
// the time from a Play request to its first 100 ms of sound.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "sound/morse_timing.hpp"
#include "sound/pcm.hpp"

namespace {

using dp3::KeyingSettings;

KeyingSettings slowest() {
  KeyingSettings s;
  s.wpm = 5;
  return s;
}

// 240 zeros: the longest text the editor stores; 240 bytes of six dahs: the
// longest any page can be.
std::vector<std::uint8_t> page(int kind) {
  return kind == 0 ? dp3::textPatterns(std::string(240, '0'))
                   : std::vector<std::uint8_t>(240, 0x7F);
}

void BM_KeyPage(benchmark::State& state) {
  const auto bytes = page(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(dp3::keyPatterns(bytes, slowest()));
}
BENCHMARK(BM_KeyPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole page into a buffer the player keeps.
void BM_RenderPage(benchmark::State& state) {
  const dp3::Keying keying = dp3::keyPatterns(page(static_cast<int>(state.range(0))), slowest());
  std::vector<std::int16_t> samples(dp3::PcmRenderer(keying, 801).totalSamples());
  for (auto _ : state) {
    dp3::PcmRenderer renderer(keying, 801);
    benchmark::DoNotOptimize(renderer.render(samples));
  }
  state.counters["seconds of sound"] = dp3::keyingSeconds(keying);
  state.counters["samples"] = static_cast<double>(samples.size());
}
BENCHMARK(BM_RenderPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole page into a new buffer each time (allocation and first touch included).
void BM_RenderPageFresh(benchmark::State& state) {
  const dp3::Keying keying = dp3::keyPatterns(page(static_cast<int>(state.range(0))), slowest());
  for (auto _ : state) benchmark::DoNotOptimize(dp3::renderPcm(keying, 801));
}
BENCHMARK(BM_RenderPageFresh)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// From the pattern bytes to the first 100 ms of sound a player can take.
void BM_FirstChunk(benchmark::State& state) {
  const auto bytes = page(0);
  std::vector<std::int16_t> chunk(4800);
  for (auto _ : state) {
    dp3::PcmRenderer renderer(dp3::keyPatterns(bytes, slowest()), 801);
    benchmark::DoNotOptimize(renderer.render(chunk));
  }
}
BENCHMARK(BM_FirstChunk)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
