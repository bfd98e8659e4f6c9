// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <chrono>
#include <filesystem>

#include "system/file_result.hpp"

namespace dp3 {

// Holds off other programs' changes to one file while this one reads,
// changes and saves it, so that no edit falls between another's read and its
// save. The lock is a file beside it (".NAME.lock"), removed on release;
// every program that changes the file takes it first.
class FileLock {
 public:
  // Waits up to wait for the lock of path. result() says whether it is held:
  // Done, Refused ("is being changed by another program") when the wait ran
  // out, or Create when no lock file can be made beside it.
  explicit FileLock(const std::filesystem::path& path,
                    std::chrono::milliseconds wait = std::chrono::seconds(10));
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  const FileResult& result() const { return result_; }
  bool held() const { return result_.ok(); }

 private:
  FileResult result_;
  std::filesystem::path lockFile_;
#if defined(_WIN32)
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// The lock file that stands for path.
std::filesystem::path lockFileOf(const std::filesystem::path& path);

}  // namespace dp3
