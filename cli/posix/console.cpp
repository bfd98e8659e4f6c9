// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <unistd.h>

#include "cli/cli.hpp"

namespace dp3::cli {

bool outputTakesEscapes() {
  return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace dp3::cli
