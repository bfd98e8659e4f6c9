// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dp3 {

// The four keyer ICs, described once. The IC type code is what the keyer
// answers to the IC type query; its firmware revision byte and a firmware
// image's kind byte carry the IC in bands of 50 starting at bandStart.
struct KeyerVariant {
  std::uint8_t code;
  std::string_view name;     // "LARK"
  std::string_view article;  // "an ORCA", "a LARK"
  std::uint8_t bandStart;    // revision and image kind: bandStart .. bandStart + 49
};

inline constexpr std::array kKeyerVariants = std::to_array<KeyerVariant>({
    {1, "ORCA", "an", 0},
    {2, "ROOK", "a", 50},
    {3, "LARK", "a", 100},
    {4, "PIKA", "a", 150},
});

inline constexpr int kVariantBandWidth = 50;

inline constexpr std::uint8_t kVariantOrca = kKeyerVariants[0].code;
inline constexpr std::uint8_t kVariantRook = kKeyerVariants[1].code;
inline constexpr std::uint8_t kVariantLark = kKeyerVariants[2].code;
inline constexpr std::uint8_t kVariantPika = kKeyerVariants[3].code;

// The row of an IC type code, or nullptr for a code no IC has.
const KeyerVariant* findVariant(std::uint8_t code);
// The row named name in any letter case, or nullptr.
const KeyerVariant* findVariantByName(std::string_view name);
// The IC an image of kind K (or a firmware of revision K) is built for: the
// last band that starts at or below K, so 200 and more count as PIKA.
const KeyerVariant& variantForKind(std::uint8_t kind);
// "ORCA", "ROOK", "LARK", "PIKA" for codes 1-4, "" otherwise.
std::string variantName(std::uint8_t code);
// "ORCA, ROOK, LARK, PIKA", for help texts.
std::string variantNames();

}  // namespace dp3
