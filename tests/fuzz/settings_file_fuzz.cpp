// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Settings file bytes from anywhere: decoded, shown by the settings model, and
// stored back, without leaving the image or crashing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "settings/settings_file.hpp"
#include "settings/settings_model.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dp3;
  SettingsImage image{};
  image.fill(0xA5);
  const SettingsImage before = image;
  const std::span<const std::uint8_t> bytes(data, size);
  if (!decodeSettingsFile(bytes, image)) {
    if (image != before) std::abort();  // a refused file leaves the image alone
    return 0;
  }
  if (size == kImageSize && !std::equal(image.begin(), image.end(), data)) std::abort();

  for (int user : {1, 2}) {
    SettingsModel shown(image, user);
    if (!shown.storeForm()) {
      // The form takes back what it showed, byte for byte.
      if (shown.image() != image) std::abort();
      const SettingsImage stored = shown.image();
      if (!shown.storeTexts()) {
        for (std::size_t i = 0; i < kImageSize; ++i) {
          const bool inPage = i >= kMessagePageOffset && i < kExtensionOffset;
          if (!inPage && shown.image()[i] != stored[i]) std::abort();
        }
      }
    }
    shown.acceptRtty();
  }
  return 0;
}
