// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "sim/sim_link.hpp"

#include <algorithm>

namespace dp3 {

int SimLink::commOpen() {
  commClose();
  if (openCode_ == kCommOpenFailed) return openCode_;
  open_ = true;
  if (openCode_ != kCommOpenOk) return openCode_;
  baud_ = kHostBaudRate;
  model_.setLineBaud(baud_);
  pause(kSettleBeforePurge);
  model_.output().clear();  // the purge
  return kCommOpenOk;
}

void SimLink::commClose() {
  open_ = false;
}

std::string SimLink::openFailureReason() const {
  return openCode_ == kCommOpenOk ? std::string() : "simulated failure";
}

std::chrono::microseconds SimLink::lineTime(std::size_t bytes) const {
  // 10 bits a byte: start, 8 data, stop.
  return std::chrono::microseconds(bytes * 10'000'000 / static_cast<std::size_t>(baud_));
}

bool SimLink::commWrite(std::span<const std::uint8_t> bytes) {
  if (!open_ || model_.hungUp()) return false;
  for (std::uint8_t b : bytes) model_.receive(b);
  lineIdleAt_ = std::max(elapsed_, lineIdleAt_) + lineTime(bytes.size());
  return true;
}

bool SimLink::drain() {
  waitForLine();
  return open_ && !model_.hungUp();
}

bool SimLink::commRead(std::span<std::uint8_t> bytes) {
  if (!open_) return false;
  auto& out = model_.output();
  if (out.size() < bytes.size()) {
    // A short reply is a failure; what did arrive is consumed with it.
    out.clear();
    elapsed_ += kReadTimeout;
    return false;
  }
  std::copy_n(out.begin(), bytes.size(), bytes.begin());
  out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(bytes.size()));
  waitForLine();
  elapsed_ += lineTime(bytes.size());
  return true;
}

bool SimLink::setBaudRate(int baud) {
  const bool keyerCannot =
      baud != kHostBaudRate && model_.config().fault.kind == FaultKind::BaudFail;
  if (!open_ || failBaud_ || keyerCannot) return false;
  baud_ = baud;
  model_.setLineBaud(baud);
  return true;
}

}  // namespace dp3
