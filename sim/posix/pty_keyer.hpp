// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "sim/keyer_model.hpp"

namespace dp3 {

// The simulated keyer on a pseudo-terminal: programs open its device path as
// they would a serial adapter. With realtime pacing every byte takes the time
// it would take on the line at the baud rate the program has set.
class PtyKeyer {
 public:
  explicit PtyKeyer(KeyerModel& model, bool realtime = false);
  ~PtyKeyer();
  PtyKeyer(const PtyKeyer&) = delete;
  PtyKeyer& operator=(const PtyKeyer&) = delete;

  // Creates the pseudo-terminal; false with a reason in error.
  bool open(std::string& error);
  const std::string& path() const { return path_; }

  // Serves on this thread until stop is set or the keyer hangs up.
  void serve(const std::atomic<bool>& stop);
  // Serves on a thread of its own until stop() or destruction.
  void start();
  void stop();

  // Runs f on the model while the serving thread keeps off it.
  template <class F>
  auto inspect(F f) {
    std::lock_guard lock(mutex_);
    return f(model_);
  }

 private:
  void pace(int baud);
  void hangUp();

  KeyerModel& model_;
  bool realtime_;
  int master_ = -1;
  int slave_ = -1;  // held so the line stays up between the program's opens
  std::string path_;
  std::mutex mutex_;
  std::atomic<bool> stopFlag_{false};
  std::thread thread_;
  std::chrono::steady_clock::time_point lineFree_{};
};

}  // namespace dp3
