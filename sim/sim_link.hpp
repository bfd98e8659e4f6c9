#pragma once

#include <chrono>

#include "link/link.hpp"
#include "sim/keyer_model.hpp"

namespace dp3 {

// The simulated keyer in the same process: no real waiting. Time-outs and the
// protocol's waits pass on a virtual clock, together with the time the bytes
// would take on the line, so tests stay fast and benches can still reason
// about line time.
class SimLink : public Link {
 public:
  explicit SimLink(KeyerModel& model) : model_(model) {}

  int commOpen() override;
  void commClose() override;
  bool portOpenFlag() const override { return open_; }
  bool commWrite(std::span<const std::uint8_t> bytes) override;
  bool commRead(std::span<std::uint8_t> bytes) override;
  bool setBaudRate(int baud) override;
  // Line time is passed as the bytes are written; what is left is whether the keyer is there.
  bool drain() override { return open_ && !model_.hungUp(); }
  void pause(std::chrono::milliseconds duration) override { elapsed_ += duration; }
  std::string openFailureReason() const override;

  // The next commOpen fails with code (0 restores normal opening). As with a
  // real device, every code but -4 leaves the port counted as open.
  void failOpenWith(int code) { openCode_ = code; }
  // The next setBaudRate calls fail.
  void failBaudChange(bool fail) { failBaud_ = fail; }

  std::chrono::microseconds elapsed() const { return elapsed_; }
  int baud() const { return baud_; }

 private:
  void passLineTime(std::size_t bytes);

  KeyerModel& model_;
  bool open_ = false;
  int openCode_ = kCommOpenOk;
  bool failBaud_ = false;
  int baud_ = kHostBaudRate;
  std::chrono::microseconds elapsed_{0};
};

}  // namespace dp3
