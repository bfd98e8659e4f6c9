// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include "settings/messages.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"

namespace dp3 {

// The message editor of the main window: its fourteen text boxes over the
// texts of the message page (settings/messages).

// Fills the fourteen boxes with what the page shows.
void showMessages(ControlSurface& ui, const SettingsImage& image);

// Stores the fourteen boxes' texts into the page. A refusal shows its text
// ("Error" box), puts the focus on its box and returns false; the image is
// then unchanged.
bool storeMessages(ControlSurface& ui, SettingsImage& image);

// The texts the fourteen boxes hold, in page order.
MessageTexts messageBoxTexts(const ControlSurface& ui);

// Bytes the fourteen boxes take in the page.
int countMessageBytes(const ControlSurface& ui);

// Shows bank 1 (messages 1-6) or bank 2 (messages 7-12) and hides the other.
void showMessageBank(ControlSurface& ui, int bank);

// For a character typed into a message or callsign box: true when it is swallowed.
bool messageKeyFilter(const ControlSurface& ui, unsigned character);

}  // namespace dp3
