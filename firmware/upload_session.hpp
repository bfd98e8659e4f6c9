// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "firmware/firmware_image.hpp"
#include "firmware/upload.hpp"
#include "link/keyer_backup.hpp"
#include "link/keyer_info.hpp"
#include "link/keyer_operations.hpp"
#include "link/link.hpp"
#include "settings/settings_image.hpp"
#include "settings/settings_model.hpp"

namespace dp3 {

// A firmware update from the file to the keyer: the load, Program's checks,
// the upload on a worker, the settings compared afterwards and, when asked,
// written back. The window and dp3 upload both drive it; the texts they show
// are made from its results above.

// What the last load left for Program.
struct LoadedImage {
  bool loaded = false;  // set by the first good load, kept after later failures
  int records = 0;      // result of the last load: data records, or a kLoad code
  ImageVersion version = {};
  LoadDetail detail = {};  // where and why the last load failed
};

// Loads a firmware file into image (blanked first).
LoadedImage loadImage(FirmwareImage& image, const std::string& path,
                      const LoadProgress& progress = {});

// How an image of kind K suits a keyer answering IC type V: an IC type no row
// names takes no image.
enum class ImageFit { Fits, UnknownIc, OtherIc };
ImageFit imageFit(std::uint8_t icType, std::uint8_t kind);

// An image older than the firmware the keyer runs. Versions compare as major,
// then the revision within the IC's band; an image kind past the last band
// carries no revision, so only the major counts for it.
struct OlderImage {
  std::string_view ic = {};  // the IC whose band the keyer's revision is counted in
  int keyerVersion = 0;
  int keyerRevision = 0;
  int imageMajor = 0;
  std::optional<int> imageRevision = {};
};
std::optional<OlderImage> olderImage(ImageVersion image, const KeyerInfo& keyer);

// How Program's checks ended.
enum class ProgramCheck {
  Ready,
  NoImage,       // no file loaded yet
  EmptyImage,    // the last load held no records
  NotConnected,  // the interface test failed (test says how)
  UnknownIc,     // the keyer named an IC type no row names
  OtherIc,       // the image is built for another IC
  Declined,      // the image is older and the operator kept the firmware
  BackupFailed,  // the settings could not be backed up (backup says why); nothing was sent
};

// What became of the keyer's settings after an upload.
struct SettingsAfterUpload {
  enum class Kind {
    NotChecked,        // no upload completed on a keyer that held settings
    Unchanged,         // read back: as backed up before the upload
    Changed,           // the new firmware changed them; the backup was not written back
    BackupRefused,     // they changed, and the backup holds a value Write refuses (refusal)
    RestoreRefused,    // the backup was asked back but Write refuses it: nothing was sent
    ReadFailed,        // they could not be read after the upload
    BackupUnreadable,  // the backup from before could not be read back
    Restored,          // the backup was written back and verified
    RestoreFailed,     // writing the backup back failed or did not verify (restore says how)
  };
  Kind kind = Kind::NotChecked;
  std::string backupFile = {};                // the settings before the upload
  std::vector<std::string> differences = {};  // Changed and after: what the new firmware changed
  std::optional<UserRefusal> refusal = {};    // BackupRefused, RestoreRefused: which value
};

struct UploadResult {
  ProgramCheck check = ProgramCheck::NoImage;
  InterfaceTest test = {};
  ImageVersion image = {};
  std::uint8_t icType = 0;                   // UnknownIc, OtherIc: what the keyer answered
  BackupResult backup = {};                  // made before the upload
  bool recovery = false;                     // the keyer ran only its bootloader
  std::optional<UploadOutcome> upload = {};  // how the upload ended, once it has
  SettingsAfterUpload settings = {};
  BackupResult settingsBackup = {};  // the copy kept of the settings read after the upload
  WriteResult restore = {};          // Restored, RestoreFailed: the write back
  KeyerState keyer = KeyerState::Untouched;
};

// Starts a session's worker; the work sets workerDone() as it ends.
using StartWorker = std::function<void(std::function<void()> work)>;

class UploadSession {
 public:
  // The worker is a thread of the session's own unless startWorker is given
  // (a page has no threads and runs it between its waits).
  UploadSession(Link& link, KeyerInfo& keyer, bool verbose, StartWorker startWorker = {});
  ~UploadSession();
  UploadSession(const UploadSession&) = delete;
  UploadSession& operator=(const UploadSession&) = delete;

  // A blank image and nothing loaded.
  void clear();
  const LoadedImage& load(const std::string& path, const LoadProgress& progress = {});
  const LoadedImage& loaded() const { return loaded_; }
  const FirmwareImage& image() const { return *image_; }

  // Program's checks: an image is loaded and not empty, the keyer answers
  // (the port is reopened for the test), and the image suits its IC; a keyer
  // that runs only its bootloader takes any image. An image older than the
  // keyer's firmware goes only when confirmOlder says so. A keyer running its
  // firmware has its settings backed up before anything changes.
  using ConfirmOlder = std::function<bool(const OlderImage&)>;
  const UploadResult& check(const ConfirmOlder& confirmOlder);

  // After Ready: the upload on a worker and, on a keyer that ran its
  // firmware, its settings read again once the new firmware runs. False when
  // the system would start no worker: nothing was sent.
  bool start();
  // The worker was started and not yet finished.
  bool running() const { return workerRunning_; }
  // The worker has ended; finish() or finishRestore() will not wait.
  bool workerDone() const { return workerDone_; }
  int progress() const { return shared_.uploadProgress; }
  std::vector<std::string> takeLogLines() { return shared_.takeLogLines(); }
  // The upload completed and the worker is reading the keyer's settings.
  bool readingSettings() const;

  // Joins the worker (one started through startWorker must be done): the
  // upload's outcome and what became of the settings (compared with the
  // backup from before).
  const UploadResult& finish();
  // After finish() found the settings Changed: writes the backup back and
  // verifies it on a worker; finishRestore() joins it. A backup that Write's
  // checks refuse (BackupRefused) is not sent: RestoreRefused. False when the
  // system would start no worker: nothing was sent.
  bool startRestore();
  const UploadResult& finishRestore();

  const UploadResult& result() const { return result_; }

 private:
  void readSettingsAfter();  // on the worker
  void compareSettingsAfter();
  bool startWorker(std::function<void()> work);
  void joinWorker();

  Link& link_;
  KeyerInfo& keyer_;
  bool verbose_;
  std::unique_ptr<FirmwareImage> image_;
  LoadedImage loaded_;
  UploadResult result_;
  UploadShared shared_;
  StartWorker startWorker_;
  std::thread worker_;
  std::atomic<bool> workerRunning_{false};
  std::atomic<bool> workerDone_{false};
  // The worker writes these; they are read after the join.
  bool checkSettings_ = false;
  KeyerInfo keyerAfter_;
  std::optional<SettingsImage> settingsRead_;
  SettingsImage backup_{};
};

}  // namespace dp3
