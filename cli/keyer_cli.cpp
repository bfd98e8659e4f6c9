// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli.hpp"
#include "cli/settings_cli.hpp"
#include "link/keyer_operations.hpp"
#include "settings/settings_file.hpp"
#include "system/atomic_file.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3::cli {

namespace {

// What the window shows in a message box goes to standard error.
void printBackupFailure(const BackupResult& backup) {
  if (backup.failed()) std::cerr << backupFailureText(backup) << '\n';
}

int runTest(Context& context) {
  auto link = context.openLink();
  KeyerInfo keyer;
  const KeyerTest result = testKeyer(*link, keyer);
  printInterfaceTest(result.test);
  std::cout << testStatusText(result.test) << '\n';
  if (result.test.bootloaderOnly()) std::cerr << kBootloaderOnlyHint << '\n';
  printOpenHint(result.test, context.portPath());
  for (const std::string& reading :
       {potValueText(result.pot), pushButtonsText(result.buttons), voltsText(result.supply)}) {
    if (!reading.empty()) std::cout << reading << '\n';
  }
  return exitCodeOf(result);
}

int runRead(Context& context, const std::string& name) {
  // The same name rule and checks as a save, before the keyer is touched.
  const FileResult named = settingsFileName(name);
  const std::filesystem::path file = named.path;
  if (const FileResult checked = named.ok() ? checkSaveTarget(file) : named; !checked.ok()) {
    std::cerr << "dp3: cannot write" << (checked.path.empty() ? ": " : " ")
              << fileProblemText(checked) << '\n';
    return kExitFile;
  }
  auto link = context.openLink();
  KeyerInfo keyer;
  SettingsImage image{};
  const ReadResult result = readKeyer(*link, keyer, image);
  printBackupFailure(result.backup);
  if (result.outcome == ReadOutcome::NeedsFirmware) {
    std::cerr << settingsRefusal(result.test) << '\n';
  }
  printInterfaceTest(result.test);
  std::cout << readStatusText(result) << '\n';
  printOpenHint(result.test, context.portPath());
  if (result.outcome != ReadOutcome::Done) return exitCodeOf(result);
  // The file's own texts ("Can't open Settings file for write") go to standard error.
  if (const FileResult saved = writeSettingsFile(file, image); !saved.ok()) {
    printSaveFailure(saved);
    return kExitFile;
  }
  // The settings are in the file, but in no backup: said where the result is read.
  if (result.backup.failed()) std::cout << noBackupKeptText(result.backup) << '\n';
  return exitCodeOf(result);
}

}  // namespace

int writeToKeyer(Context& context, SettingsImage& image, bool verify,
                 const std::function<bool(SettingsImage&)>& prepare) {
  auto link = context.openLink();
  KeyerInfo keyer;
  // The steps as they happen, each line out at once: a reader at the other
  // end of a pipe sees the write under way.
  const OnKeyerStep onStep = [](KeyerStep step, const InterfaceTest& test) {
    if (step == KeyerStep::Tested) printInterfaceTest(test);
    if (step == KeyerStep::Writing) std::cout << kStatusWriting << '\n';
    std::cout.flush();
  };
  const WriteResult result = writeKeyer(*link, keyer, image, {verify, prepare, onStep});
  if (result.backup.failed()) std::cerr << backupBeforeChangeText(result.backup) << '\n';
  printBackupFailure(result.readBack);
  if (result.outcome == WriteOutcome::NeedsFirmware) {
    std::cerr << settingsRefusal(result.test) << '\n';
  }
  if (const std::string status = writeStatusText(result); !status.empty()) {
    std::cout << status << '\n';
  }
  for (const std::string& finding : verifyFindings(result)) {
    std::cout << "Differs: " << finding << '\n';
  }
  // What the window's box says beside the findings.
  if (const std::string aftermath = writeAftermathText(result); !aftermath.empty()) {
    std::cerr << aftermath << '\n';
  }
  printOpenHint(result.test, context.portPath());
  return exitCodeOf(result);
}

void addKeyerCommands(CLI::App& app, Context& context) {
  auto* test =
      app.add_subcommand("test", "Test the keyer: identify the IC and firmware, show the readings");
  test->callback([&context] { context.exitCode = runTest(context); });

  auto* read = app.add_subcommand("read", "Read the keyer's settings into a settings file (.eep)");
  auto file = std::make_shared<std::string>();
  read->add_option("FILE", *file, "Settings file to write")->required();
  read->callback([&context, file] { context.exitCode = runRead(context, *file); });
}

}  // namespace dp3::cli
