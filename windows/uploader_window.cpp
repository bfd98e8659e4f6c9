#include "windows/uploader_window.hpp"

#include "surface/control_ids.hpp"
#include "windows/keyer_backup.hpp"

namespace dp3 {

namespace {

// "an ORCA", "a ROOK", ...
std::string withArticle(const KeyerVariant& variant) {
  return std::string(variant.article) + " " + std::string(variant.name);
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
  worker_ = std::thread(runUploadJob, UploadJob{link_, *image_, recovery, verbose_, shared_});
  timerActive_ = true;
}

void UploaderWindow::onTimer() {
  if (!timerActive_) return;
  // Done is read first: once it is set, the progress and log read after it are final.
  const bool done = shared_.uploadDone;
  ui_.setProgress(id::kUploadProgress, shared_.uploadProgress);
  for (const std::string& line : shared_.takeLogLines())
    ui_.appendText(id::kUploadLog, line + "\n");
  if (!done) return;

  worker_.join();
  const UploadOutcome outcome = shared_.uploadOutcome;
  lastOutcome_ = outcome;
  // A new load is needed before programming again.
  idleButtons();
  ui_.setText(id::kUploadStatus, uploadOutcomeText(outcome));
  shared_.uploadDone = false;
  timerActive_ = false;
  if (leavesBootloaderOnly(outcome)) {
    // Until programmed again the keyer holds no settings to read or write.
    keyer_.bootloaderOnly = true;
    ui_.showMessage(kBootloaderOnlyHint, kUploadFailedCaption);
  }
}

}  // namespace dp3
