// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <span>

#include "settings/settings_image.hpp"

namespace dp3 {

// The "RTTY Mode Setup" window over the user's RttyReg and RttyReg2 (user 1 or 2).

// The list entries that show the user's bytes (-1: none).
int baudRateEntry(const SettingsImage& image, int user);
int diddleIsEntry(const SettingsImage& image, int user);
int stopBitsEntry(const SettingsImage& image, int user);
int usosEntry(const SettingsImage& image, int user);  // -1 for a value of 2 or 3

// Ok: rebuilds both bytes from what the window shows alone, so bits no control
// shows become 0. checks in the order of kRttyBits, entries (-1: none) in the
// order of kRttyLists. A list with no selection counts as not its first entry.
void storeRtty(SettingsImage& image, int user, std::span<const bool> checks,
               std::span<const int> entries);

}  // namespace dp3
