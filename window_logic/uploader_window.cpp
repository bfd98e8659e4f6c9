// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/uploader_window.hpp"

#include <utility>

#include "surface/control_ids.hpp"

namespace dp3 {

UploaderWindow::UploaderWindow(ControlSurface& ui, Link& link, KeyerInfo& keyer, bool verbose,
                               StartWorker startWorker)
    : ui_(ui), session_(link, keyer, verbose, std::move(startWorker)) {}

void UploaderWindow::idleButtons() {
  ui_.setEnabled(id::kLoadBin, true);
  ui_.setEnabled(id::kProgram, false);
  ui_.setEnabled(id::kUploaderExit, true);
}

void UploaderWindow::showNotice(const Notice& notice) {
  if (notice.text.empty()) return;
  if (notice.caption.empty()) {
    ui_.setText(id::kUploadStatus, notice.text);
  } else {
    ui_.showMessage(notice.text, notice.caption);
  }
}

void UploaderWindow::onOpen() {
  if (uploadRunning()) return;
  session_.clear();
  ui_.setText(id::kUploadLog, "");
  idleButtons();
  ui_.focusControl(id::kLoadBin);
}

void UploaderWindow::onLoad(const std::string& path) {
  // The worker reads the image until it is done.
  if (uploadRunning()) return;
  ui_.setText(id::kUploadStatus, "Opening File");
  ui_.setText(id::kUploadFileError, "");
  ui_.setVisible(id::kUploadFileError, false);
  ui_.setText(id::kUploadPath, path);
  const LoadedImage& loaded =
      session_.load(path, [this](int percent) { ui_.setProgress(id::kUploadProgress, percent); });
  ui_.setText(id::kUploadStatus, loadStatusText(loaded));
  // The bar shows the upload's progress: none yet, whatever the load did.
  ui_.setProgress(id::kUploadProgress, 0);
  if (loaded.records <= 0) {
    ui_.setText(id::kUploadFileError, loadFailureText(loaded.detail));
    ui_.setVisible(id::kUploadFileError, true);
    return;
  }
  ui_.setEnabled(id::kProgram, true);
  ui_.focusControl(id::kProgram);
}

void UploaderWindow::onProgram() {
  if (uploadRunning()) return;
  ui_.setProgress(id::kUploadProgress, 0);
  const UploadResult& checked = session_.check([this](const OlderImage& older) {
    return ui_.askYesNo(olderImageQuestion(older), kOlderFirmwareCaption);
  });
  if (checked.check != ProgramCheck::Ready) {
    showNotice(programRefusal(checked));
    return;
  }
  if (!session_.start()) {
    ui_.showMessage(std::string(kNoWorkerThread) + "\n" + kUploadNotStarted, "Error");
    return;
  }
  ui_.setEnabled(id::kLoadBin, false);
  ui_.setEnabled(id::kProgram, false);
  ui_.setEnabled(id::kUploaderExit, false);
  ui_.setText(id::kUploadStatus, programmingText(checked));
  readingShown_ = false;
  timerActive_ = true;
}

bool UploaderWindow::showSettingsAfter(const UploadResult& result) {
  if (result.settingsBackup.failed()) {
    ui_.showMessage(backupFailureText(result.settingsBackup), kBackupCaption);
  }
  if (result.settings.kind == SettingsAfterUpload::Kind::Changed &&
      ui_.askYesNo(settingsChangedQuestion(result), kSettingsChangedCaption)) {
    if (session_.startRestore()) {
      ui_.setText(id::kUploadStatus, kStatusRestoring);
      restoring_ = true;
      return true;
    }
    ui_.showMessage(kNoWorkerThread, "Error");
  }
  ui_.setText(id::kUploadStatus, uploadStatusText(result));
  showNotice(settingsAfterNotice(result));
  return false;
}

void UploaderWindow::endRestore(const UploadResult& result) {
  restoring_ = false;
  timerActive_ = false;
  idleButtons();
  ui_.focusControl(id::kUploaderExit);
  if (result.restore.readBack.failed()) {
    ui_.showMessage(backupFailureText(result.restore.readBack), kBackupCaption);
  }
  ui_.setText(id::kUploadStatus, uploadStatusText(result));
  showNotice(settingsAfterNotice(result));
}

void UploaderWindow::onTimer() {
  // A question asked from here runs its own event loop, which runs the timer too.
  if (!timerActive_ || inTimer_) return;
  inTimer_ = true;
  timerStep();
  inTimer_ = false;
}

void UploaderWindow::timerStep() {
  // Done is read first: once it is set, the progress and log read after it are final.
  const bool done = session_.workerDone();
  if (restoring_) {
    if (done) endRestore(session_.finishRestore());
    return;
  }
  ui_.setProgress(id::kUploadProgress, session_.progress());
  for (const std::string& line : session_.takeLogLines()) {
    ui_.appendText(id::kUploadLog, line + "\n");
  }
  if (!done) {
    if (session_.readingSettings() && !readingShown_) {
      readingShown_ = true;
      ui_.setText(id::kUploadStatus, kStatusReadingSettings);
    }
    return;
  }

  const UploadResult& result = session_.finish();
  lastOutcome_ = result.upload;
  // The worker counts to 99 while frames remain; a completed upload is whole.
  if (result.upload->completed()) ui_.setProgress(id::kUploadProgress, 100);
  ui_.setText(id::kUploadStatus, uploadOutcomeText(*result.upload));
  if (result.upload->completed() && showSettingsAfter(result)) return;  // restoring
  // A new load is needed before programming again; the focus leaves the
  // greyed Program button for Exit, the usual next step.
  idleButtons();
  ui_.focusControl(id::kUploaderExit);
  timerActive_ = false;
  if (result.keyer == KeyerState::BootloaderOnly) {
    ui_.showMessage(kBootloaderOnlyHint, kUploadFailedCaption);
  }
}

}  // namespace dp3
