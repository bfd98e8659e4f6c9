// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/about_window.hpp"

#include <ctime>

#include "surface/control_ids.hpp"
#include "system/platform.hpp"

namespace dp3 {

std::string versionLine() {
  return std::string("Ver ") + kProgramVersion + ", Built " + kBuildTime + ", " + kBuildDate;
}

std::string systemLine() {
  const std::string name = operatingSystemName();
  return "Operating System is " + (name.empty() ? std::string("unknown") : name);
}

std::string guideLine() {
  return "Operating guide: " + guideFile();
}

void openAboutWindow(ControlSurface& ui, const AboutState& state) {
  ui.setText(id::kAboutVersion, versionLine());
  ui.setText(id::kAboutSystem, systemLine());
  ui.setText(id::kAboutGuide, guideLine());
  ui.setChecked(id::kVerboseMode, state.verboseFlag);
  ui.setChecked(id::kTraceBox, state.traceOn);
  ui.setText(id::kTraceFile, state.traceOn ? "Tracing to " + state.traceFile : "");
}

bool acceptAboutWindow(const ControlSurface& ui, AboutState& state, const std::string& traceDir) {
  state.verboseFlag = ui.isChecked(id::kVerboseMode);
  const bool trace = ui.isChecked(id::kTraceBox);
  if (trace == state.traceOn) return false;
  state.traceOn = trace;
  if (trace) state.traceFile = newTraceFile(traceDir);
  return true;
}

std::string newTraceFile(const std::string& traceDir) {
  const std::string name = traceFileName(static_cast<long long>(std::time(nullptr)));
  return traceDir.empty() ? name : traceDir + "/" + name;
}

std::string traceFileName(long long secondsSinceEpoch) {
  const std::time_t when = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm local{};
  ::localtime_r(&when, &local);
  char name[64];
  std::strftime(name, sizeof name, "dp3-trace-%Y%m%d-%H%M%S.txt", &local);
  return name;
}

void AboutWindow::onButton(int id) {
  if (id == id::kTraceBox) {
    const bool on = ui_.isChecked(id::kTraceBox);
    if (on && !state_.traceOn) chosenTrace_ = newTraceFile(traceDir_);
    const std::string& file = state_.traceOn ? state_.traceFile : chosenTrace_;
    ui_.setText(id::kTraceFile, on ? "Tracing to " + file : "");
    return;
  }
  if (id != id::kAboutOk) return;
  if (acceptAboutWindow(ui_, state_, traceDir_) && state_.traceOn && !chosenTrace_.empty()) {
    state_.traceFile = chosenTrace_;
  }
  face_.closeWindow();
}

}  // namespace dp3
