// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <string_view>

namespace dp3 {

// One entry of a file dialog's filter list: "Settings Files (*.eep)", "*.eep".
struct FileFilter {
  std::string_view description;
  std::string_view pattern;
};

}  // namespace dp3
