#include "settings/messages.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/morse_code.hpp"
#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"

namespace dp3 {
namespace {

constexpr int kMsg2 = id::kMsg1 + 1;
constexpr int kMsg3 = id::kMsg1 + 2;
constexpr int kMsg12 = id::kMsg7 + 5;

std::vector<std::uint8_t> pageBytes(const SettingsImage& image, std::size_t address,
                                    std::size_t count) {
  const auto start = image.begin() + static_cast<std::ptrdiff_t>(32 + address);
  return {start, start + static_cast<std::ptrdiff_t>(count)};
}

TEST(Messages, PackFromAddressFifteenWithPointersAndFreePointer) {
  SettingsImage image{};
  image.fill(0xEE);
  MapSurface ui;
  ui.setText(id::kMsg1, "CQ");
  ui.setText(kMsg2, "TEST");
  ASSERT_TRUE(storeMessages(ui, image));
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
      {"5$ OK", {0x20, 0xC8, 0x1C, 0x0F, 0x8D}, "5", 5},
      {"$", {0xC8}, "", 1},
      {"!;(:]", {0x1A, 0x1A, 0x2D, 0x2D, 0xAD}, "!!(((", 5},
      {"+</\\", {0x2A, 0x2A, 0x29, 0xA9}, "++//", 4},
      {"?@=>[|*", {0x4C, 0x56, 0x31, 0x68, 0x22, 0x2C, 0x9F}, "?@=>[|*", 7},
  };
  for (const Case& c : cases) {
    SettingsImage image{};
    MapSurface ui;
    ui.setText(kMsg3, c.typed);
    EXPECT_EQ(countMessageBytes(ui), c.counted) << c.typed;
    ASSERT_TRUE(storeMessages(ui, image)) << c.typed;
    EXPECT_EQ(image[35], 15) << c.typed;
    EXPECT_EQ(pageBytes(image, 15, c.bytes.size()), c.bytes) << c.typed;
    EXPECT_EQ(image[32], 15 + c.bytes.size()) << c.typed;
    MapSurface shown;
    showMessages(shown, image);
    EXPECT_EQ(shown.text(kMsg3), c.shown) << c.typed;
  }
}

TEST(Messages, TextsWithoutEndMarkStopWithinThePageAndTheBox) {
  struct Case {
    std::uint8_t pointer;
    std::uint8_t fill;
    std::size_t length;
  };
  // E (0x02) everywhere, no end mark: a text runs to address 255 or the box
  // limit. Pointer 0 is empty whatever follows it.
  const std::vector<Case> cases = {{15, 0x02, 241}, {250, 0x02, 6}, {255, 0x02, 1},
                                   {2, 0x02, 249},  {200, 0x01, 0}, {0, 0x86, 0}};
  for (const Case& c : cases) {
    SettingsImage image{};
    image.fill(c.fill);
    for (std::size_t p = 1; p <= 14; ++p) image[32 + p] = 0;
    image[32 + 1] = c.pointer;
    if (c.pointer < 15) {
      for (std::size_t p = c.pointer; p <= 14; ++p) image[32 + p] = c.fill;
      image[32 + 1] = c.pointer;
    }
    MapSurface ui;
    showMessages(ui, image);
    const std::string text = ui.text(id::kMsg1);
    EXPECT_EQ(text.size(), c.length) << int(c.pointer);
    EXPECT_EQ(text.find_first_not_of('E'), std::string::npos) << int(c.pointer);
  }
}

TEST(Messages, UnsendableTextIsRefusedNamingItsBoxAndChangesNothing) {
  struct Case {
    int control;
    std::string text;
    const char* message;
  };
  const std::vector<Case> cases = {
      {kMsg3, "CQ #1", "Msg 3 holds \"#\", which has no Morse code. Remove it before storing."},
      {kMsg12, "50%", "Msg 12 holds \"%\", which has no Morse code. Remove it before storing."},
      {id::kCallsignUser2, "N\xC3\xA9",
       "User 2 Callsign /M holds a character that has no Morse code. Remove it before storing."},
      {id::kMsg1, std::string(1, '\0'),
       "Msg 1 holds a character that has no Morse code. Remove it before storing."},
  };
  for (const Case& c : cases) {
    SettingsImage image{};
    image.fill(0x33);
    MapSurface ui;
    ui.setText(id::kMsg7, "FINE");
    ui.setText(c.control, c.text);
    EXPECT_FALSE(storeMessages(ui, image));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, c.message);
    EXPECT_EQ(ui.messages[0].caption, "Error");
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
    MapSurface ui;
    ui.setText(id::kMsg1, std::string(c.msg1, 'E'));
    ui.setText(id::kCallsignUser2, std::string(c.callsign2, 'T'));
    EXPECT_EQ(storeMessages(ui, image), c.stored) << c.msg1 << "+" << c.callsign2;
    if (c.stored) {
      EXPECT_EQ(image[32], 255);
      EXPECT_EQ(image[286], c.callsign2 ? 0x83 : 0x82);
      EXPECT_EQ(image[287], 0x44) << "the page's last byte is never written";
    } else {
      ASSERT_EQ(ui.messages.size(), 1u);
      const std::string expected =
          std::string(c.callsign2 ? "User 2 Callsign /M" : "Msg 1") +
          " goes past the 240 characters the keyer holds for all messages and callsigns. "
          "Shorten the texts before storing.";
      EXPECT_EQ(ui.messages[0].text, expected);
      for (std::uint8_t b : image) ASSERT_EQ(b, 0x44);
    }
  }
}

TEST(Messages, KeyFilterSwallowsWhatTheKeyerCannotTake) {
  MapSurface empty;
  MapSurface full;
  full.setText(id::kMsg1, std::string(200, 'E'));
  full.setText(id::kCallsignUser1, std::string(40, 'T'));
  MapSurface over;
  over.setText(id::kMsg7, std::string(250, 'E'));
  struct Case {
    const MapSurface* ui;
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
    EXPECT_EQ(messageKeyFilter(*c.ui, c.character), c.swallowed) << c.character;
  }
  EXPECT_EQ(kMessageBudget - countMessageBytes(empty), 240);
  EXPECT_EQ(kMessageBudget - countMessageBytes(full), 0);
  EXPECT_EQ(kMessageBudget - countMessageBytes(over), -10);
}

}  // namespace
}  // namespace dp3
