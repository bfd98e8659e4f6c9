// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/keyer_variants.hpp"

#include <algorithm>
#include <cctype>

namespace dp3 {

const KeyerVariant* findVariant(std::uint8_t code) {
  const auto it = std::find_if(kKeyerVariants.begin(), kKeyerVariants.end(),
                               [code](const KeyerVariant& v) { return v.code == code; });
  return it == kKeyerVariants.end() ? nullptr : &*it;
}

const KeyerVariant* findVariantByName(std::string_view name) {
  const auto same = [name](const KeyerVariant& v) {
    return std::equal(name.begin(), name.end(), v.name.begin(), v.name.end(), [](char a, char b) {
      return std::toupper(static_cast<unsigned char>(a)) == b;
    });
  };
  const auto it = std::find_if(kKeyerVariants.begin(), kKeyerVariants.end(), same);
  return it == kKeyerVariants.end() ? nullptr : &*it;
}

const KeyerVariant& variantForKind(std::uint8_t kind) {
  const auto it = std::find_if(kKeyerVariants.rbegin(), kKeyerVariants.rend(),
                               [kind](const KeyerVariant& v) { return v.bandStart <= kind; });
  return *it;  // the first band starts at 0
}

std::string variantName(std::uint8_t code) {
  const KeyerVariant* variant = findVariant(code);
  return variant ? std::string(variant->name) : std::string();
}

std::string variantNames() {
  std::string names;
  for (const KeyerVariant& v : kKeyerVariants) {
    if (!names.empty()) names += ", ";
    names += v.name;
  }
  return names;
}

}  // namespace dp3
