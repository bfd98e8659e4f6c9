#include <gtest/gtest.h>

#include "surface/map_surface.hpp"

namespace dp3 {
namespace {

TEST(ReadNumber, UnsignedDecimalElseZero) {
  const struct {
    const char* text;
    unsigned value;
  } cases[] = {
      {"", 0},
      {"0", 0},
      {"55", 55},
      {" 700 ", 700},
      {"4294967295", 4294967295u},
      {"4294967296", 0},
      {"12a", 0},
      {"-1", 0},
      {"+5", 0},
      {"abc", 0},
      {"1 2", 0},
      {" ", 0},
      {"0009", 9},
      {"99999999999999", 0},
  };
  MapSurface ui;
  for (const auto& c : cases) {
    ui.setText(1, c.text);
    EXPECT_EQ(readNumber(ui, 1), c.value) << '"' << c.text << '"';
  }
}

TEST(MapSurface, ListSelectionStaysWithinEntries) {
  MapSurface ui;
  ui.addListEntry(7, "a");
  ui.addListEntry(7, "b");
  ui.selectEntry(7, 1);
  EXPECT_EQ(ui.selectedEntry(7), 1);
  ui.selectEntry(7, 2);
  EXPECT_EQ(ui.selectedEntry(7), -1);
  ui.selectEntry(7, 0);
  ui.clearList(7);
  EXPECT_EQ(ui.selectedEntry(7), -1);
  EXPECT_TRUE(ui.control(7).entries.empty());
}

}  // namespace
}  // namespace dp3
