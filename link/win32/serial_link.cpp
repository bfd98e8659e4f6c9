// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/win32/serial_link.hpp"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>
#include <utility>

namespace dp3 {

namespace {

constexpr DWORD kDriverReadTimeoutMs = 4500;  // longer than our own wait: the wait decides

std::string reasonFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
      return "no such device";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return "in use by another program";
    default:
      break;
  }
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = n && text ? std::string(text, n) : "system error " + std::to_string(error);
  LocalFree(text);
  while (!reason.empty() && std::isspace(static_cast<unsigned char>(reason.back())))
    reason.pop_back();
  return reason;
}

}  // namespace

std::string commDeviceName(const std::string& port) {
  if (port.size() < 4 || port.size() > 6) return port;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(port[i])) != "COM"[i]) return port;
  }
  int number = 0;
  for (std::size_t i = 3; i < port.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(port[i]))) return port;
    number = number * 10 + (port[i] - '0');
  }
  if (number < 1) return port;
  const std::string name = "COM" + std::to_string(number);
  return number <= 9 ? name : "\\\\.\\" + name;
}

SerialLink::SerialLink(std::string port, CommCalls calls) : port_(std::move(port)), calls_(calls) {}

SerialLink::~SerialLink() {
  commClose();
}

int SerialLink::commOpen() {
  commClose();
  reason_.clear();
  if (port_.empty()) {
    reason_ = "no port chosen";
    return kCommOpenFailed;
  }
  // No sharing: a second program gets "access denied" while we hold the port.
  handle_ = CreateFileA(commDeviceName(port_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    reason_ = reasonFor(GetLastError());
    handle_ = nullptr;
    return kCommOpenFailed;
  }
  portOpen_ = true;

  settings_ = DCB{};
  settings_.DCBlength = sizeof settings_;
  if (!calls_.getState(handle_, &settings_)) {
    reason_ = reasonFor(GetLastError());
    return kCommGetStateFailed;
  }
  // Only the line's own settings; flow control on CTS/DSR and the rest stay
  // as the driver has them.
  settings_.BaudRate = kHostBaudRate;
  settings_.ByteSize = 8;
  settings_.Parity = NOPARITY;
  settings_.StopBits = ONESTOPBIT;
  settings_.fDtrControl = DTR_CONTROL_ENABLE;  // DTR powers some interfaces
  settings_.fRtsControl = RTS_CONTROL_DISABLE;
  settings_.fDsrSensitivity = FALSE;
  settings_.fOutX = FALSE;
  settings_.fInX = FALSE;
  settings_.fNull = FALSE;  // NUL bytes are data
  if (!calls_.setState(handle_, &settings_)) {
    reason_ = reasonFor(GetLastError());
    return kCommSetStateFailed;
  }

  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = kDriverReadTimeoutMs;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = 0;
  SetCommTimeouts(handle_, &timeouts);  // the waits below bound every transfer anyway

  pause(kSettleBeforePurge);
  // Whatever the keyer sent before now belongs to no request of ours.
  if (!calls_.purge(handle_, PURGE_RXCLEAR)) {
    reason_ = reasonFor(GetLastError());
    return kCommPurgeFailed;
  }
  return kCommOpenOk;
}

void SerialLink::commClose() {
  if (handle_) CloseHandle(handle_);
  handle_ = nullptr;
  portOpen_ = false;
}

bool SerialLink::transfer(bool write, void* bytes, DWORD count, DWORD waitMs) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!overlapped.hEvent) return false;
  DWORD done = 0;
  const BOOL started = write ? WriteFile(handle_, bytes, count, nullptr, &overlapped)
                             : ReadFile(handle_, bytes, count, nullptr, &overlapped);
  bool result = false;
  if (started) {
    result = GetOverlappedResult(handle_, &overlapped, &done, FALSE) && done == count;
  } else if (GetLastError() == ERROR_IO_PENDING) {
    if (WaitForSingleObject(overlapped.hEvent, waitMs) == WAIT_OBJECT_0) {
      result = GetOverlappedResult(handle_, &overlapped, &done, FALSE) && done == count;
    } else {
      // The transfer must not finish into the caller's buffer, nor use this
      // record or event, once we have returned: cancel it and wait until it is over.
      CancelIoEx(handle_, &overlapped);
      GetOverlappedResult(handle_, &overlapped, &done, TRUE);
    }
  }
  CloseHandle(overlapped.hEvent);
  // Nothing half-sent stays queued behind a failed write.
  if (write && !result) calls_.purge(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
  return result;
}

bool SerialLink::commWrite(std::span<const std::uint8_t> bytes) {
  if (!handle_ || bytes.size() > MAXDWORD) return false;
  if (bytes.empty()) return true;
  return transfer(true, const_cast<std::uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                  static_cast<DWORD>(writeTimeout_.count()));
}

bool SerialLink::commRead(std::span<std::uint8_t> bytes) {
  if (!handle_ || bytes.size() > MAXDWORD) return false;
  if (bytes.empty()) return true;
  return transfer(false, bytes.data(), static_cast<DWORD>(bytes.size()),
                  static_cast<DWORD>(readTimeout_.count()));
}

bool SerialLink::drain() {
  if (!handle_) return false;
  // The bytes still in the driver's transmit queue; -1 when the port no
  // longer answers (the adapter went away).
  const auto queued = [this]() -> long long {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_, &errors, &status)) return -1;
    return status.cbOutQue;
  };
  const long long first = queued();
  if (first < 0) return false;
  const long long baud = settings_.BaudRate > 0 ? settings_.BaudRate : kHostBaudRate;
  // 10 bits a byte on the line: start, 8 data, stop.
  const auto lineTime = std::chrono::microseconds(first * 10'000'000 / baud);
  const auto deadline = std::chrono::steady_clock::now() + lineTime + writeTimeout_;
  for (;;) {
    const long long left = queued();
    if (left < 0) return false;
    // FlushFileBuffers waits without a bound, so it is asked only once the
    // queue is empty; it then confirms the last byte has left the port.
    if (left == 0) return FlushFileBuffers(handle_) != 0;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  calls_.purge(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
  return false;
}

bool SerialLink::setBaudRate(int baud) {
  if (!handle_ || baud <= 0) return false;
  DCB changed = settings_;
  changed.BaudRate = static_cast<DWORD>(baud);
  if (!calls_.setState(handle_, &changed)) return false;
  settings_ = changed;
  return true;
}

}  // namespace dp3
