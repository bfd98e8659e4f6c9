// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Trace files are outside input: a replayed keyer must take any of them
// without reading past its steps, and the parser must keep byte values bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <sstream>
#include <string>

#include "link/trace_link.hpp"
#include "sim/replay_keyer.hpp"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::string error;
  const auto events = dp3::parseTrace(in, error);
  check(events.has_value() == error.empty());
  if (!events) return 0;
  for (const dp3::TraceEvent& e : *events) {
    if (e.kind == dp3::TraceEvent::Kind::Sent || e.kind == dp3::TraceEvent::Kind::Received) {
      check(e.value >= 0 && e.value <= 255);
    }
  }
  // The program sends the trace's own bytes, then one more: the replay answers
  // exactly the keyer's bytes and then falls silent.
  dp3::ReplayScript script(*events);
  std::deque<std::uint8_t> out;
  std::size_t keyerBytes = 0;
  for (const dp3::TraceEvent& e : *events) {
    if (e.kind == dp3::TraceEvent::Kind::Sent) {
      script.receive(static_cast<std::uint8_t>(e.value), out);
    } else if (e.kind == dp3::TraceEvent::Kind::Received) {
      ++keyerBytes;
    }
  }
  check(!script.diverged());
  check(out.size() <= keyerBytes);
  script.receive(0x00, out);
  check(script.diverged());
  return 0;
}
