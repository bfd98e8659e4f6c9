#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"

namespace dp3 {

// The message editor: twelve messages and two callsigns packed into the
// image's message page as Morse patterns.

// Bytes the texts together may take in the page (page addresses 15-254).
inline constexpr int kMessageBudget = 240;
// Characters one text box holds.
inline constexpr std::size_t kTextBoxLimit = 249;

// Fills the fourteen boxes from the page. A pointer of 0 is an empty text; a
// text without an end mark stops at the end of the page or the box's limit.
void showMessages(ControlSurface& ui, const SettingsImage& image);

// Packs the fourteen boxes into the page from address 15 on and rewrites every
// pointer and the free pointer. Text the keyer cannot hold (a character with no
// Morse code, or more than the budget in all) is refused with a message naming
// its box; the image is then unchanged and false returned.
bool storeMessages(ControlSurface& ui, SettingsImage& image);

// Characters in the fourteen boxes, a line break counting as two.
int countMessageBytes(const ControlSurface& ui);

// Shows bank 1 (messages 1-6) or bank 2 (messages 7-12) and hides the other.
void showMessageBank(ControlSurface& ui, int bank);

// For a character typed into a message or callsign box: true when it is
// swallowed (the budget is spent and it is no backspace, or it has no Morse code).
bool messageKeyFilter(const ControlSurface& ui, unsigned character);

// Text i (0-11 messages, 12-13 callsigns) as the page holds it.
std::string pageText(const SettingsImage& image, std::size_t index);

// A box's text as the keyer will hold it: each line break becomes two spaces
// (the carriage return and line feed of the break).
std::string keyerText(std::string_view boxText);

}  // namespace dp3
