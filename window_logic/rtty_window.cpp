// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/rtty_window.hpp"

#include "surface/control_ids.hpp"
#include "window_logic/rtty_view.hpp"

namespace dp3 {

void RttyWindow::onOpen() {
  openRttyWindow(ui_, image_, user_);
}

void RttyWindow::onButton(int id) {
  if (id == id::kRttyOk) acceptRttyWindow(ui_, image_, user_);
  if (id == id::kRttyOk || id == id::kRttyCancel) face_.closeWindow();
}

}  // namespace dp3
