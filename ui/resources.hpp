// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

namespace dp3::ui {

// Registers the icons and pictures built into the program; the window code
// lives in a static library, whose resources the linker would otherwise drop.
void initResources();

}  // namespace dp3::ui
