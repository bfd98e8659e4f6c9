#pragma once

#include "app/control_surface.hpp"
#include "settings/settings_image.hpp"

namespace dp3 {

// The "Keyer Configuration" form over one user's bytes (user 1 or 2).

// Copies the user's bytes into the number boxes, lists and check boxes, and
// shows that user's callsign box. A sidetone divisor of 0 leaves ST Freq as it was.
void ShowUserSettings(ControlSurface& ui, const SettingsImage& image, int user);

// Checks the number boxes in their fixed order, storing each value before the
// next is read. At the first refusal shows its message ("Error" box) and
// returns false; what was stored before it stays stored.
bool StoreUserSettings(ControlSurface& ui, SettingsImage& image, int user);

}  // namespace dp3
