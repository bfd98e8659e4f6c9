// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "settings/settings_image.hpp"

namespace dp3::cli {

// dp3 show's sound of each stored text at one user's settings: its duration
// and its dits and dahs, from the bytes the page holds.
void printMessageTimes(std::ostream& out, const SettingsImage& image, int user);
void addMessageTimes(nlohmann::ordered_json& out, const SettingsImage& image, int user);

}  // namespace dp3::cli
