// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "cli/cli.hpp"
#include "firmware/upload_session.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3::cli {

namespace {

// How often the progress is looked at, as the window's timer does.
constexpr std::chrono::milliseconds kProgressInterval{100};

// The upload's progress: a bar redrawn in place on a terminal, a line per
// percentage otherwise, with the log lines of --verbose between.
class ProgressOutput {
 public:
  ProgressOutput() : terminal_(outputTakesEscapes()) {}

  void show(int percent) {
    if (percent == shown_) return;
    shown_ = percent;
    draw();
  }

  void log(const std::string& line) {
    if (terminal_ && shown_ >= 0) std::cout << "\r\033[K";
    std::cout << line << '\n';
    if (terminal_ && shown_ >= 0) draw();
    std::cout.flush();
  }

  // Ends the bar's line before anything else is printed.
  void end() {
    if (terminal_ && shown_ >= 0 && !ended_) std::cout << '\n';
    ended_ = true;
  }

 private:
  void draw() {
    if (!terminal_) {
      std::cout << shown_ << "%" << std::endl;  // a pipe's reader sees it as it comes
      return;
    }
    constexpr int kWidth = 40;
    const int filled = shown_ * kWidth / 100;
    std::cout << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << shown_
              << '%' << std::flush;
  }

  bool terminal_;
  int shown_ = -1;
  bool ended_ = false;
};

// Where the settings from before the update are, and the command that puts
// them back where they were not restored.
void reportSettingsAfter(const SettingsAfterUpload& after, const Context& context,
                         std::ostream& out) {
  using Kind = SettingsAfterUpload::Kind;
  // A backup that Write refuses has had its say in the notice.
  if (after.kind == Kind::NotChecked || after.kind == Kind::Unchanged ||
      after.kind == Kind::BackupRefused || after.kind == Kind::RestoreRefused) {
    return;
  }
  if (after.kind == Kind::Restored) {
    out << "Settings restored from " << after.backupFile << '\n';
    return;
  }
  std::string command = "dp3 ";
  if (!context.portOption.empty()) command += "--port " + shellWord(context.portOption) + " ";
  command += "write " + shellWord(after.backupFile);
  out << "To restore the settings from before the update: " << command << '\n';
}

// The load's status text and, for "File Error", where the file went wrong.
void reportLoad(const LoadedImage& loaded, const std::string& file) {
  std::cout << loadStatusText(loaded) << '\n';
  if (loaded.records <= 0) std::cout << file << ": " << loadFailureText(loaded.detail) << '\n';
}

// What the window shows in a message box goes to standard error.
void printNotice(const Notice& notice) {
  if (!notice.text.empty()) std::cerr << notice.text << '\n';
}

int runFirmware(const std::string& file) {
  auto image = std::make_unique<FirmwareImage>();
  const LoadedImage loaded = loadImage(*image, file);
  reportLoad(loaded, file);
  return exitCodeOf(loaded);
}

// Program's checks did not pass: a status goes to standard output; after a
// message box, what the interface test found goes with it.
void reportRefusal(const UploadResult& checked) {
  const Notice refusal = programRefusal(checked);
  if (refusal.caption.empty()) {
    std::cout << refusal.text << '\n';
    return;
  }
  printNotice(refusal);
  std::cerr << interfaceStatusText(checked.test) << '\n';
}

int runUpload(Context& context, const std::string& file, bool verbose, bool restoreSettings) {
  auto link = context.openLink();
  KeyerInfo keyer;
  UploadSession session(*link, keyer, verbose);
  reportLoad(session.load(file), file);
  if (session.loaded().records <= 0) return exitCodeOf(session.loaded());

  // An older image is noted and installed.
  const UploadResult& checked = session.check([](const OlderImage& older) {
    std::cout << "Note: " << olderImageNote(older) << '\n';
    return true;
  });
  if (checked.check != ProgramCheck::Ready) {
    reportRefusal(checked);
    printOpenHint(checked.test, context.portPath());
    return exitCodeOf(checked);
  }
  // Stopped before the upload began: the keyer runs what it ran.
  if (DeferredStop::signal()) {
    std::cerr << kUploadNotStarted << '\n';
    return kExitKeyer;
  }
  std::cout << programmingText(checked) << std::endl;

  ProgressOutput progress;
  if (!session.start()) {
    std::cerr << kNoWorkerThread << '\n' << kUploadNotStarted << '\n';
    return kExitKeyer;
  }
  bool stopNoted = false;
  for (bool done = false; !done;) {
    std::this_thread::sleep_for(kProgressInterval);
    done = session.workerDone();  // first: the progress and log read after it are final
    progress.show(session.progress());
    for (const std::string& line : session.takeLogLines()) progress.log(line);
    // Stopped halfway, the keyer would run only its bootloader: the upload ends first.
    if (DeferredStop::signal() && !std::exchange(stopNoted, true)) {
      progress.end();
      std::cerr << "dp3: " << DeferredStop::signalName() << ": " << kUploadFinishesFirst << '\n';
    }
  }
  const UploadResult* result = &session.finish();
  printNotice({backupFailureText(result->settingsBackup)});
  // Changed settings are written back only with --restore-settings, and only
  // when Write would take them.
  if (result->settings.kind == SettingsAfterUpload::Kind::Changed ||
      result->settings.kind == SettingsAfterUpload::Kind::BackupRefused) {
    progress.end();
    std::cout << settingsChangedText(result->settings.differences) << '\n';
    // A stop asked for meanwhile leaves the restore to the command printed below.
    if (restoreSettings && !DeferredStop::signal()) {
      if (session.startRestore()) {
        result = &session.finishRestore();
        printNotice({backupFailureText(result->restore.readBack)});
      } else {
        std::cerr << kNoWorkerThread << '\n';
      }
    }
  }
  printNotice(settingsAfterNotice(*result));
  if (result->keyer == KeyerState::BootloaderOnly) std::cerr << kBootloaderOnlyHint << '\n';
  progress.end();
  std::cout << uploadStatusText(*result) << '\n';
  link->commClose();
  reportSettingsAfter(result->settings, context, std::cout);
  // Output that went nowhere (a pager quit meanwhile): how the upload ended,
  // and how to put the settings back, still reach the operator.
  if (!std::cout.flush()) {
    std::cerr << uploadStatusText(*result) << '\n';
    reportSettingsAfter(result->settings, context, std::cerr);
  }
  return exitCodeOf(*result);
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
    context.exitCode = runUpload(context, *uploadFile, *verbose, *restore);
  });
}

}  // namespace dp3::cli
