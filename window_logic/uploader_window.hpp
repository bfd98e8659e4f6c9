#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "firmware/firmware_image.hpp"
#include "firmware/upload.hpp"
#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "settings/settings_image.hpp"
#include "surface/control_surface.hpp"
#include "surface/file_filter.hpp"
#include "window_logic/keyer_commands.hpp"

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
// The two questions around an upload; a console answers each by its caption.
inline constexpr const char* kOlderFirmwareCaption = "Older Firmware";
inline constexpr const char* kSettingsChangedCaption = "Settings Changed";
inline constexpr const char* kProgramCancelled = "Programming cancelled";

// What the last load left for the Program command.
struct LoadedImage {
  bool loaded = false;  // set by the first good load, kept after later failures
  int records = 0;      // result of the last load
  ImageVersion version;
};

// The refusal for a keyer answering IC type V and an image of kind K, or ""
// when the image suits it. An IC type no row names is refused.
std::string compatibilityError(std::uint8_t variant, std::uint8_t kind);

// When the image is older than the firmware the keyer runs: "The keyer runs
// LARK firmware 31.12; this image holds 31.04, an older version."; "" when it
// is not older. Versions compare as major, then the revision within the IC's
// band; an image kind past the last band carries no revision, so only the
// major counts for it.
std::string olderImageNote(ImageVersion image, const KeyerInfo& keyer);

// The Program command's checks: an image is loaded and not empty, the keyer
// answers (the port is reopened for the test), and the image suits its IC; a
// keyer that runs only its bootloader takes any image. On refusal its text is
// in the status line (4036) or a message box was shown, and false is
// returned. An image older than the keyer's firmware is asked about
// (kOlderFirmwareCaption); No leaves the keyer untouched. A keyer running its
// firmware has its settings backed up (keyer.backupFile) before anything
// changes. keyer.bootloaderOnly afterwards means recovery.
bool checkProgram(ControlSurface& ui, Link& link, KeyerInfo& keyer, const LoadedImage& loaded);

// What became of the keyer's settings after an upload.
struct SettingsAfterUpload {
  enum class Kind {
    NotChecked,     // no upload completed on a keyer that held settings
    Unchanged,      // read back: as backed up before the upload
    Changed,        // the new firmware changed them; the backup was not written back
    ReadFailed,     // they could not be read after the upload
    Restored,       // the backup was written back and verified
    RestoreFailed,  // writing the backup back failed or did not verify
  };
  Kind kind = Kind::NotChecked;
  std::string backupFile;                // the settings before the upload
  std::vector<std::string> differences;  // Changed and after: what the new firmware changed
};

// The uploader window's behaviour over its controls (dialog 1003). The front
// end runs the file dialog, then onLoad; and calls onTimer every 100 ms while
// timerActive(). Exit and close must wait while uploadRunning(). After an
// upload that completed on a keyer running its firmware, the worker reads the
// settings again; if the new firmware changed them the window asks
// (kSettingsChangedCaption) whether to write the backup back, and Yes writes
// and verifies it on a worker.
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
  const SettingsAfterUpload& settingsAfter() const { return settingsAfter_; }

 private:
  void idleButtons();
  void timerStep();
  void readSettingsAfter();     // on the worker
  bool compareSettingsAfter();  // on the window thread; true when a restore started
  void endRestore();

  ControlSurface& ui_;
  Link& link_;
  KeyerInfo& keyer_;
  bool verbose_;
  std::unique_ptr<FirmwareImage> image_;
  LoadedImage loaded_;
  LoadDetail loadDetail_;
  UploadShared shared_;
  std::thread worker_;
  std::atomic<bool> workerDone_{false};
  bool timerActive_ = false;
  bool inTimer_ = false;
  bool restoring_ = false;
  bool readingShown_ = false;
  std::optional<UploadOutcome> lastOutcome_;
  // The settings check after an upload; the worker writes, the window reads after the join.
  bool checkSettings_ = false;
  KeyerInfo keyerAfter_;
  std::optional<SettingsImage> settingsRead_;
  SettingsImage backup_{};
  WriteResult restoreResult_;
  SettingsAfterUpload settingsAfter_;
};

}  // namespace dp3
