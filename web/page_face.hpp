// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <functional>
#include <memory>
#include <string>

#include "web/dom_surface.hpp"
#include "window_logic/window_face.hpp"

namespace dp3::web {

// What the page hands a window (page.js posts them by these numbers).
enum class PageEvent { Button = 1, List, Close, Escape, Timer, SoundEnded };

// A window of the page as the face of its logic. The page has one thread:
// the innermost open window waits for the page's next event and runs the
// work started off the window thread one piece after another. While a piece
// waits on the line, the page hands its events over at once (dispatchNow),
// and those may not wait themselves.
class PageDialog : public WindowFace {
 public:
  PageDialog(int dialogId, MakeLogic make);
  ~PageDialog() override;
  PageDialog(const PageDialog&) = delete;
  PageDialog& operator=(const PageDialog&) = delete;

  // Shows the window and runs its logic until it closes.
  void run();
  WindowLogic& logic() { return *logic_; }

  void runOffWindowThread(std::function<void()> work, std::function<void()> done) override;
  void runOnWindowThread(const std::function<void()>& call) override { call(); }
  bool threadsAvailable() const override { return false; }
  void holdInput(bool hold) override;
  void closeWindow() override;
  void runWindow(int dialogId, const MakeLogic& make) override;
  std::string chooseFile(FileChoice choice, const std::string& folder) override;
  std::string soundUnavailable() const override;
  bool playSound(std::unique_ptr<PcmRenderer> pcm) override;
  void stopSound() override;
  WindowRect windowRect() const override;
  WindowRect screenArea() const override;
  void placeWindow(const WindowRect&) override {}  // the page lays its windows out itself

  // An event for the window of that id, if it is open and takes it.
  static void dispatch(int dialogId, PageEvent event, int id);
  // A character typed into box id of that window; true swallows it.
  static bool typed(int dialogId, int id, unsigned character);
  // Hands an event over while the page's work waits on the line.
  static void dispatchNow(int dialogId, PageEvent event, int id);

 private:
  void handle(PageEvent event, int id);

  int dialogId_;
  MakeLogic make_;
  DomSurface surface_;
  std::unique_ptr<WindowLogic> logic_;
  bool closed_ = false;
  bool held_ = false;
  bool playing_ = false;
};

// False while an event is handed over during the page's work: nothing then
// may wait for the operator or the browser.
bool mayWait();

// Where settings files to download are written; the page offers each one
// as a download once the event that wrote it has ended.
inline constexpr const char* kDownloadFolder = "/home/web_user/Downloads";

}  // namespace dp3::web
