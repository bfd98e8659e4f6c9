// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "system/file_lock.hpp"

#include <windows.h>

#include <system_error>
#include <thread>

namespace dp3 {

namespace {

constexpr std::chrono::milliseconds kRetry{5};

}  // namespace

// The lock file opened with no sharing is the lock: a second opener fails
// until the first closes it, and it goes away with the last handle.
FileLock::FileLock(const std::filesystem::path& path, std::chrono::milliseconds wait)
    : lockFile_(lockFileOf(path)) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    HANDLE handle =
        CreateFileW(lockFile_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      handle_ = handle;
      result_ = {FileResult::Kind::Done, path};
      return;
    }
    const DWORD error = GetLastError();
    // Held by another, or removed by it just now.
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) {
      result_ = {FileResult::Kind::Create, path,
                 std::system_category().message(static_cast<int>(error))};
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
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}

}  // namespace dp3
