// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "system/file_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace dp3 {

namespace {

constexpr std::chrono::milliseconds kRetry{5};

}  // namespace

FileLock::FileLock(const std::filesystem::path& path, std::chrono::milliseconds wait)
    : lockFile_(lockFileOf(path)) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const int fd = ::open(lockFile_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      result_ = {FileResult::Kind::Create, path, std::strerror(errno)};
      return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // The holder before removes the file as it lets go: a lock on a file
      // no longer under that name holds nothing, so take the new one.
      struct stat held {};
      struct stat named {};
      if (::fstat(fd, &held) == 0 && ::stat(lockFile_.c_str(), &named) == 0 &&
          held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
        fd_ = fd;
        result_ = {FileResult::Kind::Done, path};
        return;
      }
      ::close(fd);
      continue;
    }
    const int error = errno;
    if (error == ENOLCK || error == ENOSYS || error == EOPNOTSUPP) {
      // A file system that keeps no locks holds no save back.
      fd_ = fd;
      result_ = {FileResult::Kind::Done, path};
      return;
    }
    ::close(fd);
    if (error != EWOULDBLOCK && error != EINTR) {
      result_ = {FileResult::Kind::Create, path, std::strerror(error)};
      return;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      result_ = {FileResult::Kind::Refused, path, "is being changed by another program"};
      return;
    }
    std::this_thread::sleep_for(kRetry);
  }
}

FileLock::~FileLock() {
  if (fd_ < 0) return;
  ::unlink(lockFile_.c_str());
  ::close(fd_);
}

}  // namespace dp3
