// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/window_face.hpp"

#include <filesystem>

namespace dp3 {

std::string chooseFile(WindowFace& face, FileChoice choice,
                       std::map<std::string, std::string>& folders) {
  const char* name = choice == FileChoice::OpenFirmware   ? "firmware"
                     : choice == FileChoice::SaveSettings ? "settings-save"
                                                          : "settings-open";
  const auto known = folders.find(name);
  const std::string path = face.chooseFile(choice, known == folders.end() ? "" : known->second);
  if (!path.empty()) {
    // The names are UTF-8 on every system.
    const std::u8string folder =
        std::filesystem::path(std::u8string(path.begin(), path.end())).parent_path().u8string();
    folders[name] = std::string(folder.begin(), folder.end());
  }
  return path;
}

}  // namespace dp3
