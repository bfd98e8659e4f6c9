// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "system/file_result.hpp"

namespace dp3 {

// Replaces path with bytes so that the file on disk is either the old one or
// the complete new one: a temporary file beside it, flushed, then renamed.
//
// Only a regular file is replaced. A link to one is written through to its
// target (the link stays); a device, FIFO, folder, dangling link or link loop
// is refused, as are an empty name, a name ending in '/', and a file the user
// may not write (a file without any write permission counts as protected, even
// for the superuser). An existing file keeps its mode and, where the user may
// set them, its owner and group.
//
// Done, or Refused (nothing was touched), Create (the temporary file could not
// be made, or could not replace path) or Write (the bytes could not be written
// or flushed), each with path as given.
FileResult writeFileAtomically(const std::filesystem::path& path,
                               std::span<const std::uint8_t> bytes);

// Writes bytes as a new file in folder under the first of the names
// nameOf(0), nameOf(1), ... (up to attempts) that no file holds: the file
// appears whole under its name or not at all, and no file is ever replaced.
// Each name is claimed atomically, so two writers at once never share one.
// Done with the file written, or Create or Write with the name last tried.
FileResult writeNewFile(const std::filesystem::path& folder, std::span<const std::uint8_t> bytes,
                        const std::function<std::string(unsigned attempt)>& nameOf,
                        unsigned attempts);

// Whether path may be replaced by a save: Done, or Refused with the reason.
// Links are followed; resolved receives the file the save would replace.
FileResult checkSaveTarget(const std::filesystem::path& path,
                           std::filesystem::path* resolved = nullptr);

// Reads a small regular file whole. The file's type and size are checked
// before a byte is read, so a FIFO, a device or a huge file neither blocks
// nor fills memory. result: Done, Missing, NotRegular, TooLarge or Read.
struct SmallFile {
  FileResult result;
  std::vector<std::uint8_t> bytes;  // empty unless done
};
SmallFile readSmallFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace dp3
