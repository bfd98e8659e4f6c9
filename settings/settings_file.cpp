// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "settings/settings_file.hpp"

#include <algorithm>
#include <string>
#include <system_error>

#include "system/atomic_file.hpp"
#include "system/file_lock.hpp"

namespace dp3 {

namespace {

inline constexpr std::size_t kLegacyFirstExtension = user_field::kFirstExtension;  // held ModeReg2
inline constexpr std::uint8_t kLegacySidetoneVolume = 4;

bool validSize(std::size_t size) {
  return size == kImageSize || size == kSettingsBlockSize;
}

// The legacy layout kept ModeReg2 where FirstExtension is now and had no
// extension block: move it and give the extension its defaults.
void convertLegacy(SettingsImage& image) {
  for (int user : {1, 2}) {
    const std::size_t block = userSettingsOffset(user);
    const std::size_t extension = userExtensionOffset(user);
    image[extension + extension_field::kModeReg2] = image[block + kLegacyFirstExtension];
    image[block + kLegacyFirstExtension] = 0;
    image[extension + extension_field::kRttyReg] = 0;
    image[extension + extension_field::kRttyReg2] = 0;
    image[extension + extension_field::kSidetoneVolume] = kLegacySidetoneVolume;
    image[extension + extension_field::kSerialNumber] = 0;
    image[extension + extension_field::kSerialNumber + 1] = 0;
  }
}

}  // namespace

bool decodeSettingsFile(std::span<const std::uint8_t> bytes, SettingsImage& image) {
  if (!validSize(bytes.size())) return false;
  SettingsImage scratch = image;
  std::copy(bytes.begin(), bytes.end(), scratch.begin());
  if (bytes.size() == kSettingsBlockSize) convertLegacy(scratch);
  image = scratch;
  return true;
}

FileResult readSettingsFile(const std::filesystem::path& path, SettingsImage& image) {
  // The type and size are judged before a byte is read: a FIFO cannot hang
  // the load, nor a huge file fill memory.
  SmallFile file = readSmallFile(path, kImageSize);
  FileResult& result = file.result;
  switch (result.kind) {
    case FileResult::Kind::NotRegular: {
      std::error_code error;
      if (std::filesystem::is_directory(path, error)) {
        result.kind = FileResult::Kind::Missing;  // no settings file by that name
      } else {
        result.kind = FileResult::Kind::Invalid;
      }
      break;
    }
    case FileResult::Kind::TooLarge:
      result.kind = FileResult::Kind::Invalid;
      break;
    case FileResult::Kind::Done:
      if (!decodeSettingsFile(file.bytes, image)) {
        result = {FileResult::Kind::Invalid, path,
                  std::to_string(file.bytes.size()) + " bytes, not 300 or 288"};
      }
      break;
    default:
      break;
  }
  return result;
}

FileResult settingsFileName(const std::filesystem::path& path) {
  if (path.empty()) return {FileResult::Kind::Refused, path, "no file name given"};
  const std::filesystem::path file = path.filename();
  if (file.empty() || file == "." || file == "..")
    return {FileResult::Kind::Refused, path, "names a folder, not a file"};
  std::filesystem::path named = path;
  if (!named.has_extension()) named.replace_extension(kSettingsFileExtension);
  return {FileResult::Kind::Done, named};
}

FileResult writeSettingsFile(const std::filesystem::path& path, const SettingsImage& image) {
  const FileResult named = settingsFileName(path);
  if (!named.ok()) return named;
  const FileLock lock(named.path);
  if (!lock.held()) return lock.result();
  return writeFileAtomically(named.path, image);
}

FileResult changeSettingsFile(const std::filesystem::path& path, const SettingsChange& change) {
  const FileResult named = settingsFileName(path);
  if (!named.ok()) return named;
  const FileLock lock(named.path);
  if (!lock.held()) return lock.result();
  SettingsImage image{};
  std::error_code error;
  const bool created = !std::filesystem::exists(std::filesystem::symlink_status(named.path, error));
  if (created) {
    resetSettingsImage(image);
  } else if (const FileResult read = readSettingsFile(named.path, image); !read.ok()) {
    return read;
  }
  if (!change(image, created)) return {FileResult::Kind::Done, named.path};
  return writeFileAtomically(named.path, image);
}

}  // namespace dp3
