// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "link/link.hpp"

namespace dp3 {

// The line-settings calls the link makes, so tests can make one of them fail.
struct CommCalls {
  BOOL(WINAPI* getState)(HANDLE port, LPDCB settings) = ::GetCommState;
  BOOL(WINAPI* setState)(HANDLE port, LPDCB settings) = ::SetCommState;
  BOOL(WINAPI* purge)(HANDLE port, DWORD flags) = ::PurgeComm;
};

// The Win32 name of a port: "COM9" as it is, "\\.\COM10" from 10 on (the
// plain name reaches only COM1 to COM9); "COMn" may be given in any case.
// Other names are taken as they are.
std::string commDeviceName(const std::string& port);

// A COM port as the line to the keyer: 1200 8N1, DTR on, RTS off, no XON/XOFF,
// NUL bytes kept, opened for this process alone, transfers overlapped.
class SerialLink : public Link {
 public:
  explicit SerialLink(std::string port, CommCalls calls = {});
  ~SerialLink() override;
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  int commOpen() override;
  void commClose() override;
  bool portOpenFlag() const override { return portOpen_; }
  bool commWrite(std::span<const std::uint8_t> bytes) override;
  bool commRead(std::span<std::uint8_t> bytes) override;
  bool drain() override;
  bool setBaudRate(int baud) override;
  std::string openFailureReason() const override { return reason_; }

  const std::string& devicePath() const { return port_; }

  // Shorter transfer deadlines, for a quick look at a port that may hold no keyer.
  void setTimeouts(std::chrono::milliseconds read, std::chrono::milliseconds write) {
    readTimeout_ = read;
    writeTimeout_ = write;
  }

 private:
  bool transfer(bool write, void* bytes, DWORD count, DWORD waitMs);

  std::string port_;
  CommCalls calls_;
  HANDLE handle_ = nullptr;
  bool portOpen_ = false;
  DCB settings_{};  // as configured at open; the baud change edits only the speed
  std::string reason_;
  std::chrono::milliseconds readTimeout_ = kReadTimeout;
  std::chrono::milliseconds writeTimeout_ = kWriteTimeout;
};

}  // namespace dp3
