// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "link/trace_link.hpp"

namespace dp3 {

// Answers as a traced keyer did: each byte the program sends must be the next
// byte the trace shows going to the keyer; the bytes the keyer sent after it
// then follow. Once the program leaves the trace the keyer falls silent, and
// divergence() says where.
class ReplayScript {
 public:
  explicit ReplayScript(const std::vector<TraceEvent>& events);

  void receive(std::uint8_t byte, std::deque<std::uint8_t>& out);

  bool diverged() const { return !divergence_.empty(); }
  const std::string& divergence() const { return divergence_; }
  // Every byte of the trace has been sent and answered.
  bool finished() const { return next_ >= steps_.size(); }

 private:
  struct Step {
    bool fromKeyer;
    std::uint8_t byte;
  };
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  std::size_t sentSoFar_ = 0;
  std::string divergence_;
};

}  // namespace dp3
