// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Arbitrary message pages: every text read stays within the page and its
// limit, counts as the bytes it came from, and goes back with those bytes
// (an end mark added where it had none) when packed again unedited.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/messages.hpp"
#include "settings/morse_code.hpp"
#include "settings/settings_fields.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dp3;
  SettingsImage image{};
  std::copy_n(data, std::min(size, kMessagePageSize), image.begin() + kMessagePageOffset);

  const MessageTexts texts = pageTexts(image);
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    const std::vector<std::uint8_t> bytes = pageTextBytes(image, i);
    if (bytes.size() > kTextBoxLimit) std::abort();
    if (textByteCount(texts[i]) != bytes.size()) std::abort();
  }

  SettingsImage packed = image;
  if (storeTexts(texts, packed)) {
    if (packed != image) std::abort();  // a refusal changes nothing
    if (countMessageBytes(texts) <= kMessageBudget) std::abort();
    return 0;
  }
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    std::vector<std::uint8_t> bytes = pageTextBytes(image, i);
    if (!bytes.empty()) bytes.back() |= kEndMark;
    if (pageTextBytes(packed, i) != bytes) std::abort();
  }
  return 0;
}
