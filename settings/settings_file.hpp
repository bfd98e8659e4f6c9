#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "settings/settings_image.hpp"
#include "system/file_result.hpp"

namespace dp3 {

// Settings files (*.eep): the 300 image bytes as they are, or the 288-byte form
// of the preceding keyer generation on load.

inline constexpr std::string_view kSettingsFileExtension = "eep";

// Reads path into the image. The image changes only when the whole file was
// read: Done, Missing (a folder counts as no file), Invalid (not 300 or 288
// bytes, or not a regular file) or Read.
FileResult readSettingsFile(const std::filesystem::path& path, SettingsImage& image);

// Writes the 300 image bytes to the file path names (settingsFileName),
// replacing any old file only once the new one is complete: Done with the
// file written, or Refused (the name, or a device, FIFO, folder, broken link
// or read-only file in its place), Create or Write; the old file stays.
FileResult writeSettingsFile(const std::filesystem::path& path, const SettingsImage& image);

// The file a typed name stands for: ".eep" appended when it has no extension.
// Done with that file, or Refused when the name cannot name a file (empty,
// ending in '/').
FileResult settingsFileName(const std::filesystem::path& path);

// The image a file's bytes stand for: 300 bytes as they are, 288 bytes
// converted from the legacy layout. False (image untouched) for any other size.
bool decodeSettingsFile(std::span<const std::uint8_t> bytes, SettingsImage& image);

}  // namespace dp3
