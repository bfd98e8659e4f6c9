// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <QApplication>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "ui/main_dialog.hpp"

namespace dp3::gui_test {

// The simulated keyer's line with a gate: while closed, writes wait, so a
// keyer command stays running as long as a test needs. It notes the thread
// that wrote last.
class GateLink : public SimLink {
 public:
  using SimLink::SimLink;
  bool commWrite(std::span<const std::uint8_t> bytes) override;

  std::atomic<bool> gateOpen{true};
  std::atomic<bool> waiting{false};  // a write is held at the gate
  std::atomic<std::thread::id> writer{};
};

// The main window against the in-process simulated keyer, with message boxes
// captured instead of shown and the program configuration in a scratch folder.
struct Window {
  explicit Window(SimConfig config = {});
  ~Window();

  GateLink& gate() { return static_cast<GateLink&>(dialog->logic().link()); }
  ui::WidgetSurface& surface() { return dialog->surface(); }
  QWidget* widget(int id) { return dialog->surface().widget(id); }

  // Clicks the control with the mouse, as the operator would.
  void click(int id);
  // Clicks a command button and waits until its keyer work is done.
  void runCommand(int buttonId);
  bool enabled(int id) { return widget(id)->isEnabled(); }
  std::string text(int id) { return surface().text(id); }

  KeyerModel model;
  ProgramConfig config;
  std::unique_ptr<ui::MainDialog> dialog;
  QStringList messages;  // "caption: text" of every message box
  QStringList questions;
  Answer answer = Answer::No;  // to every question
};

// Runs action on the next modal dialog once it is up (from inside exec()).
void onNextModal(std::function<void(QWidget*)> action);

}  // namespace dp3::gui_test
