// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "winui/self_test.hpp"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <vector>

#include "surface/control_ids.hpp"
#include "window_logic/keyer_commands.hpp"
#include "window_logic/main_window.hpp"
#include "winui/dialog_surface.hpp"
#include "winui/file_dialogs.hpp"

namespace dp3::winui {

WindowWatch& windowWatch() {
  static WindowWatch watch;
  return watch;
}

namespace {

using namespace std::chrono_literals;

struct Message {
  std::string text;
  std::string caption;
};

// Works the windows through their controls, as posted clicks and sent texts,
// from a thread of its own; the windows' thread runs the dialogs meanwhile.
class Driver {
 public:
  explicit Driver(const std::string& firmware) {
    setMessageSink([this](std::string_view text, std::string_view caption) {
      std::lock_guard lock(mutex_);
      messages_.push_back({std::string(text), std::string(caption)});
      std::fprintf(stderr, "self-test: message box \"%.*s\": %.*s\n", int(caption.size()),
                   caption.data(), int(text.size()), text.data());
    });
    fileChooser() = [this, firmware](HWND, FileChoice choice, const std::string&) {
      ++filesChosen_;
      return choice == FileChoice::OpenFirmware ? firmware : std::string();
    };
  }

  int failures() const { return failures_; }
  int filesChosen() const { return filesChosen_; }

  bool expect(bool ok, const std::string& what) {
    std::fprintf(stderr, "self-test: %s %s\n", ok ? "PASS" : "FAIL", what.c_str());
    if (!ok) ++failures_;
    return ok;
  }

  // Polls until done() holds, at most timeout.
  bool waitUntil(const std::function<bool()>& done, std::chrono::seconds timeout = 60s) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      Sleep(20);
    }
    return true;
  }

  HWND waitForWindow(const std::atomic<HWND>& window) {
    waitUntil([&] { return window.load() != nullptr; }, 20s);
    return window;
  }

  // The dialog open over owner (port, About, RTTY), or nullptr.
  static HWND popupOf(HWND owner) {
    struct Search {
      HWND owner;
      HWND found;
    } search{owner, nullptr};
    EnumThreadWindows(
        GetWindowThreadProcessId(owner, nullptr),
        [](HWND window, LPARAM data) {
          auto* s = reinterpret_cast<Search*>(data);
          wchar_t kind[16] = {};
          GetClassNameW(window, kind, 16);
          const bool dialog = std::wstring_view(kind) == L"#32770";  // not a tooltip
          if (!dialog || GetWindow(window, GW_OWNER) != s->owner || !IsWindowVisible(window)) {
            return TRUE;
          }
          s->found = window;
          return FALSE;
        },
        LPARAM(&search));
    return search.found;
  }

  HWND waitForPopup(HWND owner) {
    HWND popup = nullptr;
    waitUntil([&] { return (popup = popupOf(owner)) != nullptr; }, 20s);
    return popup;
  }

  static void click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
  }

  // The control of the window's thread that has the keyboard focus.
  static HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
  }

  static std::string text(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::wstring text(std::size_t(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(std::size_t(SendMessageW(control, WM_GETTEXT, text.size(), LPARAM(text.data()))));
    return utf8(text);
  }

  static void type(HWND dialog, int id, const std::string& value) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, LPARAM(wide(value).c_str()));
  }

  // Presses a button and waits for the work it starts off the window thread
  // (a keyer command, Program's checks) to end.
  bool command(HWND dialog, int button) {
    const int before = windowWatch().workEnded;
    click(dialog, button);
    return waitUntil([&] { return windowWatch().workEnded > before; });
  }

  std::vector<Message> messagesSince(std::size_t first) {
    std::lock_guard lock(mutex_);
    return {messages_.begin() + std::ptrdiff_t(std::min(first, messages_.size())), messages_.end()};
  }
  std::size_t messageCount() {
    std::lock_guard lock(mutex_);
    return messages_.size();
  }

  // Loads the firmware in the open uploader and programs it; true when it completed.
  bool upload(HWND uploader) {
    click(uploader, id::kLoadBin);
    if (!waitUntil([&] { return IsWindowEnabled(GetDlgItem(uploader, id::kProgram)); }, 20s)) {
      return expect(false, "the firmware file loads");
    }
    // Program's checks, then the upload, which ends with Load enabled again.
    if (!expect(command(uploader, id::kProgram), "Program's checks end") ||
        !expect(
            waitUntil([&] { return IsWindowEnabled(GetDlgItem(uploader, id::kLoadBin)); }, 120s),
            "the upload ends")) {
      return false;
    }
    const auto percent = SendDlgItemMessageW(uploader, id::kUploadProgress, PBM_GETPOS, 0, 0);
    // Completed, and the settings the new firmware changed put back (asked, answered Yes).
    const std::string status = text(uploader, id::kUploadStatus);
    return expect(status.starts_with("Upload Completed Successfully") &&
                      status.find("Not Restored") == std::string::npos,
                  "the uploader shows the upload completed: " + status) &&
           expect(percent >= 99, "its progress bar followed the upload to its last frame");
  }

  // Ends whatever is still open, so the program ends even after a failure:
  // the dialogs over the main window first, then the main window.
  void closeAll() {
    HWND main = windowWatch().main;
    if (!main) return;
    for (HWND popup; (popup = popupOf(main)) != nullptr;) {
      PostMessageW(popup, WM_CLOSE, 0, 0);
      if (!waitUntil([&] { return !IsWindow(popup); }, 20s)) return;
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
  }

 private:
  std::mutex mutex_;
  std::vector<Message> messages_;
  int failures_ = 0;
  std::atomic<int> filesChosen_{0};
};

void selfTest(Driver& d) {
  HWND main = d.waitForWindow(windowWatch().main);
  if (!d.expect(main != nullptr, "the main window opens")) return;
  auto status = [&] { return Driver::text(main, id::kOperationStatus); };

  if (!d.expect(d.command(main, id::kTestDp), "Test DP ends")) return;
  d.expect(status() == kStatusOk, "Test DP shows " + std::string(kStatusOk));
  d.expect(Driver::text(main, id::kIcLine).find("LARK") != std::string::npos,
           "the IC line names the keyer");

  if (!d.expect(d.command(main, id::kReadDp), "Read DP ends")) return;
  d.expect(status() == kStatusReadDone, "Read DP shows " + std::string(kStatusReadDone));

  // A value out of range: Write refuses it with an "Error" box and sends nothing.
  const std::string maxWpm = Driver::text(main, id::kMaxWpm);
  Driver::type(main, id::kMaxWpm, "999");
  const std::size_t before = d.messageCount();
  if (!d.expect(d.command(main, id::kWriteDp), "Write DP with MaxWpm 999 ends")) return;
  const std::vector<Message> refusals = d.messagesSince(before);
  d.expect(refusals.size() == 1 && refusals[0].caption == "Error",
           "the refused value brings one message box captioned Error");
  d.expect(status() != kStatusWriteDone, "the refused Write does not say Done");
  d.expect(Driver::focusOf(main) == GetDlgItem(main, id::kMaxWpm),
           "the refused value's box has the focus");
  Driver::type(main, id::kMaxWpm, maxWpm);

  if (!d.expect(d.command(main, id::kWriteDp), "Write DP ends")) return;
  d.expect(status() == kStatusWriteDone, "Write DP shows " + std::string(kStatusWriteDone));

  // FW Update: the uploader, closed by Esc (never taken for Load, which has
  // Esc's id), then the Test the main window runs after it.
  Driver::click(main, id::kFwUpdate);
  HWND uploader = d.waitForWindow(windowWatch().uploader);
  if (!d.expect(uploader != nullptr, "the uploader opens")) return;
  d.upload(uploader);
  const int chosen = d.filesChosen();
  const int commands = windowWatch().workEnded;
  PostMessageW(GetDlgItem(uploader, id::kLoadBin), WM_KEYDOWN, VK_ESCAPE, 0);
  d.expect(d.waitUntil([&] { return windowWatch().workEnded > commands; }),
           "Esc closes the uploader and the keyer is tested after the upload");
  d.expect(d.filesChosen() == chosen, "Esc opened no file dialog");
  d.expect(status() == kStatusOk, "the programmed keyer answers " + std::string(kStatusOk));
  // Questions (an older image over newer firmware) are answered Yes; no other
  // error was shown.
  int errors = 0;
  for (const Message& m : d.messagesSince(before)) errors += m.caption == "Error" ? 1 : 0;
  d.expect(errors == 1, "no other error box was shown");

  // The settings were written to the keyer: Exit asks nothing.
  const std::size_t beforeExit = d.messageCount();
  Driver::click(main, id::kExit);
  d.expect(d.waitUntil([] { return windowWatch().main.load() == nullptr; }, 20s),
           "Exit ends the window");
  d.expect(d.messagesSince(beforeExit).empty(), "Exit asks nothing about saved settings");
}

// A 24-bit bottom-up BMP of the window as it shows now.
bool writePicture(HWND window, const std::string& path) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const std::size_t row = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
  std::vector<char> pixels(row * std::size_t(height));
  GetDIBits(memory, bitmap, 0, UINT(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = DWORD(file.bfOffBits + pixels.size());
  std::ofstream out(std::filesystem::u8path(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  out.write(pixels.data(), std::streamsize(pixels.size()));
  return bool(out);
}

void screenshots(Driver& d, const std::string& folder) {
  HWND main = d.waitForWindow(windowWatch().main);
  if (!d.expect(main != nullptr, "the main window opens")) return;
  d.command(main, id::kReadDp);
  auto shoot = [&](HWND window, const char* name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    d.expect(writePicture(window, folder + "/" + name + ".bmp"), std::string("picture of ") + name);
  };
  shoot(main, "main_window");
  // The port, About and RTTY windows open over the main window; each is
  // pictured, then closed.
  const std::pair<int, const char*> popups[] = {
      {id::kSetComPort, "port_window"}, {id::kAbout, "about_window"}, {id::kRtty, "rtty_window"}};
  for (const auto& [button, name] : popups) {
    Driver::click(main, button);
    HWND popup = d.waitForPopup(main);
    if (!d.expect(popup != nullptr, std::string(name) + " opens")) return;
    if (button == id::kSetComPort) {
      Driver::click(popup, id::kFindKeyer);
      Sleep(1500);
    }
    shoot(popup, name);
    PostMessageW(popup, WM_CLOSE, 0, 0);
    d.waitUntil([&] { return !IsWindow(popup); }, 20s);
  }
  Driver::click(main, id::kFwUpdate);
  HWND uploader = d.waitForWindow(windowWatch().uploader);
  if (!d.expect(uploader != nullptr, "the uploader opens")) return;
  d.upload(uploader);
  shoot(uploader, "uploader_window");
  Driver::click(uploader, id::kUploaderExit);
}

std::thread startDriver(std::function<void(Driver&)> run, std::string firmware, int& verdict) {
  return std::thread([run = std::move(run), firmware = std::move(firmware), &verdict] {
    // The pointer rests in a corner, away from the centred windows and their hints.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Driver driver(firmware);
    run(driver);
    driver.closeAll();
    std::fprintf(stderr, "self-test: %d failed\n", driver.failures());
    verdict = driver.failures() == 0 ? 0 : 1;
  });
}

}  // namespace

std::thread startSelfTest(std::string firmwareFile, int& verdict) {
  return startDriver(selfTest, std::move(firmwareFile), verdict);
}

std::thread startScreenshots(std::string folder, std::string firmwareFile, int& verdict) {
  return startDriver([folder = std::move(folder)](Driver& d) { screenshots(d, folder); },
                     std::move(firmwareFile), verdict);
}

}  // namespace dp3::winui
