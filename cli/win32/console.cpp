// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <windows.h>

#include "cli/cli.hpp"

namespace dp3::cli {

bool outputTakesEscapes() {
  // A console draws escape sequences only when asked to; a pipe or file never does.
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (out == INVALID_HANDLE_VALUE || !out || !GetConsoleMode(out, &mode)) return false;
  SetConsoleOutputCP(CP_UTF8);
  return SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace dp3::cli
