// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/settings_image.hpp"

#include <algorithm>

namespace dp3 {

void resetSettingsImage(SettingsImage& image) {
  for (int user : {1, 2}) {
    std::copy(kDefaultUserSettings.begin(), kDefaultUserSettings.end(),
              image.begin() + userSettingsOffset(user));
    std::copy(kDefaultUserExtension.begin(), kDefaultUserExtension.end(),
              image.begin() + userExtensionOffset(user));
  }
}

}  // namespace dp3
