// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/settings_verify.hpp"

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "settings/messages.hpp"
#include "settings/mode_controls.hpp"
#include "settings/settings_fields.hpp"

namespace dp3 {

namespace {

struct Comparison {
  const SettingsImage& sent;
  const SettingsImage& got;
  std::vector<std::string> names;
  std::bitset<kImageSize> named;  // bytes a named difference accounts for

  // Names label when the bytes differ under mask.
  void compare(const std::string& label, std::initializer_list<std::size_t> offsets,
               std::uint8_t mask = 0xFF) {
    bool differs = false;
    for (std::size_t offset : offsets) differs |= ((sent[offset] ^ got[offset]) & mask) != 0;
    if (!differs) return;
    names.push_back(label);
    for (std::size_t offset : offsets) named.set(offset);
  }
};

}  // namespace

std::vector<std::string> differingFields(const SettingsImage& sent, const SettingsImage& got) {
  Comparison c{sent, got, {}, {}};
  for (int user : {1, 2}) {
    const std::string who = "User " + std::to_string(user) + " ";
    for (const NumberField& field : kNumberFields) {
      const std::size_t at = fieldOffset(field.area, field.offset, user);
      const std::string label = who + std::string(field.label);
      if (field.kind == NumberKind::SerialNumber) {
        c.compare(label, {at, at + 1});
      } else {
        c.compare(label, {at}, field.kind == NumberKind::LowBits ? 0x1F : 0xFF);
      }
    }
    for (std::span<const BitField> bits :
         {std::span<const BitField>(kModeBits), std::span<const BitField>(kRttyBits)}) {
      for (const BitField& bit : bits) {
        c.compare(who + std::string(bit.label), {fieldOffset(bit.area, bit.offset, user)},
                  bit.mask);
      }
    }
    const std::size_t modeReg = fieldOffset(Area::User, user_field::kModeReg, user);
    const std::size_t pinConfig = fieldOffset(Area::User, user_field::kPinConfig, user);
    const struct {
      int (*entry)(const SettingsImage&, int);
      const ListField& list;
      std::vector<std::size_t> offsets;
    } lists[] = {
        {keyerModeEntry, kModeLists[0], {modeReg, pinConfig}},
        {outputEntry, kModeLists[1], {pinConfig}},
        {paddleHangEntry, kModeLists[2], {pinConfig}},
    };
    for (const auto& l : lists) {
      if (l.entry(sent, user) == l.entry(got, user)) continue;
      c.names.push_back(who + std::string(l.list.label));
      for (std::size_t offset : l.offsets) c.named.set(offset);
    }
  }
  // The RTTY lists, as the RTTY window shows each user's bytes.
  for (int user : {1, 2}) {
    for (const ListField& list : kRttyLists) {
      if (list.entryOf(sent, user) == list.entryOf(got, user)) continue;
      c.names.push_back("User " + std::to_string(user) + " " + std::string(list.label));
      for (std::size_t field : {extension_field::kRttyReg, extension_field::kRttyReg2}) {
        c.named.set(fieldOffset(Area::Extension, field, user));
      }
    }
  }
  bool textDiffers = false;
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    if (pageText(sent, i) == pageText(got, i)) continue;
    c.names.emplace_back(kTextFields[i].label);
    textDiffers = true;
  }
  // A changed text moves the pointers and texts after it: the page is accounted for.
  if (textDiffers) {
    for (std::size_t i = 0; i < kMessagePageSize; ++i) c.named.set(kMessagePageOffset + i);
  }
  for (std::size_t i = 0; i < kImageSize; ++i) {
    if (sent[i] != got[i] && !c.named[i]) c.names.push_back("image byte " + std::to_string(i));
  }
  return c.names;
}

}  // namespace dp3
