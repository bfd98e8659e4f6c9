// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Find Keyer over eight candidate ports, one of them a keyer paced at the line
// rate, the other seven silent pseudo-terminals (goal: done in under 1 s).
#include <benchmark/benchmark.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "link/port_probe.hpp"
#include "sim/posix/pty_keyer.hpp"

namespace dp3 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSilentPorts = 7;

// A pseudo-terminal nobody answers on: this process keeps its master, so the
// port opens and stays quiet.
struct SilentLine {
  SilentLine() {
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
    ::close(slave);
    path = name;
  }
  ~SilentLine() { ::close(master); }
  SilentLine(const SilentLine&) = delete;
  SilentLine& operator=(const SilentLine&) = delete;
  int master = -1;
  std::string path;
};

void BM_ProbeEightPorts(benchmark::State& state) {
  KeyerModel model;
  PtyKeyer keyer(model, /*realtime=*/true);
  std::string error;
  if (!keyer.open(error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  keyer.start();
  std::vector<std::unique_ptr<SilentLine>> silent;
  std::vector<SerialDevice> ports;
  for (int i = 0; i < kSilentPorts; ++i) {
    silent.push_back(std::make_unique<SilentLine>());
    if (silent.back()->path.empty()) {
      state.SkipWithError("no pseudo-terminal");
      return;
    }
    ports.push_back({silent.back()->path, ""});
  }
  // The keyer last: the probe order gives it no head start.
  ports.push_back({keyer.path(), ""});
  double worst = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const auto results = probePorts(ports);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const ProbeResult* found = foundKeyer(results);
    if (!found || found->port.path != keyer.path()) state.SkipWithError("the keyer was not found");
    state.SetIterationTime(seconds);
    worst = std::max(worst, seconds);
  }
  state.counters["ports"] = static_cast<double>(ports.size());
  state.counters["worst_s"] = worst;
}

BENCHMARK(BM_ProbeEightPorts)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dp3

BENCHMARK_MAIN();
