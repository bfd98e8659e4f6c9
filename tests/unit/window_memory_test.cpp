// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// What the window keeps between runs, and how it is kept on the screen.
#include "window_logic/window_memory.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "test_face.hpp"
#include "window_logic/window_face.hpp"

namespace dp3 {
namespace {

TEST(WindowMemory, KeepsGeometryAndFoldersAndSkipsWhatItDoesNotKnow) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("dp3_window_memory_" + std::to_string(::getpid()));
  const auto path = windowMemoryPath(dir / "dp3tools.cfg");
  EXPECT_EQ(path, dir / "dp3tools-window.cfg");
  EXPECT_FALSE(loadWindowMemory(path).geometry);  // nothing yet

  WindowMemory memory;
  memory.geometry = WindowRect{10, 20, 900, 700};
  memory.folders = {{"firmware", "/home/ann/hex files"}, {"settings-open", "/tmp"}};
  ASSERT_TRUE(saveWindowMemory(path, memory));
  const WindowMemory back = loadWindowMemory(path);
  EXPECT_EQ(back.geometry, memory.geometry);
  EXPECT_EQ(back.folders, memory.folders);

  std::ofstream(path) << "future-key 1 2\ngeometry 1 2 0 5\nfolder lonely\n";
  const WindowMemory odd = loadWindowMemory(path);
  EXPECT_FALSE(odd.geometry);
  EXPECT_TRUE(odd.folders.empty());
  std::filesystem::remove_all(dir);
}

TEST(WindowMemory, FitOnScreenKeepsTheWindowWhollyVisible) {
  const WindowRect screen{0, 0, 1280, 984};
  const struct {
    WindowRect wanted;
    WindowRect placed;
  } rows[] = {
      {{100, 50, 800, 600}, {100, 50, 800, 600}},    // fits as it is
      {{900, 700, 800, 600}, {480, 384, 800, 600}},  // moved in from the right and bottom
      {{-300, -20, 800, 600}, {0, 0, 800, 600}},     // moved in from the left and top
      {{0, 0, 1700, 1200}, {0, 0, 1280, 984}},       // larger than the screen (150% scale)
      {{2000, 40, 700, 500}, {580, 40, 700, 500}},   // left on a screen no longer there
  };
  for (const auto& row : rows) {
    EXPECT_EQ(fitOnScreen(row.wanted, screen), row.placed)
        << row.wanted.x << "," << row.wanted.y << " " << row.wanted.width << "x"
        << row.wanted.height;
  }
}

// Each file dialog opens where its last file was chosen: the folder of the
// file, not the one the dialog happened to show; a cancel changes nothing.
TEST(FileDialogFolders, RememberTheChosenFilesFolder) {
  const struct {
    FileChoice choice;
    const char* name;
  } rows[] = {{FileChoice::OpenSettings, "settings-open"},
              {FileChoice::SaveSettings, "settings-save"},
              {FileChoice::OpenFirmware, "firmware"}};
  for (const auto& row : rows) {
    test::TestFace face;
    std::map<std::string, std::string> folders = {{row.name, "/home/ann/shown"}};
    face.files[row.choice] = "/home/ann/chosen/dp.eep";
    EXPECT_EQ(chooseFile(face, row.choice, folders), "/home/ann/chosen/dp.eep");
    ASSERT_EQ(face.asked.size(), 1u);
    EXPECT_EQ(face.asked[0].second, "/home/ann/shown") << row.name;
    EXPECT_EQ(folders[row.name], "/home/ann/chosen") << row.name;
    face.files.clear();
    EXPECT_EQ(chooseFile(face, row.choice, folders), "");
    EXPECT_EQ(folders[row.name], "/home/ann/chosen") << "a cancel keeps it";
  }
}

}  // namespace
}  // namespace dp3
