// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "window_logic/window_face.hpp"
#include "winui/dialog_surface.hpp"

namespace dp3::winui {

// The messages a dialog sends itself: a call from a worker to run on the
// window thread (lParam: the std::function<void()>), and the end of work
// started off it (wParam: which).
inline constexpr UINT kRunOnWindowThread = WM_APP + 1;
inline constexpr UINT kWorkDone = WM_APP + 2;

// Dialog template dialogId as the Win32 face of its window logic: forwards
// every click, list choice, typed character, Esc, the close box and the timer
// to the logic, and does what only a face can (WindowFace). It decides nothing.
class Dialog : public WindowFace {
 public:
  Dialog(int dialogId, MakeLogic make) : dialogId_(dialogId), make_(std::move(make)) {}
  ~Dialog() override;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally over owner until its logic closes it.
  void run(HWND owner);

  void runOffWindowThread(std::function<void()> work, std::function<void()> done) override;
  void runOnWindowThread(const std::function<void()>& call) override;
  void holdInput(bool hold) override;
  void closeWindow() override;
  void runWindow(int dialogId, const MakeLogic& make) override;
  std::string chooseFile(FileChoice choice, const std::string& folder) override;
  std::string soundUnavailable() const override { return noSound_; }
  bool playSound(std::unique_ptr<PcmRenderer> pcm) override;
  void stopSound() override;
  WindowRect windowRect() const override;
  WindowRect screenArea() const override;
  // A place smaller than the dialog makes it scroll (a large scale).
  void placeWindow(const WindowRect& place) override;
  int scalePercent() const override;

 private:
  struct Work {
    std::thread thread;
    std::function<void()> done;
  };

  static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK escapeFilter(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK textBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR dialog);
  INT_PTR init(HWND window);
  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
  void setUpMainControls();
  void applyNames();
  void greyForm(bool grey);
  void updateScrollBars();
  void scrollBy(int bar, int delta);
  void onScroll(int bar, WPARAM request);
  void showFocus();

  int dialogId_;
  MakeLogic make_;
  HWND window_ = nullptr;
  std::unique_ptr<DialogSurface> surface_;
  std::unique_ptr<WindowLogic> logic_;
  std::map<WPARAM, Work> works_;
  WPARAM lastWork_ = 0;
  bool held_ = false;
  std::vector<HWND> greyed_;         // exactly the controls greyed while held
  std::vector<std::uint8_t> sound_;  // the WAV playing, kept while it plays
  std::string noSound_;
  SIZE content_{};  // the template's client size, once the dialog scrolls
};

}  // namespace dp3::winui
