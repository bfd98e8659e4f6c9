// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Write DP with its read-back against the simulated keyer paced at the line
// rate, as a ratio to the time its bytes need on the line plus the fixed waits
// (goal: within 3% of 1). Were the 3 s wait to start before the blocks have
// left the line (a pseudo-terminal reports no output queue), it would overlap
// them and the ratio would sit near 0.7. The read-back's own cost is the
// difference between the verified and the unverified run (its wire time:
// 304 bytes, 2.53 s).
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

// Backups of the read-back go to a scratch folder, not the operator's.
[[maybe_unused]] const bool kScratchData = ::setenv("XDG_DATA_HOME", "/tmp/dp3-bench-data", 1) == 0;

void runWrite(benchmark::State& state, bool verify) {
  KeyerModel model;
  PtyKeyer keyer(model, /*realtime=*/true);
  std::string error;
  if (!keyer.open(error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  keyer.start();
  // Interface test; 00 1B + 12 and 00 0D + 288; with verify 00 0C + 288 and 00 1A + 12.
  const std::size_t bytes = kInterfaceTestBytes + 14 + 290 + (verify ? 304 : 0);
  const double ideal =
      wireSeconds(bytes) + kSettleSeconds + std::chrono::duration<double>(kWriteSettleTime).count();
  double worst = 0;
  for (auto _ : state) {
    SerialLink link(keyer.path());
    KeyerInfo info;
    info.settingsBackedUp = true;  // the backup read before a write is not what is measured
    SettingsImage image = KeyerModel::presetMemory();
    const auto start = Clock::now();
    const WriteResult result = writeKeyer(link, info, image, {.verify = verify});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (result.outcome != WriteOutcome::Done) state.SkipWithError("the write failed");
    state.SetIterationTime(seconds);
    worst = std::max(worst, seconds / ideal);
  }
  keyer.stop();
  state.counters["ideal_s"] = ideal;
  state.counters["worst_ratio"] = worst;
}

void BM_WriteDpVerified(benchmark::State& state) {
  runWrite(state, true);
}
void BM_WriteDpUnverified(benchmark::State& state) {
  runWrite(state, false);
}

BENCHMARK(BM_WriteDpVerified)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDpUnverified)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dp3

BENCHMARK_MAIN();
