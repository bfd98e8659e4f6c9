// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "sim/posix/pty_keyer.hpp"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace dp3 {

namespace {

int baudOf(speed_t speed) {
  switch (speed) {
    case B2400:
      return 2400;
    case B4800:
      return 4800;
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    default:
      return 1200;
  }
}

}  // namespace

PtyKeyer::PtyKeyer(KeyerModel& model, bool realtime) : model_(model), realtime_(realtime) {}

PtyKeyer::~PtyKeyer() {
  stop();
  hangUp();
}

bool PtyKeyer::open(std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    hangUp();
    return false;
  }
  const char* name = ::ptsname(master_);
  if (!name) {
    error = "cannot name the pseudo-terminal";
    hangUp();
    return false;
  }
  path_ = name;
  // Raw from the start: an echoing line discipline would hand the keyer its own bytes.
  slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios raw{};
  if (slave_ < 0 || ::tcgetattr(slave_, &raw) != 0) {
    error = "cannot open " + path_ + ": " + std::strerror(errno);
    hangUp();
    return false;
  }
  ::cfmakeraw(&raw);
  ::cfsetispeed(&raw, B1200);
  ::cfsetospeed(&raw, B1200);
  ::tcsetattr(slave_, TCSANOW, &raw);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  return true;
}

void PtyKeyer::pace(int baud) {
  if (!realtime_) return;
  const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / baud);
  // Bytes in a burst follow each other on the line's own schedule: a sleep
  // that wakes a little late must not push every later byte back with it.
  const auto now = std::chrono::steady_clock::now();
  if (now > lineFree_ + byteTime / 4) lineFree_ = now;
  lineFree_ += byteTime;
  std::this_thread::sleep_until(lineFree_);
}

void PtyKeyer::serve(const std::atomic<bool>& stop) {
  std::vector<std::uint8_t> in(512);
  std::vector<std::uint8_t> out;
  while (!stop && master_ >= 0) {
    pollfd p{master_, POLLIN, 0};
    const bool input = ::poll(&p, 1, 20) > 0 && (p.revents & POLLIN);
    // The program's speed setting on the line is the keyer's too. Read after
    // the wait: a program that changes speed and then writes at once must
    // have its bytes heard at the new speed.
    termios line{};
    int baud = 1200;
    if (::tcgetattr(master_, &line) == 0) baud = baudOf(::cfgetospeed(&line));
    if (input) {
      const ssize_t n = ::read(master_, in.data(), in.size());
      for (ssize_t i = 0; i < n; ++i) {
        pace(baud);
        std::lock_guard lock(mutex_);
        model_.setLineBaud(baud);
        model_.receive(in[static_cast<std::size_t>(i)]);
      }
    }

    bool hungUp = false;
    {
      std::lock_guard lock(mutex_);
      auto& pending = model_.output();
      out.assign(pending.begin(), pending.end());
      pending.clear();
      hungUp = model_.hungUp();
    }
    for (std::size_t i = 0; i < out.size();) {
      const std::size_t chunk = realtime_ ? 1 : out.size() - i;
      if (realtime_) pace(baud);
      const ssize_t n = ::write(master_, out.data() + i, chunk);
      if (n > 0) {
        i += static_cast<std::size_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        break;
      } else {
        pollfd w{master_, POLLOUT, 0};
        ::poll(&w, 1, 20);
      }
    }
    if (hungUp) hangUp();
  }
}

void PtyKeyer::start() {
  stopFlag_ = false;
  thread_ = std::thread([this] { serve(stopFlag_); });
}

void PtyKeyer::stop() {
  stopFlag_ = true;
  if (thread_.joinable()) thread_.join();
}

void PtyKeyer::hangUp() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = master_ = -1;
}

}  // namespace dp3
