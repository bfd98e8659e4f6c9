// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/settings_diff.hpp"

#include <algorithm>

#include "settings/messages.hpp"

namespace dp3 {

namespace {

struct Slot {
  int user;
  const Setting* setting;
};

// Each user's settings, then the shared texts once.
std::vector<Slot> slots() {
  std::vector<Slot> all;
  for (int user : {1, 2}) {
    for (const Setting& s : allSettings()) {
      if (s.perUser()) all.push_back({user, &s});
    }
  }
  for (const Setting& s : allSettings()) {
    if (!s.perUser()) all.push_back({0, &s});
  }
  return all;
}

SettingValue valueOf(const Slot& slot, const SettingsImage& image) {
  return settingValue(*slot.setting, image, slot.user == 0 ? 1 : slot.user);
}

// Whether taking one bit over from the other image changes a setting already
// listed: then that setting shows the bit.
bool shownByListed(const SettingsImage& image, std::size_t offset, std::uint8_t bit,
                   const std::vector<Slot>& listed) {
  SettingsImage changed = image;
  changed[offset] ^= bit;
  return std::any_of(listed.begin(), listed.end(), [&](const Slot& slot) {
    return valueOf(slot, changed) != valueOf(slot, image);
  });
}

// Page offsets the texts' layout takes: the free pointer, the pointers and
// every byte inside a text.
std::vector<bool> textLayout(const SettingsImage& image) {
  std::vector<bool> layout(kImageSize, false);
  for (std::size_t p = 0; p < page::kFirstTextAddress; ++p) layout[kMessagePageOffset + p] = true;
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    const std::size_t start = image[kMessagePageOffset + page::kFirstMessagePointer + i];
    const std::size_t length = pageTextBytes(image, i).size();
    for (std::size_t a = start; a < start + length; ++a) layout[kMessagePageOffset + a] = true;
  }
  return layout;
}

}  // namespace

SettingsDiff diffSettings(const SettingsImage& before, const SettingsImage& after) {
  SettingsDiff diff;
  std::vector<Slot> listed;
  bool textsDiffer = false;
  for (const Slot& slot : slots()) {
    SettingValue a = valueOf(slot, before);
    SettingValue b = valueOf(slot, after);
    if (a == b) continue;
    listed.push_back(slot);
    textsDiffer = textsDiffer || slot.user == 0;
    diff.settings.push_back({slot.user, slot.setting, std::move(a), std::move(b)});
  }

  const std::vector<bool> layoutBefore = textLayout(before);
  const std::vector<bool> layoutAfter = textLayout(after);
  for (std::size_t i = 0; i < kImageSize; ++i) {
    if (before[i] == after[i]) continue;
    if (textsDiffer && (layoutBefore[i] || layoutAfter[i])) continue;
    const auto bits = static_cast<std::uint8_t>(before[i] ^ after[i]);
    for (std::uint8_t bit = 1; bit != 0; bit = static_cast<std::uint8_t>(bit << 1)) {
      if (!(bits & bit)) continue;
      if (!shownByListed(before, i, bit, listed) && !shownByListed(after, i, bit, listed)) {
        diff.otherBytes.push_back(i);
        break;
      }
    }
  }
  return diff;
}

}  // namespace dp3
