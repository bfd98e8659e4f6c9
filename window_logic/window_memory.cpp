// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/window_memory.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "system/atomic_file.hpp"

namespace dp3 {

std::filesystem::path windowMemoryPath(const std::filesystem::path& configFilePath) {
  return configFilePath.parent_path() / "dp3tools-window.cfg";
}

WindowMemory loadWindowMemory(const std::filesystem::path& path) {
  WindowMemory memory;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "geometry") {
      WindowRect r;
      if (words >> r.x >> r.y >> r.width >> r.height && r.width > 0 && r.height > 0) {
        memory.geometry = r;
      }
    } else if (key == "scale") {
      if (int percent = 0; words >> percent && percent > 0) memory.scalePercent = percent;
    } else if (key == "folder") {
      std::string name;
      std::string folder;
      if (words >> name && std::getline(words >> std::ws, folder) && !folder.empty()) {
        memory.folders[name] = folder;
      }
    }
  }
  return memory;
}

bool saveWindowMemory(const std::filesystem::path& path, const WindowMemory& memory) {
  std::ostringstream out;
  if (memory.geometry) {
    const WindowRect& r = *memory.geometry;
    out << "geometry " << r.x << ' ' << r.y << ' ' << r.width << ' ' << r.height << '\n';
    if (memory.scalePercent > 0) out << "scale " << memory.scalePercent << '\n';
  }
  for (const auto& [name, folder] : memory.folders) {
    if (folder.find('\n') == std::string::npos) out << "folder " << name << ' ' << folder << '\n';
  }
  const std::string text = out.str();
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  return writeFileAtomically(
             path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                                 text.size()))
      .ok();
}

WindowRect openingPlace(const WindowMemory& memory, int scalePercent, const WindowRect& made,
                        const WindowRect& screen) {
  const bool kept = memory.geometry && memory.scalePercent == scalePercent;
  const WindowRect wanted =
      kept ? *memory.geometry
           : WindowRect{screen.x + (screen.width - made.width) / 2,
                        screen.y + (screen.height - made.height) / 2, made.width, made.height};
  return fitOnScreen(wanted, screen);
}

WindowRect fitOnScreen(WindowRect window, const WindowRect& screen) {
  window.width = std::min(window.width, screen.width);
  window.height = std::min(window.height, screen.height);
  window.x = std::clamp(window.x, screen.x, screen.x + screen.width - window.width);
  window.y = std::clamp(window.y, screen.y, screen.y + screen.height - window.height);
  return window;
}

}  // namespace dp3
