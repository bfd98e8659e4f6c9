// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"
#include "window_logic/window_face.hpp"

namespace dp3 {

// The RTTY window (dialog 1005) under any face, over the user's two RTTY
// bytes: Ok stores them and closes; Cancel, Enter (its default button is
// Cancel), Esc and the close box leave the image as it was.
class RttyWindow : public WindowLogic {
 public:
  RttyWindow(ControlSurface& ui, WindowFace& face, SettingsImage& image, int user)
      : ui_(ui), face_(face), image_(image), user_(user) {}

  void onOpen() override;
  void onButton(int id) override;
  void onClose() override { face_.closeWindow(); }

 private:
  ControlSurface& ui_;
  WindowFace& face_;
  SettingsImage& image_;
  int user_;
};

}  // namespace dp3
