// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "sim/replay_keyer.hpp"

#include <cstdio>

namespace dp3 {

ReplayScript::ReplayScript(const std::vector<TraceEvent>& events) {
  for (const TraceEvent& event : events) {
    if (event.kind == TraceEvent::Kind::Sent || event.kind == TraceEvent::Kind::Received) {
      steps_.push_back(
          {event.kind == TraceEvent::Kind::Received, static_cast<std::uint8_t>(event.value)});
    }
  }
}

void ReplayScript::receive(std::uint8_t byte, std::deque<std::uint8_t>& out) {
  if (diverged()) return;
  ++sentSoFar_;
  // Keyer bytes still ahead of this one were answers the program gave up on.
  while (next_ < steps_.size() && steps_[next_].fromKeyer) ++next_;
  char text[96];
  if (next_ >= steps_.size()) {
    std::snprintf(text, sizeof text,
                  "byte %zu from the program (%02X) is past the end of the trace", sentSoFar_,
                  byte);
    divergence_ = text;
    return;
  }
  if (steps_[next_].byte != byte) {
    std::snprintf(text, sizeof text, "byte %zu from the program is %02X where the trace has %02X",
                  sentSoFar_, byte, steps_[next_].byte);
    divergence_ = text;
    return;
  }
  for (++next_; next_ < steps_.size() && steps_[next_].fromKeyer; ++next_) {
    out.push_back(steps_[next_].byte);
  }
}

}  // namespace dp3
