// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
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
// replacing any old file only once the new one is complete, while holding the
// file's lock (FileLock): Done with the file written, or Refused (the name,
// or a device, FIFO, folder, broken link or read-only file in its place, or
// another program changing it), Create or Write; the old file stays.
FileResult writeSettingsFile(const std::filesystem::path& path, const SettingsImage& image);

// Read, change and save of the file path names, holding its lock throughout
// so that no other program's change falls between the read and the save.
// change gets the file's image, or the defaults when no file has that name
// (created is then true), and saves what it leaves there unless it returns
// false. Done (saved, or left as it was when change said no), else the
// failed read's or save's result.
using SettingsChange = std::function<bool(SettingsImage& image, bool created)>;
FileResult changeSettingsFile(const std::filesystem::path& path, const SettingsChange& change);

// The file a typed name stands for: ".eep" appended when it has no extension.
// Done with that file, or Refused when the name cannot name a file (empty,
// naming a folder: ending in a separator, "." or "..").
FileResult settingsFileName(const std::filesystem::path& path);

// The image a file's bytes stand for: 300 bytes as they are, 288 bytes
// converted from the legacy layout. False (image untouched) for any other size.
bool decodeSettingsFile(std::span<const std::uint8_t> bytes, SettingsImage& image);

}  // namespace dp3
