// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "link/link.hpp"

namespace dp3 {

// A serial port the browser granted the page (Web Serial) as the line to the
// keyer: 8N1, DTR on, RTS off, no flow control. The port is named as the page
// registered it ("serial:1"; link/web/serial_line.js). The browser's calls are
// asynchronous: every call here that waits yields to the page's event loop
// (Asyncify), so the page keeps painting while the core waits in its usual
// blocking style. Web Serial sets the speed only when a port opens, so a baud
// change closes the port and opens it again at the new speed.
class SerialLink : public Link {
 public:
  explicit SerialLink(std::string port);
  ~SerialLink() override;
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  int commOpen() override;
  void commClose() override;
  bool portOpenFlag() const override { return line_ != 0; }
  bool commWrite(std::span<const std::uint8_t> bytes) override;
  bool commRead(std::span<std::uint8_t> bytes) override;
  bool setBaudRate(int baud) override;
  bool drain() override;
  // A wait that lets the page run meanwhile.
  void pause(std::chrono::milliseconds duration) override;
  std::string openFailureReason() const override { return reason_; }

  // Shorter transfer deadlines, for a quick look at a port that may hold no keyer.
  void setTimeouts(std::chrono::milliseconds read, std::chrono::milliseconds write) {
    readTimeout_ = read;
    writeTimeout_ = write;
  }

  const std::string& devicePath() const { return port_; }

 private:
  // How long the line takes to send bytes at the current speed.
  std::chrono::steady_clock::duration lineTime(std::size_t bytes) const;

  std::string port_;
  int line_ = 0;  // the page's handle of the open port; 0 when closed
  int baud_ = kHostBaudRate;
  std::string reason_;
  std::chrono::milliseconds readTimeout_ = kReadTimeout;
  std::chrono::milliseconds writeTimeout_ = kWriteTimeout;
  // When the bytes written so far will have left the port at the earliest.
  std::chrono::steady_clock::time_point lineBusyUntil_{};
};

}  // namespace dp3
