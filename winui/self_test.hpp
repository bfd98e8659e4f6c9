// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace dp3::winui {

// What a driver of the windows watches: the main window and the uploader
// while open, and how many pieces of work run off the window thread (keyer
// commands, Program's checks, Find Keyer) have ended.
struct WindowWatch {
  std::atomic<HWND> main{nullptr};
  std::atomic<HWND> uploader{nullptr};
  std::atomic<int> workEnded{0};
};
WindowWatch& windowWatch();

// Drives the window from another thread as an operator would, through its
// controls: Test, Read, a refused value (the focus then on its box), Write,
// and an upload of the firmware file, checking each status; Esc closes the
// uploader; then Exit, which asks nothing of settings the keyer holds. Message boxes are recorded
// instead of shown. verdict is 0 when all went as expected, once the thread has ended.
std::thread startSelfTest(std::string firmwareFile, int& verdict);

// Reads the keyer, then writes a picture of each of the five windows into
// folder (main_window.bmp, port_window.bmp, uploader_window.bmp,
// about_window.bmp, rtty_window.bmp) and ends the program.
std::thread startScreenshots(std::string folder, std::string firmwareFile, int& verdict);

}  // namespace dp3::winui
