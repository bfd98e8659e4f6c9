// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"

namespace dp3 {

// The "RTTY Mode Setup" window over the user's RttyReg and RttyReg2 (user 1 or 2).

// Fills the four lists and sets every control from the user's two bytes. A
// USOS value of 2 or 3 selects no entry.
void openRttyWindow(ControlSurface& rttyUi, const SettingsImage& image, int user);

// Ok: rebuilds both bytes from the controls alone, so bits no control shows
// become 0. A list with no selection counts as not its first entry.
void acceptRttyWindow(const ControlSurface& rttyUi, SettingsImage& image, int user);

}  // namespace dp3
