// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "surface/forwarding_surface.hpp"

#include <string>

namespace dp3 {

void ForwardingSurface::onWindowThread(const std::function<void()>& call) const {
  if (std::this_thread::get_id() == windowThread_) {
    call();
  } else {
    run_(call);
  }
}

// The views passed in may die with the caller's temporaries; the worker waits
// for each call, so they live long enough.
void ForwardingSurface::setText(int id, std::string_view text) {
  onWindowThread([&] { target_.setText(id, text); });
}

std::string ForwardingSurface::text(int id) const {
  std::string result;
  onWindowThread([&] { result = target_.text(id); });
  return result;
}

void ForwardingSurface::appendText(int id, std::string_view text) {
  onWindowThread([&] { target_.appendText(id, text); });
}

void ForwardingSurface::setChecked(int id, bool checked) {
  onWindowThread([&] { target_.setChecked(id, checked); });
}

bool ForwardingSurface::isChecked(int id) const {
  bool result = false;
  onWindowThread([&] { result = target_.isChecked(id); });
  return result;
}

void ForwardingSurface::clearList(int id) {
  onWindowThread([&] { target_.clearList(id); });
}

void ForwardingSurface::addListEntry(int id, std::string_view text) {
  onWindowThread([&] { target_.addListEntry(id, text); });
}

void ForwardingSurface::selectEntry(int id, int index) {
  onWindowThread([&] { target_.selectEntry(id, index); });
}

int ForwardingSurface::selectedEntry(int id) const {
  int result = -1;
  onWindowThread([&] { result = target_.selectedEntry(id); });
  return result;
}

void ForwardingSurface::setEnabled(int id, bool enabled) {
  onWindowThread([&] { target_.setEnabled(id, enabled); });
}

void ForwardingSurface::setVisible(int id, bool visible) {
  onWindowThread([&] { target_.setVisible(id, visible); });
}

void ForwardingSurface::setProgress(int id, int percent) {
  onWindowThread([&] { target_.setProgress(id, percent); });
}

void ForwardingSurface::setToolTip(int id, std::string_view text) {
  onWindowThread([&] { target_.setToolTip(id, text); });
}

void ForwardingSurface::describe(int id, std::string_view name, std::string_view description) {
  onWindowThread([&] { target_.describe(id, name, description); });
}

void ForwardingSurface::showMessage(std::string_view text, std::string_view caption) {
  onWindowThread([&] { target_.showMessage(text, caption); });
}

void ForwardingSurface::focusControl(int id) {
  onWindowThread([&] { target_.focusControl(id); });
}

// The answers start as those of a surface that cannot ask: one set of
// defaults, for a call that never reached the window.
Answer ForwardingSurface::ask(std::string_view text, std::string_view caption) {
  Answer answer = ControlSurface::ask(text, caption);
  onWindowThread([&] { answer = target_.ask(text, caption); });
  return answer;
}

bool ForwardingSurface::askYesNo(std::string_view text, std::string_view caption) {
  bool yes = ControlSurface::askYesNo(text, caption);
  onWindowThread([&] { yes = target_.askYesNo(text, caption); });
  return yes;
}

}  // namespace dp3
