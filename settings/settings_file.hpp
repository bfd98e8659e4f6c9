#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"
#include "surface/file_filter.hpp"

namespace dp3 {

// Settings files (*.eep): the 300 image bytes as they are, or the 288-byte form
// of the preceding keyer generation on load.

// The open and save dialogs' filters, in this order, and their default extension.
inline constexpr std::array<FileFilter, 2> kSettingsFileFilters = {{
    {"Settings Files (*.eep)", "*.eep"},
    {"All Documents (*.*)", "*.*"},
}};
inline constexpr std::string_view kSettingsFileExtension = "eep";

// Reads path into the image after the open dialog. Shows "EEP FileName: NAME"
// in the file name field (4057) and, on failure, an "Error" box. The image
// changes only when the whole file was read; returns true then.
bool loadSettingsFile(ControlSurface& ui, SettingsImage& image, const std::filesystem::path& path);

// Writes the 300 image bytes to path (".eep" appended when the name has no
// extension), replacing any old file only once the new one is complete. Shows
// the file name in 4057 and, on failure, an "Error" box. True when written.
// Only a regular file is replaced (a link to one is written through); a
// device, FIFO, folder, broken link or read-only file is refused with the
// reason after "Can't open Settings file for write: ".
bool saveSettingsFile(ControlSurface& ui, const SettingsImage& image, std::filesystem::path path);

// The file a typed name stands for: ".eep" appended when it has no extension.
// "" and named set, or why the name cannot name a file (empty, ending in '/').
std::string settingsFileName(const std::filesystem::path& path, std::filesystem::path& named);

// The image a file's bytes stand for: 300 bytes as they are, 288 bytes
// converted from the legacy layout. False (image untouched) for any other size.
bool decodeSettingsFile(std::span<const std::uint8_t> bytes, SettingsImage& image);

}  // namespace dp3
