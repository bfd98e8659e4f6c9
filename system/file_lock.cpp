// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "system/file_lock.hpp"

#include <system_error>

namespace dp3 {

std::filesystem::path lockFileOf(const std::filesystem::path& path) {
  // Two names of one file (a link and its target) share one lock.
  std::error_code error;
  std::filesystem::path file = std::filesystem::canonical(path, error);
  if (error) file = path;
  std::filesystem::path name = ".";
  name += file.filename();
  name += ".lock";
  return file.parent_path() / name;
}

}  // namespace dp3
