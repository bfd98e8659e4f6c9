// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace dp3 {

// A rectangle on the screen, in pixels.
struct WindowRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowRect&) const = default;
};

// What the window keeps between runs besides the port: where it was and how
// big, and the folder each file dialog was last in.
struct WindowMemory {
  std::optional<WindowRect> geometry;
  int scalePercent = 0;  // the screen's scale the geometry was kept at; 0: not known
  std::map<std::string, std::string> folders;  // dialog name -> folder
};

// "dp3tools-window.cfg" beside the program configuration file.
std::filesystem::path windowMemoryPath(const std::filesystem::path& configFilePath);

// A missing or unreadable file gives an empty memory; lines it does not know are skipped.
WindowMemory loadWindowMemory(const std::filesystem::path& path);
bool saveWindowMemory(const std::filesystem::path& path, const WindowMemory& memory);

// Where the window opens: where it was kept, when kept at the scale the
// screen has now (a size from another scale would hide its buttons or waste
// the screen), else as the face made it, in the middle of the screen; either
// way wholly on the screen's free area.
WindowRect openingPlace(const WindowMemory& memory, int scalePercent, const WindowRect& made,
                        const WindowRect& screen);

// The window placed within the screen's free area: no larger than it, and
// moved in so that it is wholly on it.
WindowRect fitOnScreen(WindowRect window, const WindowRect& screen);

}  // namespace dp3
