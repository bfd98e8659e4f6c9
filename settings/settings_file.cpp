#include "settings/settings_file.hpp"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include "surface/control_ids.hpp"
#include "system/atomic_file.hpp"

namespace dp3 {

namespace {

inline constexpr std::string_view kErrorCaption = "Error";
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

inline constexpr std::string_view kSaveRefused = "Can't open Settings file for write";

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
  // The type and size are judged before a byte is read: a FIFO cannot hang
  // the load, nor a huge file fill memory.
  const SmallFile file = readSmallFile(path, kImageSize);
  switch (file.status) {
    case SmallFileStatus::Ok:
      break;
    case SmallFileStatus::Missing:
      return refuse(ui, "File Not Found");
    case SmallFileStatus::NotRegular: {
      std::error_code error;
      if (std::filesystem::is_directory(path, error)) return refuse(ui, "File Not Found");
      return refuse(ui, "Invalid file.");
    }
    case SmallFileStatus::TooLarge:
      return refuse(ui, "Invalid file.");
    case SmallFileStatus::ReadError:
      return refuse(ui, "Read Settings file failed.");
  }
  if (!decodeSettingsFile(file.bytes, image)) return refuse(ui, "Invalid file.");
  return true;
}

std::string settingsFileName(const std::filesystem::path& path, std::filesystem::path& named) {
  const std::string text = path.string();
  if (text.empty()) return "no file name given";
  if (text.back() == '/') return text + ": names a folder, not a file";
  named = path;
  if (!named.has_extension()) named += "." + std::string(kSettingsFileExtension);
  return {};
}

bool saveSettingsFile(ControlSurface& ui, const SettingsImage& image, std::filesystem::path path) {
  std::filesystem::path named;
  if (std::string refusal = settingsFileName(path, named); !refusal.empty()) {
    return refuse(ui, std::string(kSaveRefused) + ": " + refusal);
  }
  ui.setText(id::kFileName, named.filename().string());
  AtomicWriteStep step = AtomicWriteStep::None;
  const std::string error = writeFileAtomically(named, image, &step);
  switch (step) {
    case AtomicWriteStep::None:
      return true;
    case AtomicWriteStep::Refused:
      return refuse(ui, std::string(kSaveRefused) + ": " + error);
    case AtomicWriteStep::Write:
      return refuse(ui, "Export Log File Failed.");
    case AtomicWriteStep::Create:
      break;
  }
  return refuse(ui, kSaveRefused);
}

}  // namespace dp3
