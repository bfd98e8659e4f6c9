// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <string>

#include "surface/control_surface.hpp"
#include "window_logic/window_face.hpp"

namespace dp3 {

inline constexpr const char* kProgramVersion = DP3_VERSION;
inline constexpr const char* kBuildDate = "Apr 29 2019";
inline constexpr const char* kBuildTime = "12:08:37";
inline constexpr const char* kAboutCaption = "DP3tools " DP3_VERSION "  About";

// Process-wide: the uploader logs every block while set. Not saved between runs.
struct AboutState {
  bool verboseFlag = false;
  bool traceOn = false;   // every byte on the keyer's line goes to traceFile
  std::string traceFile;  // the file of the trace running or last run
};

// "Ver 5.3, Built 12:08:37, Apr 29 2019".
std::string versionLine();
// "Operating System is Linux" (the system the program runs on).
std::string systemLine();
// "Operating guide: /usr/share/doc/dp3tools/README.md", where the program installs it.
std::string guideLine();

// Fills the About window: version, system, guide line, the verbose box.
void openAboutWindow(ControlSurface& ui, const AboutState& state);
// OK: the verbose flag and the trace follow their boxes. Closing otherwise
// leaves them alone. A trace switched on goes to a new file in traceDir named
// by the time now. Returns true when the trace was switched on or off.
bool acceptAboutWindow(const ControlSurface& ui, AboutState& state,
                       const std::string& traceDir = {});

// "dp3-trace-20260309-142501.txt" for the local time given (seconds since 1970).
std::string traceFileName(long long secondsSinceEpoch);
// A new trace file in traceDir, named by the time now.
std::string newTraceFile(const std::string& traceDir);

// The About window (dialog 1004) under any face: OK takes the verbose and
// trace boxes into state and closes; Esc and the close box leave them. The
// Trace box, once ticked, shows at once the file the trace will go to.
class AboutWindow : public WindowLogic {
 public:
  AboutWindow(ControlSurface& ui, WindowFace& face, AboutState& state, std::string traceDir)
      : ui_(ui), face_(face), state_(state), traceDir_(std::move(traceDir)) {}

  void onOpen() override { openAboutWindow(ui_, state_); }
  void onButton(int id) override;
  void onClose() override { face_.closeWindow(); }

 private:
  ControlSurface& ui_;
  WindowFace& face_;
  AboutState& state_;
  std::string traceDir_;
  std::string chosenTrace_;  // the file shown when the Trace box was ticked
};

}  // namespace dp3
