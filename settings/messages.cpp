// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/messages.hpp"

#include <algorithm>
#include <optional>

#include "settings/morse_code.hpp"

namespace dp3 {

namespace {

inline constexpr std::size_t kLastPageAddress = kMessagePageSize - 1;
inline constexpr unsigned kBackspace = 8;
inline constexpr std::uint8_t kDollar = morseCode('$');  // carries its own end mark

std::uint8_t& pagePointer(SettingsImage& image, std::size_t index) {
  return image[kMessagePageOffset + page::kFirstMessagePointer + index];
}

// A pattern with no character shows as its elements in braces: "{......}" for
// six dits, "{}" for the stop mark alone, "{?}" for a byte with no stop mark.
std::string patternMark(std::uint8_t pattern) {
  if (pattern == 0) return "{?}";
  std::string mark = "{";
  for (std::uint8_t rest = pattern; rest > 1; rest >>= 1) mark += (rest & 1) ? '-' : '.';
  return mark + "}";
}

// What one stored byte shows as: its character (the first table entry that
// matches), or the mark of its pattern.
std::string shownAs(std::uint8_t byte) {
  if (byte == kDollar) return "$";
  const std::uint8_t pattern = byte & static_cast<std::uint8_t>(~kEndMark);
  if (pattern != kNoMorseCode) {
    const auto it = std::find(kMorseCodeTable.begin(), kMorseCodeTable.end(), pattern);
    if (it != kMorseCodeTable.end())
      return std::string(1, static_cast<char>(32 + (it - kMorseCodeTable.begin())));
  }
  return patternMark(pattern);
}

// Length of the pattern mark that starts at text[at], 0 when none does.
std::size_t markLength(std::string_view text, std::size_t at) {
  if (at >= text.size() || text[at] != '{') return 0;
  std::size_t end = at + 1;
  if (end < text.size() && text[end] == '?') {
    ++end;
  } else {
    while (end < text.size() && end - at <= 6 && (text[end] == '.' || text[end] == '-')) ++end;
  }
  return end < text.size() && text[end] == '}' ? end + 1 - at : 0;
}

std::string refusal(std::string_view label, std::string_view what) {
  return std::string(label) + " holds " + std::string(what) + " Remove it before storing.";
}

// The bytes an edited text packs into, or the refusal naming its box.
std::optional<std::string> encodeText(std::string_view label, std::string_view text,
                                      std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (const std::size_t mark = markLength(text, i)) {
      return refusal(label, std::string(text.substr(i, mark)) +
                                ", a keyer pattern with no character, in an edited text; such a "
                                "pattern is kept only while its text stays as it was read.");
    }
    const auto c = static_cast<unsigned char>(text[i]);
    const std::uint8_t code = morseCode(c);
    if (code == kNoMorseCode) {
      if (c >= 32 && c < 127) {
        const char shown[] = {'"', static_cast<char>(c), '"', '\0'};
        return refusal(label, std::string(shown) + ", which has no Morse code.");
      }
      return refusal(label, "a character that has no Morse code.");
    }
    if (code == kDollar && i + 1 < text.size()) {
      return refusal(label,
                     "\"$\" before its end; the keyer ends a text at \"$\", so it can only come "
                     "last.");
    }
    bytes.push_back(code);
  }
  return std::nullopt;
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

std::vector<std::uint8_t> pageTextBytes(const SettingsImage& image, std::size_t index) {
  std::vector<std::uint8_t> bytes;
  const std::size_t start = image[kMessagePageOffset + page::kFirstMessagePointer + index];
  if (start == 0) return bytes;
  for (std::size_t address = start; address <= kLastPageAddress && bytes.size() < kTextBoxLimit;
       ++address) {
    bytes.push_back(image[kMessagePageOffset + address]);
    if (bytes.back() & kEndMark) break;
  }
  return bytes;
}

std::string pageText(const SettingsImage& image, std::size_t index) {
  std::string text;
  for (std::uint8_t byte : pageTextBytes(image, index)) text += shownAs(byte);
  return text;
}

std::size_t textByteCount(std::string_view boxText) {
  const std::string text = keyerText(boxText);
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count)
    i += std::max<std::size_t>(1, markLength(text, i));
  return count;
}

MessageTexts pageTexts(const SettingsImage& image) {
  MessageTexts texts;
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = pageText(image, i);
  return texts;
}

std::optional<Refusal> storeTexts(const MessageTexts& texts, SettingsImage& image) {
  std::array<std::vector<std::uint8_t>, kTextFields.size()> bytes;
  std::size_t total = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string_view label = kTextFields[i].label;
    if (texts[i] == pageText(image, i)) {
      // Unchanged since it was shown: the page's own bytes go back as they came,
      // patterns with no character included.
      bytes[i] = pageTextBytes(image, i);
    } else if (auto refused = encodeText(label, keyerText(texts[i]), bytes[i])) {
      return Refusal{label, std::move(*refused)};
    }
    total += bytes[i].size();
    if (total > static_cast<std::size_t>(kMessageBudget)) {
      return Refusal{label, std::string(label) + " goes past the " +
                                std::to_string(kMessageBudget) +
                                " characters the keyer holds for all messages and callsigns. "
                                "Shorten the texts before storing."};
    }
  }

  std::size_t n = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i].empty()) {
      pagePointer(image, i) = 0;
      continue;
    }
    pagePointer(image, i) = static_cast<std::uint8_t>(page::kFirstTextAddress + n);
    for (std::uint8_t byte : bytes[i]) {
      image[kMessagePageOffset + page::kFirstTextAddress + n] = byte;
      ++n;
    }
    image[kMessagePageOffset + page::kFirstTextAddress + n - 1] |= kEndMark;
  }
  image[kMessagePageOffset + page::kFreePointer] =
      static_cast<std::uint8_t>(page::kFirstTextAddress + n);
  return std::nullopt;
}

int countMessageBytes(std::span<const std::string> texts) {
  std::size_t count = 0;
  for (const std::string& text : texts) count += textByteCount(text);
  return static_cast<int>(count);
}

bool messageKeyFilter(std::span<const std::string> texts, unsigned character) {
  if (character != kBackspace && countMessageBytes(texts) >= kMessageBudget) return true;
  // Characters beyond the table (typed with a keyboard layout's dead keys and
  // the like) have no Morse code either.
  if (character > 127) return true;
  return character >= 32 && morseCode(static_cast<unsigned char>(character)) == kNoMorseCode;
}

}  // namespace dp3
