// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "cli/exit_codes.hpp"

namespace dp3::cli {

std::string exitCodeHelp() {
  std::string help = "Exit codes:\n";
  for (const ExitCodeRow& row : kExitCodeRows) {
    std::string code = std::to_string(row.code);
    code.resize(5, ' ');
    help += "  " + code + row.meaning + "\n       (" + row.commands + ")\n";
  }
  return help;
}

int exitCodeOf(const KeyerTest& result) {
  if (result.test.bootloaderOnly()) return kExitNeedsFirmware;
  const auto unanswered = [](const Reading& reading) {
    return reading.kind == Reading::Kind::NoAnswer;
  };
  if (result.test.failed() || unanswered(result.pot) || unanswered(result.buttons) ||
      unanswered(result.supply)) {
    return kExitKeyer;
  }
  return kExitDone;
}

int exitCodeOf(const ReadResult& result) {
  switch (result.outcome) {
    case ReadOutcome::Done:
      return kExitDone;
    case ReadOutcome::NeedsFirmware:
      return kExitNeedsFirmware;
    case ReadOutcome::TestFailed:
    case ReadOutcome::ReadFailed:
      break;
  }
  return kExitKeyer;
}

int exitCodeOf(const WriteResult& result) {
  switch (result.outcome) {
    case WriteOutcome::Done:
      return kExitDone;
    case WriteOutcome::NeedsFirmware:
      return kExitNeedsFirmware;
    case WriteOutcome::Refused:
      return kExitRefused;
    case WriteOutcome::BackupFailed:
      // Nothing was sent: the keyer is fine, the backup's file is not.
      return result.backup.kind == BackupResult::Kind::SaveFailed ? kExitFile : kExitKeyer;
    default:
      return kExitKeyer;
  }
}

int exitCodeOf(const LoadedImage& loaded) {
  return loaded.records > 0 ? kExitDone : kExitFile;
}

int exitCodeOf(const UploadResult& result) {
  using Kind = SettingsAfterUpload::Kind;
  if (result.check == ProgramCheck::BackupFailed &&
      result.backup.kind == BackupResult::Kind::SaveFailed) {
    return kExitFile;
  }
  if (result.check != ProgramCheck::Ready || !result.upload || !result.upload->completed()) {
    return kExitKeyer;
  }
  switch (result.settings.kind) {
    case Kind::ReadFailed:
    case Kind::BackupUnreadable:
    case Kind::RestoreFailed:
      return kExitKeyer;
    case Kind::RestoreRefused:
      return kExitRefused;
    default:
      return kExitDone;
  }
}

int exitCodeOf(const std::vector<ProbeResult>& results) {
  return foundKeyer(results) ? kExitDone : kExitKeyer;
}

int exitCodeOf(const ConfigResult& result) {
  return result.ok() ? kExitDone : kExitFile;
}

}  // namespace dp3::cli
