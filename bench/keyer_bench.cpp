// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Test DP and Read DP against the simulated keyer paced at the line rate, as a
// ratio to the time the bytes need on the line plus the fixed waits (goal: 1.05).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

#include "link/keyer_operations.hpp"
#include "link/posix/serial_link.hpp"
#include "sim/posix/pty_keyer.hpp"

namespace dp3 {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes on the line, both directions, at 1200 baud (10 bits a byte).
double wireSeconds(std::size_t bytes) {
  return static_cast<double>(bytes) * 10.0 / 1200.0;
}

constexpr double kSettleSeconds = 0.1;              // the wait before the purge at every open
constexpr std::size_t kInterfaceTestBytes = 9 + 4;  // four frames, four replies

template <class Operation>
void runAgainstRealtimeKeyer(benchmark::State& state, std::size_t lineBytes, Operation operation) {
  KeyerModel model;
  PtyKeyer keyer(model, /*realtime=*/true);
  std::string error;
  if (!keyer.open(error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  keyer.start();
  const double ideal = wireSeconds(lineBytes) + kSettleSeconds;
  double worst = 0;
  for (auto _ : state) {
    SerialLink link(keyer.path());
    KeyerInfo info;
    const auto start = Clock::now();
    const bool ok = operation(link, info);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!ok) state.SkipWithError("the keyer operation failed");
    state.SetIterationTime(seconds);
    worst = std::max(worst, seconds / ideal);
  }
  state.counters["ideal_s"] = ideal;
  state.counters["worst_ratio"] = worst;
}

void BM_TestDp(benchmark::State& state) {
  // Interface test, then pot (2+1), buttons (2+1), supply (2+1).
  runAgainstRealtimeKeyer(state, kInterfaceTestBytes + 9, [](SerialLink& link, KeyerInfo& info) {
    return !testKeyer(link, info).test.failed();
  });
}

void BM_ReadDp(benchmark::State& state) {
  // Interface test, then 00 0C + 288 bytes and 00 1A + 12 bytes.
  runAgainstRealtimeKeyer(state, kInterfaceTestBytes + 2 + 288 + 2 + 12,
                          [](SerialLink& link, KeyerInfo& info) {
                            SettingsImage image{};
                            return readKeyer(link, info, image).outcome == ReadOutcome::Done;
                          });
}

// Each Read is kept as a backup: the bench's go to a scratch folder.
[[maybe_unused]] const bool kScratchData = ::setenv("XDG_DATA_HOME", "/tmp/dp3-bench-data", 1) == 0;

BENCHMARK(BM_TestDp)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDp)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dp3

BENCHMARK_MAIN();
