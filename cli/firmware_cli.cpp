#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "cli/cli.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/uploader_window.hpp"

namespace dp3::cli {

namespace {

// The uploader window on a console: the progress bar is drawn on a terminal
// (plain percentage lines otherwise) and log lines are printed as they come.
class UploadConsole : public ConsoleSurface {
 public:
  explicit UploadConsole(bool restoreSettings)
      : terminal_(outputTakesEscapes()), restoreSettings_(restoreSettings) {}

  // An older image is noted and installed; changed settings are written back
  // only with --restore-settings. The question's first line says what was found.
  bool askYesNo(std::string_view text, std::string_view caption) override {
    MapSurface::askYesNo(text, caption);
    const std::string_view finding = text.substr(0, text.find('\n'));
    if (caption == kOlderFirmwareCaption) {
      std::cout << "Note: " << finding << '\n';
      return true;
    }
    if (caption == kSettingsChangedCaption) {
      endProgressLine();
      std::cout << finding << '\n';
      return restoreSettings_;
    }
    return false;
  }

  void setProgress(int id, int percent) override {
    ConsoleSurface::setProgress(id, percent);
    if (!uploading || id != id::kUploadProgress || percent == shown_) return;
    shown_ = percent;
    drawProgress();
  }

  void appendText(int id, std::string_view text) override {
    ConsoleSurface::appendText(id, text);
    if (id != id::kUploadLog) return;
    if (terminal_ && shown_ >= 0) std::cout << "\r\033[K";
    std::cout << text;
    if (terminal_ && shown_ >= 0) drawProgress();
    std::cout.flush();
  }

  // Ends the bar's line before the result is printed.
  void finishProgress() {
    endProgressLine();
    uploading = false;
  }

  bool uploading = false;

 private:
  void drawProgress() {
    if (!terminal_) {
      std::cout << shown_ << "%\n";
      return;
    }
    constexpr int kWidth = 40;
    const int filled = shown_ * kWidth / 100;
    std::cout << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << shown_
              << '%' << std::flush;
  }

  void endProgressLine() {
    if (terminal_ && shown_ >= 0 && uploading) std::cout << '\n';
    uploading = false;
  }

  bool terminal_;
  bool restoreSettings_;
  int shown_ = -1;
};

// A file name as a shell takes it.
std::string shellQuoted(const std::string& word) {
  if (!word.empty() &&
      word.find_first_not_of(
          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._-+:,") ==
          std::string::npos) {
    return word;
  }
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// What became of the keyer's settings, and the command that restores them
// where they were not restored; the exit code's share of it.
int reportSettingsAfter(const SettingsAfterUpload& after, const Context& context) {
  using Kind = SettingsAfterUpload::Kind;
  if (after.kind == Kind::NotChecked || after.kind == Kind::Unchanged) return kExitDone;
  if (after.kind == Kind::Restored) {
    std::cout << "Settings restored from " << after.backupFile << '\n';
    return kExitDone;
  }
  std::string command = "dp3 ";
  if (!context.portOption.empty()) command += "--port " + shellQuoted(context.portOption) + " ";
  command += "write " + shellQuoted(after.backupFile);
  std::cout << "To restore the settings from before the update: " << command << '\n';
  return after.kind == Kind::Changed ? kExitDone : kExitKeyer;
}

// Prints the load's status text and, for "File Error", where the file went
// wrong; true when it loaded.
bool reportLoad(const std::string& status, int records, const LoadDetail& detail,
                const std::string& file) {
  std::cout << status << '\n';
  if (records > 0) return true;
  const std::string where = describeLoadDetail(detail);
  std::cout << file << ": " << (where.empty() ? "no data records for the program memory" : where)
            << '\n';
  return false;
}

int runFirmware(const std::string& file) {
  auto image = std::make_unique<FirmwareImage>();
  LoadDetail detail;
  const int records = loadFirmwareFile(*image, file, &detail);
  const std::string status =
      records > 0 ? imageStatusText(imageVersion(*image), records) : "File Error";
  return reportLoad(status, records, detail, file) ? kExitDone : kExitFile;
}

int runUploadJob(Context& context, const std::string& file, bool verbose, bool restoreSettings) {
  UploadConsole ui(restoreSettings);
  auto link = context.openLink();
  KeyerInfo keyer;
  UploaderWindow window(ui, *link, keyer, verbose);
  window.onOpen();
  window.onLoad(file);
  if (!reportLoad(ui.text(id::kUploadStatus), window.loaded().records, window.loadDetail(), file)) {
    return kExitFile;
  }

  const std::size_t messages = ui.messages.size();
  window.onProgram();
  if (!window.timerActive()) {
    if (ui.messages.size() == messages) {
      std::cout << ui.text(id::kUploadStatus) << '\n';
    } else {
      // "DP not connected" went to standard error; say what the test found.
      std::cerr << ui.text(id::kInterfaceStatus) << '\n';
      printOpenHint(*link, context.portPath());
    }
    return kExitKeyer;
  }
  std::cout << ui.text(id::kUploadStatus) << std::endl;
  ui.uploading = true;
  while (window.timerActive()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kUploadTimerMs));
    window.onTimer();
  }
  ui.finishProgress();
  std::cout << ui.text(id::kUploadStatus) << '\n';
  link->commClose();
  // After a failure the hint on recovery went to standard error as a message box.
  if (!window.lastOutcome() || !window.lastOutcome()->completed()) return kExitKeyer;
  return reportSettingsAfter(window.settingsAfter(), context);
}

}  // namespace

void addFirmwareCommands(CLI::App& app, Context& context) {
  auto file = std::make_shared<std::string>();
  auto* firmware = app.add_subcommand(
      "firmware", "Load a firmware file (HEX records) and show its IC kind, version and records");
  firmware->add_option("FILE", *file, "Firmware file")->required();
  firmware->callback([&context, file] { context.exitCode = runFirmware(*file); });

  auto uploadFile = std::make_shared<std::string>();
  auto verbose = std::make_shared<bool>(false);
  auto restore = std::make_shared<bool>(false);
  auto* upload = app.add_subcommand(
      "upload",
      "Program a firmware file into the keyer through its bootloader, after checking that it "
      "suits the keyer's IC");
  upload->add_option("FILE", *uploadFile, "Firmware file")->required();
  upload->add_flag("--verbose", *verbose, "Print one line per frame: address, words, reply");
  upload->add_flag("--restore-settings", *restore,
                   "When the new firmware changed the keyer's settings, write back (and verify) "
                   "the backup taken before the upload");
  upload->callback([&context, uploadFile, verbose, restore] {
    context.exitCode = runUploadJob(context, *uploadFile, *verbose, *restore);
  });
}

}  // namespace dp3::cli
