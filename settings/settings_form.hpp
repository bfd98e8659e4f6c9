#pragma once

#include <optional>

#include "settings/settings_fields.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"

namespace dp3 {

// The "Keyer Configuration" form over one user's bytes (user 1 or 2).

// What a number box shows for the user's bytes; nothing for a sidetone divisor
// of 0, which leaves the box as it was.
std::optional<unsigned> numberValue(const NumberField& field, const SettingsImage& image, int user);

// Copies the user's bytes into the number boxes, lists and check boxes, and
// shows that user's callsign box. A sidetone divisor of 0 leaves ST Freq as it was.
void showUserSettings(ControlSurface& ui, const SettingsImage& image, int user);

// Checks the number boxes in their fixed order, storing each value before the
// next is read. At the first refusal shows its message ("Error" box) and
// returns false; what was stored before it stays stored.
bool storeUserSettings(ControlSurface& ui, SettingsImage& image, int user);

}  // namespace dp3
