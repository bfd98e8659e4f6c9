// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <string>
#include <vector>

#include "settings/settings_image.hpp"

namespace dp3 {

// What differs between the image sent to a keyer and the one read back, by
// the window's names: "User 1 Weight", "User 2 Swap", "Msg 3"; bytes no field
// covers by their image offset ("image byte 290"). Empty when they agree.
std::vector<std::string> differingFields(const SettingsImage& sent, const SettingsImage& got);

}  // namespace dp3
