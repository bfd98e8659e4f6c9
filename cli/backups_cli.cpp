// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <iostream>

#include "cli/cli.hpp"
#include "settings/backups.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3::cli {

namespace {

int listKeyerBackups() {
  const auto folder = backupFolder();
  if (folder.empty()) {
    std::cerr << "dp3: " << backupResultText({FileResult::Kind::NoPlace}) << '\n';
    return kExitFile;
  }
  const auto entries = listBackups(folder);
  if (entries.empty()) std::cout << "No backups in " << folder.string() << '\n';
  for (const BackupEntry& entry : entries) {
    std::cout << entry.date << "  " << entry.ic << ' ' << entry.version << "  " << entry.callsigns
              << "  " << entry.file.string() << '\n';
  }
  return kExitDone;
}

}  // namespace

void addBackupCommands(CLI::App& app, Context& context) {
  auto* backups = app.add_subcommand(
      "backups", "List the backups of every keyer read, newest first (restore: dp3 write FILE)");
  backups->callback([&context] { context.exitCode = listKeyerBackups(); });
}

}  // namespace dp3::cli
