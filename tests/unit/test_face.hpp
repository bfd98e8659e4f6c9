// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "surface/map_surface.hpp"
#include "window_logic/window_face.hpp"

namespace dp3::test {

// A face without a window, for the window logic: work runs at once on the
// calling thread, or waits until the test releases it; a window opened over
// this one runs what the test scripted for it over a map surface; the file
// dialogs answer from a list.
struct TestFace : WindowFace {
  using Script = std::function<void(MapSurface& ui, WindowLogic& logic, TestFace& face)>;

  void runOffWindowThread(std::function<void()> work, std::function<void()> done) override {
    pending.emplace_back(std::move(work), std::move(done));
    if (!holdWork) finishWork();
  }
  // Runs the work held back, then its ending, oldest first.
  void finishWork() {
    while (!pending.empty()) runNextWork();
  }
  // Runs the oldest work held back, then its ending.
  void runNextWork() {
    auto [work, done] = std::move(pending.front());
    pending.pop_front();
    work();
    done();
  }
  void runOnWindowThread(const std::function<void()>& call) override { call(); }
  bool threadsAvailable() const override { return threads; }
  void holdInput(bool hold) override { held = hold; }
  void closeWindow() override { closed = true; }
  void runWindow(int dialogId, const MakeLogic& make) override {
    MapSurface ui;
    TestFace face;
    face.files = files;
    auto logic = make(ui, face);
    logic->onOpen();
    opened.push_back(dialogId);
    if (const auto script = scripts.find(dialogId); script != scripts.end()) {
      script->second(ui, *logic, face);
    }
  }
  std::string chooseFile(FileChoice choice, const std::string& folder) override {
    asked.emplace_back(choice, folder);
    const auto file = files.find(choice);
    return file == files.end() ? std::string() : file->second;
  }
  std::string soundUnavailable() const override { return noSound; }
  bool playSound(std::unique_ptr<PcmRenderer> pcm) override {
    played = std::move(pcm);
    return noSound.empty();
  }
  void stopSound() override { played.reset(); }
  WindowRect windowRect() const override { return rect; }
  WindowRect screenArea() const override { return screen; }
  void placeWindow(const WindowRect& place) override { rect = place; }
  int scalePercent() const override { return scale; }

  bool holdWork = false;
  bool threads =
      true;  // false: a face like the page's, whose work is all it runs beside the window
  std::deque<std::pair<std::function<void()>, std::function<void()>>> pending;
  bool held = false;
  bool closed = false;
  std::map<int, Script> scripts;  // by dialog id
  std::vector<int> opened;
  std::map<FileChoice, std::string> files;
  std::vector<std::pair<FileChoice, std::string>> asked;  // each dialog and the folder it opened in
  std::string noSound;
  std::unique_ptr<PcmRenderer> played;
  WindowRect rect{0, 0, 800, 600};
  WindowRect screen{0, 0, 1280, 984};
  int scale = 100;
};

}  // namespace dp3::test
