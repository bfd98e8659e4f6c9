// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <map>
#include <string>

#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "surface/control_surface.hpp"
#include "surface/forwarding_surface.hpp"
#include "window_logic/uploader_window.hpp"
#include "window_logic/window_face.hpp"

namespace dp3 {

// The uploader window (dialog 1003) under any face: Load opens the file
// dialog where firmware was last loaded from; Program's checks test the
// keyer, so they run off the window thread with its input held; the upload is
// UploaderWindow's own worker, watched by the 100 ms timer. Exit, Esc and the
// close box end the window, never while the checks or an upload run.
class UploaderEvents : public WindowLogic {
 public:
  UploaderEvents(ControlSurface& ui, WindowFace& face, Link& link, KeyerInfo& keyer, bool verbose,
                 std::map<std::string, std::string>& folders);

  void onOpen() override;
  void onButton(int id) override;
  void onClose() override;
  int timerPeriodMs() const override { return kUploadTimerMs; }
  void onTimer() override;

  UploaderWindow& uploader() { return uploader_; }
  // Program's checks or an upload are running.
  bool busy() const { return checking_ || uploader_.uploadRunning(); }

 private:
  void program();

  ControlSurface& ui_;
  WindowFace& face_;
  ForwardingSurface workerUi_;
  UploaderWindow uploader_;
  bool verbose_;
  std::map<std::string, std::string>& folders_;
  bool checking_ = false;
};

}  // namespace dp3
