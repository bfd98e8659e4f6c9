// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <termios.h>

#include <chrono>
#include <cstddef>
#include <string>

#include "link/link.hpp"

namespace dp3 {

// The line-settings calls the link makes, so tests can make one of them fail.
struct TermiosCalls {
  int (*getAttr)(int fd, termios* settings) = ::tcgetattr;
  int (*setAttr)(int fd, int when, const termios* settings) = ::tcsetattr;
  int (*flush)(int fd, int queue) = ::tcflush;
};

// A serial device (USB adapter, built-in port or pseudo-terminal) as the line
// to the keyer: raw 8N1, DTR on, RTS off, no XON/XOFF, used by this process alone.
// The program's own controlling terminal and the virtual consoles are refused;
// the port's previous line settings are put back when it is closed.
class SerialLink : public Link {
 public:
  explicit SerialLink(std::string devicePath, TermiosCalls calls = {});
  ~SerialLink() override;
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  int commOpen() override;
  void commClose() override;
  bool portOpenFlag() const override { return portOpen_; }
  bool commWrite(std::span<const std::uint8_t> bytes) override;
  bool commRead(std::span<std::uint8_t> bytes) override;
  bool setBaudRate(int baud) override;
  bool drain() override;
  std::string openFailureReason() const override { return reason_; }

  // Shorter transfer deadlines, for a quick look at a port that may hold no keyer.
  void setTimeouts(std::chrono::milliseconds read, std::chrono::milliseconds write) {
    readTimeout_ = read;
    writeTimeout_ = write;
  }

  const std::string& devicePath() const { return path_; }

 private:
  // How long the line takes to send bytes at the current speed.
  std::chrono::steady_clock::duration lineTime(std::size_t bytes) const;

  std::string path_;
  TermiosCalls calls_;
  int fd_ = -1;
  bool portOpen_ = false;
  bool locked_ = false;
  termios settings_{};  // as configured at open; the baud change edits only the speed
  int baud_ = kHostBaudRate;
  termios original_{};  // as the port was before the open; put back on close
  bool restore_ = false;
  std::string reason_;
  std::chrono::milliseconds readTimeout_ = kReadTimeout;
  std::chrono::milliseconds writeTimeout_ = kWriteTimeout;
  // When the bytes written so far will have left the port at the earliest.
  std::chrono::steady_clock::time_point lineBusyUntil_{};
};

}  // namespace dp3
