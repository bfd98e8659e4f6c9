// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include "settings/settings_image.hpp"

namespace dp3 {

// The main window's three lists and the user and bank selectors change the
// image at once; these are those changes (user 1 or 2). Its check boxes flip
// their bit (toggleBit, settings_fields.hpp).

// A new selection in one of the lists (entry -1, no selection, changes nothing).
void selectKeyerMode(SettingsImage& image, int user, int entry);
void selectOutput(SettingsImage& image, int user, int entry);
void selectPaddleHang(SettingsImage& image, int user, int entry);

// The list entries that show the user's bytes.
int keyerModeEntry(const SettingsImage& image, int user);
int outputEntry(const SettingsImage& image, int user);  // 0 for a nibble outside 4-11
int paddleHangEntry(const SettingsImage& image, int user);

// User 1's SpacingReg remembers the selected user (bit 7 set for User 2) and
// the message bank shown (bit 6 set for bank 2).
void markActiveUser(SettingsImage& image, int user);
void markMessageBank(SettingsImage& image, int bank);

}  // namespace dp3
