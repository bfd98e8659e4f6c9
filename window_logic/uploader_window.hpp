// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <optional>
#include <string>

#include "firmware/firmware_image.hpp"
#include "firmware/upload.hpp"
#include "firmware/upload_session.hpp"
#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "surface/control_surface.hpp"
#include "surface/file_filter.hpp"
#include "window_logic/result_texts.hpp"

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

// The uploader window's behaviour over its controls (dialog 1003), driving an
// UploadSession. The front end runs the file dialog, then onLoad; and calls
// onTimer every 100 ms while timerActive(). Exit and close must wait while
// uploadRunning(). An image older than the keyer's firmware is asked about
// (kOlderFirmwareCaption); when the new firmware changed the keyer's settings
// the window asks (kSettingsChangedCaption) whether to write the backup back.
class UploaderWindow {
 public:
  // startWorker: how the upload's worker starts (a thread of its own when empty).
  UploaderWindow(ControlSurface& ui, Link& link, KeyerInfo& keyer, bool verbose,
                 StartWorker startWorker = {});
  UploaderWindow(const UploaderWindow&) = delete;
  UploaderWindow& operator=(const UploaderWindow&) = delete;

  void onOpen();
  void onLoad(const std::string& path);
  void onProgram();
  void onTimer();

  bool timerActive() const { return timerActive_; }
  bool uploadRunning() const { return session_.running(); }

  const LoadedImage& loaded() const { return session_.loaded(); }
  const LoadDetail& loadDetail() const { return session_.loaded().detail; }
  const FirmwareImage& image() const { return session_.image(); }
  // How the last upload ended; nullopt before the first one ended.
  const std::optional<UploadOutcome>& lastOutcome() const { return lastOutcome_; }
  const SettingsAfterUpload& settingsAfter() const { return session_.result().settings; }

 private:
  void idleButtons();
  void timerStep();
  void showNotice(const Notice& notice);
  bool showSettingsAfter(const UploadResult& result);  // true when a restore started
  void endRestore(const UploadResult& result);

  ControlSurface& ui_;
  UploadSession session_;
  bool timerActive_ = false;
  bool inTimer_ = false;
  bool restoring_ = false;
  bool readingShown_ = false;
  std::optional<UploadOutcome> lastOutcome_;
};

}  // namespace dp3
