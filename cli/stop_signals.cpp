// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "cli/stop_signals.hpp"

#include <csignal>

namespace dp3::cli {

namespace {

volatile std::sig_atomic_t gSignal = 0;

extern "C" void noteSignal(int number) {
  gSignal = number;
}

using Handler = void (*)(int);
Handler gPreviousInt = SIG_DFL;
Handler gPreviousTerm = SIG_DFL;

}  // namespace

DeferredStop::DeferredStop() {
  gPreviousInt = std::signal(SIGINT, noteSignal);
  gPreviousTerm = std::signal(SIGTERM, noteSignal);
}

DeferredStop::~DeferredStop() {
  std::signal(SIGINT, gPreviousInt == SIG_ERR ? SIG_DFL : gPreviousInt);
  std::signal(SIGTERM, gPreviousTerm == SIG_ERR ? SIG_DFL : gPreviousTerm);
}

int DeferredStop::signal() {
  return gSignal;
}

const char* DeferredStop::signalName() {
  return gSignal == SIGTERM ? "SIGTERM" : "SIGINT";
}

void ignoreBrokenPipe() {
#if defined(SIGPIPE)
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

}  // namespace dp3::cli
