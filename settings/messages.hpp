// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_fields.hpp"
#include "settings/settings_image.hpp"

namespace dp3 {

// The message editor: twelve messages and two callsigns packed into the
// image's message page as Morse patterns.

// Bytes the texts together may take in the page (page addresses 15-254).
inline constexpr int kMessageBudget = 240;
// Bytes of one text read back from the page.
inline constexpr std::size_t kTextBoxLimit = 249;

// The fourteen texts in page order (kTextFields), as their boxes hold them.
using MessageTexts = std::array<std::string, kTextFields.size()>;

// What the fourteen boxes show for the page (pageText). A pointer of 0 is an
// empty text; a text without an end mark stops at the end of the page or the limit.
MessageTexts pageTexts(const SettingsImage& image);

// Packs the fourteen texts into the page from address 15 on and rewrites every
// pointer and the free pointer. A text that is still what the page shows for
// it goes back with the page's own bytes; an edited one is packed from its
// text. Text the keyer cannot hold (a character with no Morse code, "$" before
// the end, a pattern mark, or more than the budget in all) is refused, naming
// its box; the image is then unchanged.
std::optional<Refusal> storeTexts(const MessageTexts& texts, SettingsImage& image);

// Bytes the texts take in the page: a line break counts as two, a pattern
// mark as one.
int countMessageBytes(std::span<const std::string> texts);

// For a character typed into a message or callsign box while the boxes hold
// texts: true when it is swallowed (the budget is spent and it is no
// backspace, or it has no Morse code).
bool messageKeyFilter(std::span<const std::string> texts, unsigned character);

// The bytes of text i (0-11 messages, 12-13 callsigns) as the page holds them,
// up to the one with the end mark.
std::vector<std::uint8_t> pageTextBytes(const SettingsImage& image, std::size_t index);

// Text i as a box shows it. Letters read back in upper case; a last byte of
// 0xC8 is "$"; a pattern no character has shows as a mark of its elements in
// braces, which no character typed can form ("{......}" six dits, "{}" the stop
// mark alone, "{?}" no stop mark).
std::string pageText(const SettingsImage& image, std::size_t index);

// Bytes a box's text takes in the page (line break two, pattern mark one).
std::size_t textByteCount(std::string_view boxText);

// A box's text as the keyer will hold it: each line break becomes two spaces
// (the carriage return and line feed of the break).
std::string keyerText(std::string_view boxText);

}  // namespace dp3
