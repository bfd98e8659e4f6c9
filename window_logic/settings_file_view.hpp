// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <filesystem>

#include "settings/settings_file.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"
#include "surface/file_filter.hpp"

namespace dp3 {

// "Read Config File" and "Write Config File" of the main window.

// The open and save dialogs' filters, in this order; the default extension
// is kSettingsFileExtension.
inline constexpr std::array<FileFilter, 2> kSettingsFileFilters = {{
    {"Settings Files (*.eep)", "*.eep"},
    {"All Documents (*.*)", "*.*"},
}};

// Reads path into the image after the open dialog. Shows "EEP FileName: NAME"
// in the file name field (4057) and, on failure, an "Error" box. The image
// changes only when the whole file was read; returns true then.
bool loadSettingsFile(ControlSurface& ui, SettingsImage& image, const std::filesystem::path& path);

// Writes the 300 image bytes to the file path names (".eep" appended when the
// name has no extension), replacing any old file only once the new one is
// complete. Shows the file name in 4057 and, on failure, an "Error" box
// (writeSettingsFile says what is refused). True when written.
bool saveSettingsFile(ControlSurface& ui, const SettingsImage& image,
                      const std::filesystem::path& path);

}  // namespace dp3
