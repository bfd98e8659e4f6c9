// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <string>
#include <string_view>

#include "sound/morse_timing.hpp"
#include "surface/control_surface.hpp"

namespace dp3 {

// The message editor's texts as sound: what each box would send, at the
// form's current (unsaved) values.

// CurWpm, FarnsWpm, ST Freq (as the keyer's divisor makes it), Weight, Ratio,
// LtrSpace and KeyComp as the form's boxes hold them now.
KeyingSettings formKeying(const ControlSurface& ui);

// The text box a Play button plays: the one shown in its place for the bank
// and user shown; 0 for an id that is no Play button.
int playedBox(int playId, int bank, int user);

// The keying of the box a Play button stands beside; empty when the box is
// empty or the form's speed cannot be played.
Keying playKeying(const ControlSurface& ui, int playId, int bank, int user);

// Every 250 ms: the duration beside each shown place ("~" when approximate,
// "?" when CurWpm is outside 5-99) and each box's dits and dahs as its tooltip.
void showMessageTimes(ControlSurface& ui, int bank, int user);

// Play buttons usable or not (with the reason as their tooltip); Stop only
// while a sound plays.
void showPlayState(ControlSurface& ui, std::string_view unavailableReason, bool playing);

}  // namespace dp3
