#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace dp3::winui {

// What a driver of the windows watches: the open dialogs, and how many keyer
// commands and uploads have ended.
struct WindowWatch {
  std::atomic<HWND> main{nullptr};
  std::atomic<HWND> uploader{nullptr};
  std::atomic<int> commandsEnded{0};
  std::atomic<int> uploadsEnded{0};
};
WindowWatch& windowWatch();

// Drives the window from another thread as an operator would, through its
// controls: Test, Read, a refused value, Write, and an upload of the firmware
// file, checking each status; then Exit. Message boxes are recorded instead
// of shown. verdict is 0 when all went as expected, once the thread has ended.
std::thread startSelfTest(std::string firmwareFile, int& verdict);

// Reads the keyer, then writes a picture of each of the five windows into
// folder (main_window.bmp, port_window.bmp, uploader_window.bmp,
// about_window.bmp, rtty_window.bmp) and ends the program.
std::thread startScreenshots(std::string folder, std::string firmwareFile, int& verdict);

}  // namespace dp3::winui
