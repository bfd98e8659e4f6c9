// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include "settings/settings_image.hpp"
#include "settings/settings_model.hpp"
#include "surface/control_surface.hpp"

namespace dp3 {

// The "Keyer Configuration" form of the main window over the settings model:
// its boxes, lists and check boxes for one user's bytes (user 1 or 2).

// Copies what the model shows for the user's bytes into the number boxes,
// lists and check boxes, and shows that user's callsign box. A sidetone
// divisor of 0 leaves ST Freq as it was.
void showUserSettings(ControlSurface& ui, const SettingsImage& image, int user);

// Stores the number boxes through the model's checks; a number kept as a near
// one (ST Freq 601 as 606) then shows as kept, its tooltip saying so. At the first refusal
// shows its text ("Error" box), puts the focus on the refused box and returns
// false; what was stored before it stays stored.
bool storeUserSettings(ControlSurface& ui, SettingsImage& image, int user);

// Fills "Keyer Mode", "Output Selection" and "Paddle Hang" in their order,
// with no selection.
void fillModeLists(ControlSurface& ui);

// The main window setting a control shows (number box, list, check box or
// text box), or nullptr.
const Setting* mainWindowSetting(int control);

// A click on a mode check box: flips its bit for the user; returns the new bit.
// An id that is no mode check box changes nothing and returns false.
bool toggleModeBit(SettingsImage& image, int user, int checkBoxId);

// A new selection in a mode list (entry -1, no selection, changes nothing); an
// id that is no mode list changes nothing.
void selectModeListEntry(SettingsImage& image, int user, int listId, int entry);

}  // namespace dp3
