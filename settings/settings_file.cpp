#include "settings/settings_file.hpp"

#include <algorithm>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "settings/atomic_file.hpp"
#include "surface/control_ids.hpp"

namespace dp3 {

namespace {

inline constexpr std::string_view kErrorCaption = "Error";
inline constexpr std::size_t kLegacyFirstExtension = user_field::FirstExtension;  // held ModeReg2
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
    image[extension + extension_field::ModeReg2] = image[block + kLegacyFirstExtension];
    image[block + kLegacyFirstExtension] = 0;
    image[extension + extension_field::RttyReg] = 0;
    image[extension + extension_field::RttyReg2] = 0;
    image[extension + extension_field::SidetoneVolume] = kLegacySidetoneVolume;
    image[extension + extension_field::SerialNumber] = 0;
    image[extension + extension_field::SerialNumber + 1] = 0;
  }
}

bool refuse(ControlSurface& ui, std::string_view text) {
  ui.showMessage(text, kErrorCaption);
  return false;
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

bool loadSettingsFile(ControlSurface& ui, SettingsImage& image, const std::filesystem::path& path) {
  ui.setText(id::kFileName, "EEP FileName: " + path.filename().string());

  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return refuse(ui, "File Not Found");
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return refuse(ui, "File Not Found");

  // A regular file is judged by its size before anything is read; other files
  // (a pipe) by what they deliver, never more than one byte past the largest form.
  std::size_t expected = kImageSize + 1;
  if (std::filesystem::is_regular_file(path, error)) {
    const auto size = std::filesystem::file_size(path, error);
    if (error) return refuse(ui, "Read Settings file failed.");
    if (!validSize(size)) return refuse(ui, "Invalid file.");
    expected = static_cast<std::size_t>(size);
  }
  std::vector<std::uint8_t> bytes(expected);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const auto got = static_cast<std::size_t>(file.gcount());
  if (file.bad() || (expected <= kImageSize && got != expected)) {
    return refuse(ui, "Read Settings file failed.");
  }
  bytes.resize(got);
  if (!decodeSettingsFile(bytes, image)) return refuse(ui, "Invalid file.");
  return true;
}

bool saveSettingsFile(ControlSurface& ui, const SettingsImage& image, std::filesystem::path path) {
  if (!path.has_extension()) path += "." + std::string(kSettingsFileExtension);
  ui.setText(id::kFileName, path.filename().string());
  AtomicWriteStep step = AtomicWriteStep::None;
  if (writeFileAtomically(path, image, &step).empty()) return true;
  return refuse(ui, step == AtomicWriteStep::Write ? "Export Log File Failed."
                                                   : "Can't open Settings file for write");
}

}  // namespace dp3
