#include <gtest/gtest.h>

#include "surface/map_surface.hpp"

namespace dp3 {
namespace {

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
