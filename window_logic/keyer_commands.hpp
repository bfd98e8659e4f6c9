// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include "link/keyer_info.hpp"
#include "link/keyer_operations.hpp"
#include "link/link.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3 {

// Test DP, Read DP and Write DP on the main window: the keyer operations of
// link/keyer_operations, their texts on ui as they go and when they end.

enum class KeyerCommand { Test, Read, Write };

// How a command ended, for the window to decide what stays on it.
struct CommandEnd {
  bool keptForm = false;     // the keyer and the window hold the same settings (Read, Write done)
  bool statusStays = false;  // a failure whose status stays until the next command
};

// Test, Read or Write against ui, touching only what it is given (the front
// end runs it off the window thread).
CommandEnd runKeyerCommand(KeyerCommand command, ControlSurface& ui, Link& link, KeyerInfo& keyer,
                           SettingsImage& image, int user);

// Test DP: the interface test, then the live readings after ">DP OK".
KeyerTest testCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer);

// Read DP. A keyer that cannot hold settings is refused with a message box;
// a read that fails leaves the image as it was.
ReadResult readCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image);

// Write DP of the user's form and the messages, stored into image once the
// keyer has passed its test (a refusal shows its message and sends nothing).
WriteResult writeCommand(ControlSurface& ui, Link& link, KeyerInfo& keyer, SettingsImage& image,
                         int user, bool verify = true);

}  // namespace dp3
