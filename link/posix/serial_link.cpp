// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/posix/serial_link.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "link/port_check.hpp"

namespace dp3 {

namespace {

using Clock = std::chrono::steady_clock;

speed_t speedFor(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    default:
      return B0;
  }
}

std::string reasonFor(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return "no such device";
    case EACCES:
    case EPERM:
      return "permission denied (is the user in the dialout group?)";
    case EBUSY:
    case EWOULDBLOCK:
      return "in use by another program";
    default:
      return std::strerror(error);
  }
}

// Why a device must not be used as the keyer's line ("" when it may): the
// terminal this program runs in, or a virtual console.
std::string notAKeyerLine(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return {};
  const unsigned majorNumber = major(info.st_rdev);
  const unsigned minorNumber = minor(info.st_rdev);
  pid_t session = 0;
  if (::ioctl(fd, TIOCGSID, &session) == 0 && session == ::getsid(0)) {
    return "the terminal this program runs in, not a serial port";
  }
  constexpr unsigned kConsoleMajor = 4;  // tty0-tty63; serial ports follow from minor 64
  constexpr unsigned kAuxMajor = 5;      // tty (0) and console (1)
  if ((majorNumber == kConsoleMajor && minorNumber < 64) ||
      (majorNumber == kAuxMajor && minorNumber <= 1)) {
    return "a console, not a serial port";
  }
  return {};
}

// Milliseconds left until deadline, rounded up so a call never ends early; never negative.
int msLeft(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

SerialLink::SerialLink(std::string devicePath, TermiosCalls calls)
    : path_(std::move(devicePath)), calls_(calls) {}

SerialLink::~SerialLink() {
  commClose();
}

int SerialLink::commOpen() {
  commClose();
  reason_.clear();
  if (path_.empty()) {
    reason_ = "no port chosen";
    return kCommOpenFailed;
  }
  fd_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    reason_ = reasonFor(errno);
    return kCommOpenFailed;
  }
  if (std::string refusal = notAKeyerLine(fd_); !refusal.empty()) {
    reason_ = refusal;
    ::close(fd_);
    fd_ = -1;
    return kCommOpenFailed;
  }
  // Exclusive use: a second program (or a second window) must not share the line.
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    reason_ = reasonFor(errno == EWOULDBLOCK ? EBUSY : errno);
    ::close(fd_);
    fd_ = -1;
    return kCommOpenFailed;
  }
  locked_ = true;
  // A program that opened the port without a lock (a terminal, a shell's
  // redirection) would read the keyer's replies too. (Only a terminal: other
  // devices are refused below, and /dev/null has a holder in every process.)
  if (const std::vector<PortHolder> holders =
          ::isatty(fd_) ? portHolders(path_) : std::vector<PortHolder>{};
      !holders.empty()) {
    reason_ = "in use by " + holdersText(holders);
    commClose();
    return kCommOpenFailed;
  }
  // No further opens while the port is ours (not every device supports it;
  // the lock and the look above are what count).
  ::ioctl(fd_, TIOCEXCL);
  portOpen_ = true;

  if (calls_.getAttr(fd_, &settings_) != 0) {
    reason_ = reasonFor(errno);
    return kCommGetStateFailed;
  }
  original_ = settings_;
  restore_ = true;
  cfmakeraw(&settings_);  // 8 bits, no parity, no echo, NUL bytes kept
  settings_.c_cflag &= ~(CSTOPB | PARENB);
  settings_.c_cflag |= CS8 | CREAD | CLOCAL;
  settings_.c_iflag &= ~(IXON | IXOFF | IXANY);
  settings_.c_cc[VMIN] = 0;
  settings_.c_cc[VTIME] = 0;
  cfsetispeed(&settings_, B1200);
  cfsetospeed(&settings_, B1200);
  baud_ = kHostBaudRate;
  if (calls_.setAttr(fd_, TCSANOW, &settings_) != 0) {
    reason_ = reasonFor(errno);
    return kCommSetStateFailed;
  }
  // DTR on powers some interfaces, RTS off; a pseudo-terminal has neither line.
  int dtr = TIOCM_DTR;
  int rts = TIOCM_RTS;
  ::ioctl(fd_, TIOCMBIS, &dtr);
  ::ioctl(fd_, TIOCMBIC, &rts);

  pause(kSettleBeforePurge);
  // Whatever the keyer sent before now belongs to no request of ours.
  if (calls_.flush(fd_, TCIFLUSH) != 0) {
    reason_ = reasonFor(errno);
    return kCommPurgeFailed;
  }
  return kCommOpenOk;
}

void SerialLink::commClose() {
  if (fd_ >= 0) {
    if (restore_) calls_.setAttr(fd_, TCSANOW, &original_);
    ::ioctl(fd_, TIOCNXCL);
    if (locked_) ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
  fd_ = -1;
  locked_ = false;
  restore_ = false;
  portOpen_ = false;
}

bool SerialLink::commWrite(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) return false;
  const auto start = Clock::now();
  const auto deadline = start + writeTimeout_;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    const int left = msLeft(deadline);
    if (left == 0) break;
    pollfd p{fd_, POLLOUT, 0};
    const int ready = ::poll(&p, 1, left);
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) break;
  }
  if (done == bytes.size()) {
    // The line sends them one after another, after whatever it was still sending.
    lineBusyUntil_ = std::max(start, lineBusyUntil_) + lineTime(done);
    return true;
  }
  calls_.flush(fd_, TCOFLUSH);  // nothing half-sent stays queued behind a failed call
  lineBusyUntil_ = {};
  return false;
}

bool SerialLink::commRead(std::span<std::uint8_t> bytes) {
  if (fd_ < 0) return false;
  const auto deadline = Clock::now() + readTimeout_;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;  // the device went away
    const int left = msLeft(deadline);
    if (left == 0) return false;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, left);
    if (ready < 0 && errno != EINTR) return false;
    if (ready > 0 && !(p.revents & POLLIN) && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
      return false;
  }
  return true;
}

bool SerialLink::setBaudRate(int baud) {
  if (fd_ < 0) return false;
  const speed_t speed = speedFor(baud);
  if (speed == B0) return false;
  termios changed = settings_;
  cfsetispeed(&changed, speed);
  cfsetospeed(&changed, speed);
  if (calls_.setAttr(fd_, TCSADRAIN, &changed) != 0) return false;
  settings_ = changed;
  baud_ = baud;
  return true;
}

bool SerialLink::drain() {
  if (fd_ < 0) return false;
  const auto hungUp = [this] {
    pollfd p{fd_, 0, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
  };
  const auto queued = [this] {
    int bytes = 0;
    return ::ioctl(fd_, TIOCOUTQ, &bytes) == 0 ? bytes : 0;
  };
  // An empty queue is not enough: a pseudo-terminal reports none at all, and
  // a USB adapter reports its own buffer empty while the bytes still wait in
  // the adapter. No line sends them faster than their own line time.
  const auto now = Clock::now();
  const auto sent = std::max(lineBusyUntil_, now + lineTime(static_cast<std::size_t>(queued())));
  const auto deadline = sent + kWriteTimeout;
  for (;;) {
    if (hungUp()) return false;
    if (queued() == 0 && Clock::now() >= lineBusyUntil_) return true;
    const int left = msLeft(deadline);
    if (left == 0) break;
    // Polled rather than tcdrain: a stalled line (flow control, a stuck
    // adapter) must not hold the program past the deadline.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 5)));
  }
  calls_.flush(fd_, TCOFLUSH);
  lineBusyUntil_ = {};
  return false;
}

Clock::duration SerialLink::lineTime(std::size_t bytes) const {
  // 10 bits a byte on the line: start, 8 data, stop.
  return std::chrono::microseconds(static_cast<long long>(bytes) * 10'000'000 /
                                   (baud_ > 0 ? baud_ : kHostBaudRate));
}

}  // namespace dp3
