#include "window_logic/uploader_window.hpp"

#include <cstdio>

#include "settings/settings_verify.hpp"
#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"
#include "window_logic/keyer_backup.hpp"
#include "window_logic/settings_file_view.hpp"

namespace dp3 {

namespace {

// "an ORCA", "a ROOK", ...
std::string withArticle(const KeyerVariant& variant) {
  return std::string(variant.article) + " " + std::string(variant.name);
}

constexpr const char* kStatusReadingSettings = "Reading the keyer's settings....";
constexpr const char* kStatusRestoring = "Writing the settings back....";
constexpr const char* kStatusRestored = "Upload Completed Successfully, Settings Restored";
constexpr const char* kStatusNotRestored = "Upload Completed Successfully, Settings Not Restored";
constexpr std::size_t kDifferencesNamed = 6;

// "User 1 Weight, Msg 3 and 4 more".
std::string listDifferences(const std::vector<std::string>& differences) {
  std::string list;
  for (std::size_t i = 0; i < differences.size() && i < kDifferencesNamed; ++i) {
    list += (i ? ", " : "") + differences[i];
  }
  if (differences.size() > kDifferencesNamed) {
    list += " and " + std::to_string(differences.size() - kDifferencesNamed) + " more";
  }
  return list;
}

// Where the settings from before the update are, and how to put them back.
std::string keptInText(const std::string& file) {
  return "The settings from before the update are kept in\n" + file +
         "\nLoad that file and Write DP, or run dp3 write with it, to put them back.";
}

}  // namespace

std::string compatibilityError(std::uint8_t variant, std::uint8_t kind) {
  const KeyerVariant* keyer = findVariant(variant);
  if (!keyer) return "Error: Unknown Keyer IC Version !";
  const KeyerVariant& suits = variantForKind(kind);
  if (suits.code == keyer->code) return {};
  return "Error: Attempting to program " + withArticle(*keyer) + " DP with " + withArticle(suits) +
         " image !";
}

std::string olderImageNote(ImageVersion image, const KeyerInfo& keyer) {
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
  if (!older) return {};
  char text[128];
  if (imageHasRevision) {
    std::snprintf(text, sizeof text,
                  "The keyer runs %s firmware %d.%02d; this image holds %d.%02d, an older version.",
                  std::string(keyerBand.name).c_str(), keyer.firmwareVersion, keyerRevision,
                  image.major, imageRevision);
  } else {
    std::snprintf(text, sizeof text,
                  "The keyer runs %s firmware %d.%02d; this image holds version %d, an older one.",
                  std::string(keyerBand.name).c_str(), keyer.firmwareVersion, keyerRevision,
                  image.major);
  }
  return text;
}

bool checkProgram(ControlSurface& ui, Link& link, KeyerInfo& keyer, const LoadedImage& loaded) {
  if (!loaded.loaded) {
    ui.setText(id::kUploadStatus, "Error: Please Open a Programming File !");
    return false;
  }
  if (loaded.records <= 0) {
    ui.setText(id::kUploadStatus, "Error: Zero Length File !");
    return false;
  }
  if (link.portOpenFlag()) link.commClose();
  const InterfaceTest test = testInterface(ui, link, keyer);
  if (test.failed()) {
    ui.showMessage("DP not connected", "Error");
    return false;
  }
  if (test.bootloaderOnly()) return true;  // recovery: whatever the keyer held is gone
  if (const std::string refusal = compatibilityError(keyer.icVariant, loaded.version.kind);
      !refusal.empty()) {
    ui.setText(id::kUploadStatus, refusal);
    return false;
  }
  if (const std::string note = olderImageNote(loaded.version, keyer);
      !note.empty() &&
      !ui.askYesNo(note + "\nInstall it anyway? The keyer's settings are backed up first.",
                   kOlderFirmwareCaption)) {
    ui.setText(id::kUploadStatus, kProgramCancelled);
    return false;
  }
  // A keyer running its firmware holds settings the update may not keep.
  if (!backUpBeforeChange(ui, link, keyer)) return false;
  return true;
}

UploaderWindow::UploaderWindow(ControlSurface& ui, Link& link, KeyerInfo& keyer, bool verbose)
    : ui_(ui), link_(link), keyer_(keyer), verbose_(verbose) {}

UploaderWindow::~UploaderWindow() {
  // The front end holds the window open while an upload runs; should it be
  // torn down anyway, the worker must not outlive the image and the link.
  if (worker_.joinable()) worker_.join();
}

void UploaderWindow::idleButtons() {
  ui_.setEnabled(id::kLoadBin, true);
  ui_.setEnabled(id::kProgram, false);
  ui_.setEnabled(id::kUploaderExit, true);
}

void UploaderWindow::onOpen() {
  if (uploadRunning()) return;
  if (!image_) image_ = std::make_unique<FirmwareImage>();
  blankFirmwareImage(*image_);
  ui_.setText(id::kUploadLog, "");
  loaded_ = {};
  shared_.reset();
  idleButtons();
}

void UploaderWindow::onLoad(const std::string& path) {
  // The worker reads the image until it is done.
  if (uploadRunning()) return;
  if (!image_) image_ = std::make_unique<FirmwareImage>();
  ui_.setText(id::kUploadStatus, "Opening File");
  ui_.setText(id::kUploadFileError, "");
  ui_.setVisible(id::kUploadFileError, false);
  ui_.setText(id::kUploadPath, path);
  loaded_.records = loadFirmwareFile(*image_, path, &loadDetail_, [this](int percent) {
    ui_.setProgress(id::kUploadProgress, percent);
  });
  if (loaded_.records <= 0) {
    ui_.setText(id::kUploadStatus, "File Error");
    const std::string where = describeLoadDetail(loadDetail_);
    ui_.setText(id::kUploadFileError, where.empty() ? kNoProgramRecords : where);
    ui_.setVisible(id::kUploadFileError, true);
    return;
  }
  loaded_.version = imageVersion(*image_);
  loaded_.loaded = true;
  ui_.setText(id::kUploadStatus, imageStatusText(loaded_.version, loaded_.records));
  ui_.setEnabled(id::kProgram, true);
}

void UploaderWindow::onProgram() {
  if (uploadRunning()) return;
  ui_.setProgress(id::kUploadProgress, 0);
  if (!checkProgram(ui_, link_, keyer_, loaded_)) return;

  ui_.setEnabled(id::kLoadBin, false);
  ui_.setEnabled(id::kProgram, false);
  ui_.setEnabled(id::kUploaderExit, false);
  shared_.reset();
  const bool recovery = keyer_.bootloaderOnly;
  ui_.setText(id::kUploadStatus,
              recovery ? "Programming DPUSB in Recovery mode...." : "Programming DPUSB....");
  // A keyer that ran its firmware had its settings backed up: the new
  // firmware's are compared with them once it runs.
  checkSettings_ = !recovery && !keyer_.backupFile.empty();
  settingsAfter_ = {};
  settingsAfter_.backupFile = keyer_.backupFile;
  keyerAfter_ = keyer_;
  settingsRead_.reset();
  readingShown_ = false;
  workerDone_ = false;
  const UploadJob job{link_, *image_, recovery, verbose_, shared_};
  worker_ = std::thread([this, job] {
    runUploadJob(job);
    if (checkSettings_ && shared_.uploadOutcome.completed()) readSettingsAfter();
    workerDone_ = true;
  });
  timerActive_ = true;
}

void UploaderWindow::readSettingsAfter() {
  // The new firmware answers as any keyer does; its texts are not shown.
  MapSurface scratch;
  SettingsImage image{};
  if (testInterface(scratch, link_, keyerAfter_).holdsSettings() && readBlocks(link_, image)) {
    settingsRead_ = image;
  }
}

bool UploaderWindow::compareSettingsAfter() {
  keyer_ = keyerAfter_;
  const std::string& file = settingsAfter_.backupFile;
  MapSurface scratch;
  if (!settingsRead_ || !loadSettingsFile(scratch, backup_, file)) {
    settingsAfter_.kind = SettingsAfterUpload::Kind::ReadFailed;
    ui_.setText(id::kUploadStatus, kStatusNotRestored);
    ui_.showMessage(std::string(settingsRead_ ? "The backup could not be read back."
                                              : "The keyer's settings could not be read after "
                                                "the update.") +
                        "\n" + keptInText(file),
                    kSettingsChangedCaption);
    return false;
  }
  keepKeyerBackup(ui_, keyer_, *settingsRead_);
  settingsAfter_.differences = differingFields(backup_, *settingsRead_);
  if (settingsAfter_.differences.empty()) {
    settingsAfter_.kind = SettingsAfterUpload::Kind::Unchanged;
    return false;
  }
  if (!ui_.askYesNo("The new firmware changed the keyer's settings: " +
                        listDifferences(settingsAfter_.differences) +
                        ".\nWrite back the settings backed up before the update?\n" + file,
                    kSettingsChangedCaption)) {
    settingsAfter_.kind = SettingsAfterUpload::Kind::Changed;
    ui_.setText(id::kUploadStatus, kStatusNotRestored);
    return false;
  }
  ui_.setText(id::kUploadStatus, kStatusRestoring);
  keyer_.settingsBackedUp = false;  // the keyer is about to hold something else
  restoring_ = true;
  workerDone_ = false;
  worker_ = std::thread([this] {
    SettingsImage got{};
    restoreResult_ = sendSettings(link_, backup_, true, &got);
    if (restoreResult_.readBack) settingsRead_ = got;
    workerDone_ = true;
  });
  return true;
}

void UploaderWindow::endRestore() {
  restoring_ = false;
  timerActive_ = false;
  idleButtons();
  if (restoreResult_.readBack) keepKeyerBackup(ui_, keyer_, *settingsRead_);
  if (restoreResult_.outcome == CommandOutcome::Done) {
    settingsAfter_.kind = SettingsAfterUpload::Kind::Restored;
    ui_.setText(id::kUploadStatus, kStatusRestored);
    return;
  }
  settingsAfter_.kind = SettingsAfterUpload::Kind::RestoreFailed;
  ui_.setText(id::kUploadStatus, kStatusNotRestored);
  const std::string why = restoreResult_.outcome == CommandOutcome::VerifyFailed
                              ? "The settings written back did not verify: " +
                                    listDifferences(restoreResult_.differences) + "."
                              : std::string("The keyer did not take the settings written back.");
  ui_.showMessage(why + "\n" + keptInText(settingsAfter_.backupFile), "Error");
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
  const bool done = workerDone_;
  if (restoring_) {
    if (!done) return;
    worker_.join();
    endRestore();
    return;
  }
  ui_.setProgress(id::kUploadProgress, shared_.uploadProgress);
  for (const std::string& line : shared_.takeLogLines())
    ui_.appendText(id::kUploadLog, line + "\n");
  if (!done) {
    if (checkSettings_ && shared_.uploadDone && shared_.uploadOutcome.completed() &&
        !readingShown_) {
      readingShown_ = true;
      ui_.setText(id::kUploadStatus, kStatusReadingSettings);
    }
    return;
  }

  worker_.join();
  const UploadOutcome outcome = shared_.uploadOutcome;
  lastOutcome_ = outcome;
  ui_.setText(id::kUploadStatus, uploadOutcomeText(outcome));
  shared_.uploadDone = false;
  if (outcome.completed() && checkSettings_ && compareSettingsAfter()) return;  // restoring
  // A new load is needed before programming again.
  idleButtons();
  timerActive_ = false;
  if (leavesBootloaderOnly(outcome)) {
    // Until programmed again the keyer holds no settings to read or write.
    keyer_.bootloaderOnly = true;
    ui_.showMessage(kBootloaderOnlyHint, kUploadFailedCaption);
  }
}

}  // namespace dp3
