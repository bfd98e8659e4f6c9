// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "firmware/upload_session.hpp"

#include <system_error>
#include <utility>

#include "settings/settings_file.hpp"
#include "settings/settings_verify.hpp"

namespace dp3 {

namespace {

// The settings file a backup was kept in.
bool readBackupFile(const std::string& file, SettingsImage& image) {
  return readSettingsFile(file, image).ok();
}

}  // namespace

LoadedImage loadImage(FirmwareImage& image, const std::string& path, const LoadProgress& progress) {
  LoadedImage loaded;
  loaded.records = loadFirmwareFile(image, path, &loaded.detail, progress);
  loaded.loaded = loaded.records > 0;
  if (loaded.loaded) loaded.version = imageVersion(image);
  return loaded;
}

ImageFit imageFit(std::uint8_t icType, std::uint8_t kind) {
  const KeyerVariant* keyer = findVariant(icType);
  if (!keyer) return ImageFit::UnknownIc;
  return variantForKind(kind).code == keyer->code ? ImageFit::Fits : ImageFit::OtherIc;
}

std::optional<OlderImage> olderImage(ImageVersion image, const KeyerInfo& keyer) {
  const KeyerVariant& imageBand = variantForKind(image.kind);
  const bool imageHasRevision = image.kind < imageBand.bandStart + kVariantBandWidth;
  const KeyerVariant* keyerVariant = findVariant(keyer.icVariant);
  const KeyerVariant& keyerBand =
      keyerVariant ? *keyerVariant : variantForKind(keyer.firmwareRevision);
  const int imageRevision = image.kind - imageBand.bandStart;
  const int keyerRevision = keyer.firmwareRevision - keyerBand.bandStart;
  const bool older =
      image.major < keyer.firmwareVersion ||
      (image.major == keyer.firmwareVersion && imageHasRevision && imageRevision < keyerRevision);
  if (!older) return std::nullopt;
  return OlderImage{keyerBand.name, keyer.firmwareVersion, keyerRevision, image.major,
                    imageHasRevision ? std::optional<int>(imageRevision) : std::nullopt};
}

UploadSession::UploadSession(Link& link, KeyerInfo& keyer, bool verbose, StartWorker startWorker)
    : link_(link),
      keyer_(keyer),
      verbose_(verbose),
      image_(std::make_unique<FirmwareImage>()),
      startWorker_(std::move(startWorker)) {
  blankFirmwareImage(*image_);
}

UploadSession::~UploadSession() {
  // The worker must not outlive the image and the link.
  if (worker_.joinable()) worker_.join();
}

void UploadSession::clear() {
  blankFirmwareImage(*image_);
  loaded_ = {};
  shared_.reset();
}

const LoadedImage& UploadSession::load(const std::string& path, const LoadProgress& progress) {
  const LoadedImage fresh = loadImage(*image_, path, progress);
  loaded_.records = fresh.records;
  loaded_.detail = fresh.detail;
  if (fresh.loaded) {
    loaded_.loaded = true;
    loaded_.version = fresh.version;
  }
  return loaded_;
}

const UploadResult& UploadSession::check(const ConfirmOlder& confirmOlder) {
  result_ = {};
  result_.image = loaded_.version;
  auto stop = [this](ProgramCheck why) -> const UploadResult& {
    result_.check = why;
    return result_;
  };
  if (!loaded_.loaded) return stop(ProgramCheck::NoImage);
  if (loaded_.records <= 0) return stop(ProgramCheck::EmptyImage);
  if (link_.portOpenFlag()) link_.commClose();
  result_.test = testInterface(link_, keyer_);
  if (result_.test.failed()) return stop(ProgramCheck::NotConnected);
  // Recovery: whatever the keyer held is gone, and any image goes.
  result_.recovery = result_.test.bootloaderOnly();
  if (result_.recovery) return stop(ProgramCheck::Ready);
  result_.icType = keyer_.icVariant;
  switch (imageFit(keyer_.icVariant, loaded_.version.kind)) {
    case ImageFit::UnknownIc:
      return stop(ProgramCheck::UnknownIc);
    case ImageFit::OtherIc:
      return stop(ProgramCheck::OtherIc);
    case ImageFit::Fits:
      break;
  }
  if (const auto older = olderImage(loaded_.version, keyer_);
      older && !(confirmOlder && confirmOlder(*older))) {
    return stop(ProgramCheck::Declined);
  }
  // A keyer whose firmware holds settings may not keep them through the
  // update; one that cannot hold them (version 30) has none to keep.
  if (!result_.test.holdsSettings()) return stop(ProgramCheck::Ready);
  result_.backup = backUpBeforeChange(link_, keyer_);
  return stop(result_.backup.failed() ? ProgramCheck::BackupFailed : ProgramCheck::Ready);
}

bool UploadSession::start() {
  if (running() || result_.check != ProgramCheck::Ready) return false;
  shared_.reset();
  // A keyer that ran its firmware had its settings backed up: the new
  // firmware's are compared with them once it runs.
  checkSettings_ = !result_.recovery && result_.test.holdsSettings() && !keyer_.backupFile.empty();
  result_.settings = {.backupFile = keyer_.backupFile};
  keyerAfter_ = keyer_;
  settingsRead_.reset();
  const UploadJob job{link_, *image_, result_.recovery, verbose_, shared_};
  return startWorker([this, job] {
    runUploadJob(job);
    if (checkSettings_ && shared_.uploadOutcome.completed()) readSettingsAfter();
  });
}

bool UploadSession::startWorker(std::function<void()> work) {
  workerDone_ = false;
  auto body = [this, work = std::move(work)] {
    work();
    workerDone_ = true;
  };
  if (startWorker_) {
    workerRunning_ = true;
    startWorker_(std::move(body));
    return true;
  }
  try {
    worker_ = std::thread(std::move(body));
  } catch (const std::system_error&) {
    workerDone_ = true;  // nothing runs, nothing was sent
    return false;
  }
  workerRunning_ = true;
  return true;
}

void UploadSession::joinWorker() {
  if (worker_.joinable()) worker_.join();
  workerRunning_ = false;
}

bool UploadSession::readingSettings() const {
  return checkSettings_ && shared_.uploadDone && shared_.uploadOutcome.completed();
}

void UploadSession::readSettingsAfter() {
  // The new firmware answers as any keyer does.
  SettingsImage image{};
  if (testInterface(link_, keyerAfter_).holdsSettings() && readBlocks(link_, image)) {
    settingsRead_ = image;
  }
}

const UploadResult& UploadSession::finish() {
  if (!running()) return result_;
  joinWorker();
  result_.upload = shared_.uploadOutcome;
  shared_.uploadDone = false;
  if (!result_.upload->completed()) {
    if (leavesBootloaderOnly(*result_.upload)) {
      // Until programmed again the keyer holds no settings to read or write.
      keyer_.bootloaderOnly = true;
      result_.keyer = KeyerState::BootloaderOnly;
    }
    return result_;
  }
  result_.keyer = KeyerState::HoldsWritten;
  if (checkSettings_) compareSettingsAfter();
  return result_;
}

void UploadSession::compareSettingsAfter() {
  using Kind = SettingsAfterUpload::Kind;
  keyer_ = keyerAfter_;
  SettingsAfterUpload& after = result_.settings;
  if (!settingsRead_) {
    after.kind = Kind::ReadFailed;
    return;
  }
  if (!readBackupFile(after.backupFile, backup_)) {
    after.kind = Kind::BackupUnreadable;
    return;
  }
  result_.settingsBackup = keepBackup(keyer_, *settingsRead_);
  after.differences = differingFields(backup_, *settingsRead_);
  after.kind = after.differences.empty() ? Kind::Unchanged : Kind::Changed;
  // Written back, the backup goes through the same checks as any Write.
  if (after.kind == Kind::Changed) {
    after.refusal = imageRefusal(backup_);
    if (after.refusal) after.kind = Kind::BackupRefused;
  }
}

bool UploadSession::startRestore() {
  if (running()) return false;
  if (result_.settings.kind == SettingsAfterUpload::Kind::BackupRefused) {
    result_.settings.kind = SettingsAfterUpload::Kind::RestoreRefused;
    return true;
  }
  if (result_.settings.kind != SettingsAfterUpload::Kind::Changed) return false;
  return startWorker([this] { result_.restore = sendSettings(link_, keyer_, backup_, true); });
}

const UploadResult& UploadSession::finishRestore() {
  if (!running()) return result_;
  joinWorker();
  result_.settings.kind = result_.restore.outcome == WriteOutcome::Done
                              ? SettingsAfterUpload::Kind::Restored
                              : SettingsAfterUpload::Kind::RestoreFailed;
  return result_;
}

}  // namespace dp3
