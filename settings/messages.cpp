#include "settings/messages.hpp"

#include <algorithm>

#include "settings/morse_code.hpp"
#include "settings/settings_fields.hpp"
#include "surface/control_ids.hpp"

namespace dp3 {

namespace {

inline constexpr std::size_t kLastPageAddress = kMessagePageSize - 1;
inline constexpr unsigned kBackspace = 8;
inline constexpr std::string_view kErrorCaption = "Error";

std::uint8_t& pagePointer(SettingsImage& image, std::size_t index) {
  return image[kMessagePageOffset + page::FirstMessagePointer + index];
}

// The character a stored pattern stands for: the first table entry that
// matches, 0 when none does (a pattern with no Morse form included).
char characterOf(std::uint8_t byte) {
  const std::uint8_t pattern = byte & static_cast<std::uint8_t>(~kEndMark);
  if (pattern == kNoMorseCode) return 0;
  const auto it = std::find(MorseCodeTable.begin(), MorseCodeTable.end(), pattern);
  if (it == MorseCodeTable.end()) return 0;
  return static_cast<char>(32 + (it - MorseCodeTable.begin()));
}

std::string unsendable(std::string_view label, unsigned char c) {
  std::string text(label);
  if (c >= 32 && c < 127) {
    text += " holds \"";
    text += static_cast<char>(c);
    text += "\", which has no Morse code. Remove it before storing.";
  } else {
    text += " holds a character that has no Morse code. Remove it before storing.";
  }
  return text;
}

}  // namespace

std::string keyerText(std::string_view boxText) {
  std::string text;
  text.reserve(boxText.size());
  for (std::size_t i = 0; i < boxText.size(); ++i) {
    const char c = boxText[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < boxText.size() && boxText[i + 1] == '\n') ++i;
      text += "  ";
    } else {
      text += c;
    }
  }
  return text;
}

std::string pageText(const SettingsImage& image, std::size_t index) {
  std::string text;
  const std::size_t start = image[kMessagePageOffset + page::FirstMessagePointer + index];
  if (start == 0) return text;
  for (std::size_t address = start; address <= kLastPageAddress && text.size() < kTextBoxLimit;
       ++address) {
    const std::uint8_t byte = image[kMessagePageOffset + address];
    const char c = characterOf(byte);
    if (c == 0) break;
    text += c;
    if (byte & kEndMark) break;
  }
  return text;
}

void showMessages(ControlSurface& ui, const SettingsImage& image) {
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    ui.setText(kTextFields[i].control, pageText(image, i));
  }
}

bool storeMessages(ControlSurface& ui, SettingsImage& image) {
  std::array<std::string, kTextFields.size()> texts;
  std::size_t total = 0;
  for (std::size_t i = 0; i < kTextFields.size(); ++i) {
    texts[i] = keyerText(ui.text(kTextFields[i].control));
    for (char c : texts[i]) {
      if (morseCode(static_cast<unsigned char>(c)) == kNoMorseCode) {
        ui.showMessage(unsendable(kTextFields[i].label, static_cast<unsigned char>(c)),
                       kErrorCaption);
        return false;
      }
    }
    total += texts[i].size();
    if (total > static_cast<std::size_t>(kMessageBudget)) {
      ui.showMessage(std::string(kTextFields[i].label) + " goes past the " +
                         std::to_string(kMessageBudget) +
                         " characters the keyer holds for all messages and callsigns. Shorten "
                         "the texts before storing.",
                     kErrorCaption);
      return false;
    }
  }

  std::size_t n = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].empty()) {
      pagePointer(image, i) = 0;
      continue;
    }
    pagePointer(image, i) = static_cast<std::uint8_t>(page::FirstTextAddress + n);
    for (char c : texts[i]) {
      image[kMessagePageOffset + page::FirstTextAddress + n] =
          morseCode(static_cast<unsigned char>(c));
      ++n;
    }
    image[kMessagePageOffset + page::FirstTextAddress + n - 1] |= kEndMark;
  }
  image[kMessagePageOffset + page::FreePointer] =
      static_cast<std::uint8_t>(page::FirstTextAddress + n);
  return true;
}

int countMessageBytes(const ControlSurface& ui) {
  std::size_t count = 0;
  for (const TextField& field : kTextFields) count += keyerText(ui.text(field.control)).size();
  return static_cast<int>(count);
}

void showMessageBank(ControlSurface& ui, int bank) {
  const bool first = bank != 2;
  for (int i = 0; i < 6; ++i) {
    ui.setVisible(id::kMsg1 + i, first);
    ui.setVisible(id::kMsgLabel1 + i, first);
    ui.setVisible(id::kMsg7 + i, !first);
    ui.setVisible(id::kMsgLabel7 + i, !first);
  }
}

bool messageKeyFilter(const ControlSurface& ui, unsigned character) {
  if (character != kBackspace && countMessageBytes(ui) >= kMessageBudget) return true;
  // Characters beyond the table (typed with a keyboard layout's dead keys and
  // the like) have no Morse code either.
  if (character > 127) return true;
  return character >= 32 && morseCode(static_cast<unsigned char>(character)) == kNoMorseCode;
}

}  // namespace dp3
