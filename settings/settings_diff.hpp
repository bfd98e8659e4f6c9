// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstddef>
#include <vector>

#include "settings/settings_image.hpp"
#include "settings/settings_model.hpp"

namespace dp3 {

// Two images compared as the windows show them.

struct SettingDifference {
  int user;  // 1 or 2; 0 for a text of the shared message page
  const Setting* setting;
  SettingValue before;
  SettingValue after;
};

struct SettingsDiff {
  // In the windows' order: user 1's settings, user 2's, then the texts.
  std::vector<SettingDifference> settings;
  // Image offsets whose difference no setting above shows: bits no control
  // edits, values a control shows alike (an output nibble outside 4-11, a
  // USOS value of 2 or 3), page bytes outside every text, and texts that
  // moved without changing. While any text differs, the pointers, the free
  // pointer and the bytes inside texts follow from the texts and are not listed.
  std::vector<std::size_t> otherBytes;

  bool empty() const { return settings.empty() && otherBytes.empty(); }
};

// Empty exactly when the images are equal.
SettingsDiff diffSettings(const SettingsImage& before, const SettingsImage& after);

}  // namespace dp3
