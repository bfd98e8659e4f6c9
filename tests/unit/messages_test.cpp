// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/messages.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/morse_code.hpp"

namespace dp3 {
namespace {

// Texts in page order: messages 1-12, then the two callsigns.
constexpr std::size_t kMsg1 = 0;
constexpr std::size_t kMsg2 = 1;
constexpr std::size_t kMsg3 = 2;
constexpr std::size_t kMsg5 = 4;
constexpr std::size_t kMsg7 = 6;
constexpr std::size_t kMsg12 = 11;
constexpr std::size_t kCallsign1 = 12;
constexpr std::size_t kCallsign2 = 13;

MessageTexts texts(std::initializer_list<std::pair<std::size_t, std::string>> held) {
  MessageTexts all;
  for (const auto& [index, text] : held) all[index] = text;
  return all;
}

std::vector<std::uint8_t> pageBytes(const SettingsImage& image, std::size_t address,
                                    std::size_t count) {
  const auto start = image.begin() + static_cast<std::ptrdiff_t>(32 + address);
  return {start, start + static_cast<std::ptrdiff_t>(count)};
}

TEST(Messages, PackFromAddressFifteenWithPointersAndFreePointer) {
  SettingsImage image{};
  image.fill(0xEE);
  ASSERT_FALSE(storeTexts(texts({{kMsg1, "CQ"}, {kMsg2, "TEST"}}), image));
  EXPECT_EQ(image[33], 15);
  EXPECT_EQ(image[34], 17);
  for (std::size_t pointer = 3; pointer <= 14; ++pointer) EXPECT_EQ(image[32 + pointer], 0);
  EXPECT_EQ(image[32], 21);
  EXPECT_EQ(pageBytes(image, 15, 6),
            (std::vector<std::uint8_t>{0x15, 0x9B, 0x03, 0x02, 0x08, 0x83}));
  EXPECT_EQ(image[32 + 21], 0xEE) << "bytes behind the new end stay";
  EXPECT_EQ(image[0], 0xEE);
  EXPECT_EQ(image[288], 0xEE);
}

TEST(Messages, StoredBytesAndWhatShowsBack) {
  struct Case {
    const char* typed;
    std::vector<std::uint8_t> bytes;
    const char* shown;
    int counted;
  };
  const std::vector<Case> cases = {
      {"A\r\nB", {0x06, 0x1C, 0x1C, 0x91}, "A  B", 4},
      {"A\nB", {0x06, 0x1C, 0x1C, 0x91}, "A  B", 4},
      {"cq de n0call",
       {0x15, 0x1B, 0x1C, 0x09, 0x02, 0x1C, 0x05, 0x3F, 0x15, 0x06, 0x12, 0x92},
       "CQ DE N0CALL",
       12},
      {"PRICE 5$", {0x16, 0x0A, 0x04, 0x15, 0x02, 0x1C, 0x20, 0xC8}, "PRICE 5$", 8},
      {"$", {0xC8}, "$", 1},
      {"!;(:]", {0x1A, 0x1A, 0x2D, 0x2D, 0xAD}, "!!(((", 5},
      {"+</\\", {0x2A, 0x2A, 0x29, 0xA9}, "++//", 4},
      {"?@=>[|*", {0x4C, 0x56, 0x31, 0x68, 0x22, 0x2C, 0x9F}, "?@=>[|*", 7},
  };
  for (const Case& c : cases) {
    SettingsImage image{};
    const MessageTexts typed = texts({{kMsg3, c.typed}});
    EXPECT_EQ(countMessageBytes(typed), c.counted) << c.typed;
    ASSERT_FALSE(storeTexts(typed, image)) << c.typed;
    EXPECT_EQ(image[35], 15) << c.typed;
    EXPECT_EQ(pageBytes(image, 15, c.bytes.size()), c.bytes) << c.typed;
    EXPECT_EQ(image[32], 15 + c.bytes.size()) << c.typed;
    EXPECT_EQ(pageTexts(image)[kMsg3], c.shown) << c.typed;
  }
}

TEST(Messages, TextsWithoutEndMarkStopWithinThePageAndTheBox) {
  struct Case {
    std::uint8_t pointer;
    std::uint8_t fill;
    std::string shown;
  };
  // The same byte everywhere, no end mark: a text runs to address 255 or the
  // box limit. Pointer 0 is empty whatever follows it.
  const std::vector<Case> cases = {
      {15, 0x02, std::string(241, 'E')}, {250, 0x02, std::string(6, 'E')}, {255, 0x02, "E"},
      {2, 0x02, std::string(249, 'E')},  {252, 0x01, "{}{}{}{}"},          {0, 0x86, ""}};
  for (const Case& c : cases) {
    SettingsImage image{};
    image.fill(c.fill);
    for (std::size_t p = 1; p <= 14; ++p) image[32 + p] = 0;
    image[32 + 1] = c.pointer;
    if (c.pointer < 15) {
      for (std::size_t p = c.pointer; p <= 14; ++p) image[32 + p] = c.fill;
      image[32 + 1] = c.pointer;
    }
    EXPECT_EQ(pageTexts(image)[kMsg1], c.shown) << int(c.pointer);
  }
}

// A text read from the keyer and left alone goes back byte for byte, patterns
// no character has included; show marks those patterns instead of cutting the
// text at them.
TEST(Messages, UneditedTextsKeepTheirBytes) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    const char* shown;
  };
  const std::vector<Case> cases = {
      {{0x15, 0x40, 0x9B}, "C{......}Q"},  // six dits
      {{0x01, 0x86}, "{}A"},               // the stop mark alone
      {{0x06, 0x00, 0x82}, "A{?}E"},       // no stop mark
      {{0x06, 0xC0}, "A{......}"},         // six dits carrying the end mark
      {{0x7F, 0x81}, "{------}{}"},
      {{0x06, 0xC8}, "A$"},
  };
  for (const Case& c : cases) {
    SettingsImage image{};
    image.fill(0x5A);
    for (std::size_t p = 0; p <= 14; ++p) image[32 + p] = 0;
    image[32 + 5] = 60;  // Msg 5, not at address 15: the store moves it
    std::copy(c.bytes.begin(), c.bytes.end(), image.begin() + 32 + 60);
    MessageTexts shown = pageTexts(image);
    EXPECT_EQ(shown[kMsg5], c.shown);
    EXPECT_EQ(countMessageBytes(shown), static_cast<int>(c.bytes.size())) << c.shown;
    shown[kMsg2] = "TU";  // another box edited
    ASSERT_FALSE(storeTexts(shown, image)) << c.shown;
    EXPECT_EQ(image[37], 17) << c.shown;
    EXPECT_EQ(pageBytes(image, 17, c.bytes.size()), c.bytes) << c.shown;
    EXPECT_EQ(pageTexts(image)[kMsg5], c.shown);
  }
}

TEST(Messages, UnsendableTextIsRefusedNamingItsBoxAndChangesNothing) {
  struct Case {
    std::size_t index;
    std::string text;
    const char* message;
  };
  const std::vector<Case> cases = {
      {kMsg3, "CQ #1", "Msg 3 holds \"#\", which has no Morse code. Remove it before storing."},
      {kMsg12, "50%", "Msg 12 holds \"%\", which has no Morse code. Remove it before storing."},
      {kCallsign2, "N\xC3\xA9",
       "User 2 Callsign /M holds a character that has no Morse code. Remove it before storing."},
      {kMsg1, std::string(1, '\0'),
       "Msg 1 holds a character that has no Morse code. Remove it before storing."},
      {kMsg3, "PRICE $5 TU",
       "Msg 3 holds \"$\" before its end; the keyer ends a text at \"$\", so it can only come "
       "last. Remove it before storing."},
      {kMsg3, "5$K",
       "Msg 3 holds \"$\" before its end; the keyer ends a text at \"$\", so it can only come "
       "last. Remove it before storing."},
      {kMsg3, "5$\r\n",
       "Msg 3 holds \"$\" before its end; the keyer ends a text at \"$\", so it can only come "
       "last. Remove it before storing."},
      {kMsg1, "CQ{......}",
       "Msg 1 holds {......}, a keyer pattern with no character, in an edited text; such a "
       "pattern is kept only while its text stays as it was read. Remove it before storing."},
      {kMsg1, "{", "Msg 1 holds \"{\", which has no Morse code. Remove it before storing."},
  };
  for (const Case& c : cases) {
    SettingsImage image{};
    image.fill(0x33);
    const auto refused = storeTexts(texts({{kMsg7, "FINE"}, {c.index, c.text}}), image);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(std::string_view(c.message).starts_with(refused->label)) << refused->label;
    EXPECT_EQ(refused->text, c.message);
    for (std::uint8_t b : image) ASSERT_EQ(b, 0x33);
  }
}

TEST(Messages, BudgetOfTwoHundredFortyIsKept) {
  struct Case {
    std::size_t msg1;
    std::size_t callsign2;
    bool stored;
  };
  for (const Case& c : {Case{240, 0, true}, Case{239, 1, true}, Case{200, 41, false}}) {
    SettingsImage image{};
    image.fill(0x44);
    const auto refused = storeTexts(
        texts({{kMsg1, std::string(c.msg1, 'E')}, {kCallsign2, std::string(c.callsign2, 'T')}}),
        image);
    EXPECT_EQ(!refused, c.stored) << c.msg1 << "+" << c.callsign2;
    if (c.stored) {
      EXPECT_EQ(image[32], 255);
      EXPECT_EQ(image[286], c.callsign2 ? 0x83 : 0x82);
      EXPECT_EQ(image[287], 0x44) << "the page's last byte is never written";
    } else {
      const std::string expected =
          std::string(c.callsign2 ? "User 2 Callsign /M" : "Msg 1") +
          " goes past the 240 characters the keyer holds for all messages and callsigns. "
          "Shorten the texts before storing.";
      EXPECT_EQ(refused->text, expected);
      for (std::uint8_t b : image) ASSERT_EQ(b, 0x44);
    }
  }
}

TEST(Messages, KeyFilterSwallowsWhatTheKeyerCannotTake) {
  const MessageTexts empty;
  const MessageTexts full =
      texts({{kMsg1, std::string(200, 'E')}, {kCallsign1, std::string(40, 'T')}});
  const MessageTexts over = texts({{kMsg7, std::string(250, 'E')}});
  struct Case {
    const MessageTexts* texts;
    unsigned character;
    bool swallowed;
  };
  std::vector<Case> cases = {
      {&empty, 'A', false}, {&empty, 'a', false}, {&empty, ' ', false}, {&empty, '$', false},
      {&empty, 8, false},   {&empty, 13, false},  {&empty, 127, true},  {&empty, 0xE9, true},
      {&full, 'A', true},   {&full, 8, false},    {&full, 13, true},    {&over, 'A', true},
      {&over, 8, false},
  };
  for (char c : std::string("#%&^_`{}~")) cases.push_back({&empty, static_cast<unsigned>(c), true});
  for (const Case& c : cases) {
    EXPECT_EQ(messageKeyFilter(*c.texts, c.character), c.swallowed) << c.character;
  }
  EXPECT_EQ(kMessageBudget - countMessageBytes(empty), 240);
  EXPECT_EQ(kMessageBudget - countMessageBytes(full), 0);
  EXPECT_EQ(kMessageBudget - countMessageBytes(over), -10);
}

}  // namespace
}  // namespace dp3
