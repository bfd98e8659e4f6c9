#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "firmware/firmware_image.hpp"
#include "firmware/upload.hpp"
#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "surface/control_surface.hpp"
#include "surface/file_filter.hpp"

namespace dp3 {

// The uploader's open-file dialog.
inline constexpr const char* kFirmwareDialogTitle = "Open";
inline constexpr std::array<FileFilter, 2> kFirmwareFileFilters = {{
    {"All files", "*.*"},
    {"Bin Files", "*.bin"},
}};
inline constexpr int kFirmwareFilterSelected = 1;  // "Bin Files"
inline constexpr const char* kFirmwareDefaultExtension = "bin";
inline constexpr const char* kFirmwareDefaultName = "*.bin";

inline constexpr const char* kUploaderCaption = "Ditpulse 3 Firmware Uploader";
inline constexpr int kUploadTimerMs = 100;
inline constexpr const char* kUploadFailedCaption = "Upload Failed";
// Under "File Error" when every line read but none held program memory.
inline constexpr const char* kNoProgramRecords = "no data records for the program memory";

// What the last load left for the Program command.
struct LoadedImage {
  bool loaded = false;  // set by the first good load, kept after later failures
  int records = 0;      // result of the last load
  ImageVersion version;
};

// The refusal for a keyer answering IC type V and an image of kind K, or ""
// when the image suits it. An IC type no row names is refused.
std::string compatibilityError(std::uint8_t variant, std::uint8_t kind);

// The Program command's checks: an image is loaded and not empty, the keyer
// answers (the port is reopened for the test), and the image suits its IC; a
// keyer that runs only its bootloader takes any image. On refusal its text is
// in the status line (4036) or a message box was shown, and false is
// returned. keyer.bootloaderOnly afterwards means recovery.
bool checkProgram(ControlSurface& ui, Link& link, KeyerInfo& keyer, const LoadedImage& loaded);

// The uploader window's behaviour over its controls (dialog 1003). The front
// end runs the file dialog, then onLoad; and calls onTimer every 100 ms while
// timerActive(). Exit and close must wait while uploadRunning().
class UploaderWindow {
 public:
  UploaderWindow(ControlSurface& ui, Link& link, KeyerInfo& keyer, bool verbose);
  ~UploaderWindow();
  UploaderWindow(const UploaderWindow&) = delete;
  UploaderWindow& operator=(const UploaderWindow&) = delete;

  void onOpen();
  void onLoad(const std::string& path);
  void onProgram();
  void onTimer();

  bool timerActive() const { return timerActive_; }
  bool uploadRunning() const { return worker_.joinable(); }

  const LoadedImage& loaded() const { return loaded_; }
  const LoadDetail& loadDetail() const { return loadDetail_; }
  const FirmwareImage& image() const { return *image_; }
  // How the last upload ended; nullopt before the first one ended.
  const std::optional<UploadOutcome>& lastOutcome() const { return lastOutcome_; }

 private:
  void idleButtons();

  ControlSurface& ui_;
  Link& link_;
  KeyerInfo& keyer_;
  bool verbose_;
  std::unique_ptr<FirmwareImage> image_;
  LoadedImage loaded_;
  LoadDetail loadDetail_;
  UploadShared shared_;
  std::thread worker_;
  bool timerActive_ = false;
  std::optional<UploadOutcome> lastOutcome_;
};

}  // namespace dp3
