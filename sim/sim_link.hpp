// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <algorithm>
#include <chrono>

#include "link/link.hpp"
#include "sim/keyer_model.hpp"

namespace dp3 {

// The simulated keyer in the same process: no real waiting. Time-outs and the
// protocol's waits pass on a virtual clock, together with the time the bytes
// would take on the line, so tests stay fast and benches can still reason
// about line time. As on a serial port, a write returns once its bytes are
// queued; they leave one after another at 10 bits a byte, drain() waits until
// the last has left, and a reply comes only after the request has gone out.
class SimLink : public Link {
 public:
  explicit SimLink(KeyerModel& model) : model_(model) {}

  int commOpen() override;
  void commClose() override;
  bool portOpenFlag() const override { return open_; }
  bool commWrite(std::span<const std::uint8_t> bytes) override;
  bool commRead(std::span<std::uint8_t> bytes) override;
  bool setBaudRate(int baud) override;
  bool drain() override;
  void pause(std::chrono::milliseconds duration) override { elapsed_ += duration; }
  std::string openFailureReason() const override;

  // The next commOpen fails with code (0 restores normal opening). As with a
  // real device, every code but -4 leaves the port counted as open.
  void failOpenWith(int code) { openCode_ = code; }
  // The next setBaudRate calls fail.
  void failBaudChange(bool fail) { failBaud_ = fail; }

  std::chrono::microseconds elapsed() const { return elapsed_; }
  // When the bytes written so far have all left the port.
  std::chrono::microseconds lineIdleAt() const { return lineIdleAt_; }
  int baud() const { return baud_; }

 private:
  std::chrono::microseconds lineTime(std::size_t bytes) const;
  void waitForLine() { elapsed_ = std::max(elapsed_, lineIdleAt_); }

  KeyerModel& model_;
  bool open_ = false;
  int openCode_ = kCommOpenOk;
  bool failBaud_ = false;
  int baud_ = kHostBaudRate;
  std::chrono::microseconds elapsed_{0};
  std::chrono::microseconds lineIdleAt_{0};
};

}  // namespace dp3
