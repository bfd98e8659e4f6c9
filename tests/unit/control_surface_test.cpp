// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "surface/forwarding_surface.hpp"
#include "surface/map_surface.hpp"

namespace dp3 {
namespace {

TEST(MapSurface, ListSelectionStaysWithinEntries) {
  MapSurface ui;
  ui.addListEntry(7, "a");
  ui.addListEntry(7, "b");
  ui.selectEntry(7, 1);
  EXPECT_EQ(ui.selectedEntry(7), 1);
  ui.selectEntry(7, 2);
  EXPECT_EQ(ui.selectedEntry(7), -1);
  ui.selectEntry(7, 0);
  ui.clearList(7);
  EXPECT_EQ(ui.selectedEntry(7), -1);
  EXPECT_TRUE(ui.control(7).entries.empty());
}

// A worker's calls go through the face's hook, which runs them and returns;
// on the window's thread they go straight through; a call that never reached
// the window answers as a surface that cannot ask.
TEST(ForwardingSurface, AWorkersCallsGoThroughTheHook) {
  MapSurface target;
  target.answer = Answer::Yes;
  target.answerYes = true;
  int hooked = 0;
  bool reaches = true;
  ForwardingSurface surface(target, [&](const std::function<void()>& call) {
    ++hooked;
    if (reaches) call();
  });
  surface.setText(1, "on the window thread");
  EXPECT_EQ(hooked, 0);
  std::thread([&] {
    surface.setText(2, "from a worker");
    EXPECT_EQ(surface.text(2), "from a worker");
    EXPECT_EQ(surface.ask("Save?", "c"), Answer::Yes);
    reaches = false;
    EXPECT_EQ(surface.ask("Save?", "c"), Answer::No);
    EXPECT_FALSE(surface.askYesNo("Go on?", "c"));
    EXPECT_EQ(surface.selectedEntry(3), -1);
  }).join();
  EXPECT_EQ(hooked, 6);
  EXPECT_EQ(target.text(1), "on the window thread");
  EXPECT_EQ(target.questions.size(), 1u);
}

}  // namespace
}  // namespace dp3
