// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/result_texts.hpp"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "link/keyer_variants.hpp"

namespace dp3 {

namespace {

constexpr const char* kNoAnswerText = "no answer";

std::string format(const char* pattern, int a, int b) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

// "an ORCA", "a ROOK", ...
std::string withArticle(const KeyerVariant& variant) {
  return std::string(variant.article) + " " + std::string(variant.name);
}

std::string readingText(const Reading& reading) {
  return reading.kind == Reading::Kind::Value ? std::to_string(reading.value) : kNoAnswerText;
}

constexpr const char* kStatusRestored = "Upload Completed Successfully, Settings Restored";
constexpr const char* kStatusNotRestored = "Upload Completed Successfully, Settings Not Restored";
constexpr const char* kNoProgramRecords = "no data records for the program memory";
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
std::string keptInText(const std::string& file, const char* before = "the update") {
  return std::string("The settings from before ") + before + " are kept in\n" + file +
         "\nLoad that file and Write DP, or run dp3 write with it, to put them back.";
}

}  // namespace

std::string configResultText(const ConfigResult& result, const ProgramConfig&) {
  switch (result.kind) {
    case FileResult::Kind::Done:
      return {};
    case FileResult::Kind::NoPlace:
      return "No place for the program configuration: neither HOME nor XDG_CONFIG_HOME names a "
             "folder.";
    case FileResult::Kind::Refused:
    case FileResult::Kind::Create:
    case FileResult::Kind::Write:
      return "CFG File SAve Failed.\n" + fileProblemText(result);
    case FileResult::Kind::Missing:
    case FileResult::Kind::NotRegular:
    case FileResult::Kind::TooLarge:
    case FileResult::Kind::Invalid:
    case FileResult::Kind::Read:
      break;
  }
  return "Read file failed.";
}

// Files.

std::string fileProblemText(const FileResult& result) {
  if (result.path.empty()) return result.reason;
  return result.path.string() + ": " + result.reason;
}

std::string settingsLoadText(const FileResult& result) {
  switch (result.kind) {
    case FileResult::Kind::Done:
      return {};
    case FileResult::Kind::Missing:
      return "File Not Found";
    case FileResult::Kind::NotRegular:
    case FileResult::Kind::TooLarge:
    case FileResult::Kind::Invalid:
      return "Invalid file.";
    case FileResult::Kind::Refused:
    case FileResult::Kind::Create:
    case FileResult::Kind::Write:
    case FileResult::Kind::Read:
    case FileResult::Kind::NoPlace:
      break;
  }
  return "Read Settings file failed.";
}

std::string settingsSaveText(const FileResult& result) {
  switch (result.kind) {
    case FileResult::Kind::Done:
      return {};
    case FileResult::Kind::Refused:
      return "Can't open Settings file for write: " + fileProblemText(result);
    case FileResult::Kind::Write:
      return "Export Log File Failed.";
    case FileResult::Kind::Create:
    case FileResult::Kind::Missing:
    case FileResult::Kind::NotRegular:
    case FileResult::Kind::TooLarge:
    case FileResult::Kind::Invalid:
    case FileResult::Kind::Read:
    case FileResult::Kind::NoPlace:
      break;
  }
  return "Can't open Settings file for write";
}

std::string traceFailureText(const FileResult& result) {
  return "Can't write the trace file " + fileProblemText(result);
}

std::string settingsSaveDetail(const FileResult& result) {
  if (result.ok() || result.kind == FileResult::Kind::Refused) return {};
  return fileProblemText(result);
}

std::string configResultDetail(const ConfigResult& result) {
  switch (result.kind) {
    case FileResult::Kind::Missing:
    case FileResult::Kind::NotRegular:
    case FileResult::Kind::TooLarge:
    case FileResult::Kind::Invalid:
    case FileResult::Kind::Read:
      return fileProblemText(result);
    default:
      return {};
  }
}

std::string newSettingsFileText(const std::filesystem::path& file) {
  return file.string() + ": new file, from the defaults";
}

std::string storedAsText(const StoredAs& stored) {
  std::string unit;
  if (!stored.unit.empty()) (unit += ' ') += stored.unit;
  std::string text(stored.label);
  text += ": ";
  text += std::to_string(stored.typed);
  text += unit;
  text += " stored as ";
  text += std::to_string(stored.stored);
  text += unit;
  return text;
}

std::string portPathText(PortPathProblem problem) {
  switch (problem) {
    case PortPathProblem::None:
      return {};
    case PortPathProblem::Empty:
      return "no port given";
    case PortPathProblem::Relative:
      return "the port must be a full device path, such as /dev/ttyUSB0";
    case PortPathProblem::TooLong:
      return "the port path is longer than " + std::to_string(kMaxPortPathLength) + " bytes";
    case PortPathProblem::HasNul:
      return "the port path holds a NUL character";
  }
  return {};
}

std::string shellWord(const std::string& word, Shell shell) {
  constexpr std::string_view kPlain =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-+:,";
  const std::string_view separators = shell == Shell::Cmd ? "\\/" : "/";
  const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [&](char c) {
    return kPlain.find(c) != std::string_view::npos || separators.find(c) != std::string_view::npos;
  });
  if (plain) return word;
  if (shell == Shell::Cmd) return "\"" + word + "\"";  // no file name holds a double quote
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string backupResultText(const FileResult& result) {
  if (result.kind == FileResult::Kind::NoPlace)
    return "no folder for backups: neither HOME nor XDG_DATA_HOME is set";
  return fileProblemText(result);
}

std::string commOpenText(int code) {
  switch (code) {
    case kCommPurgeFailed:
      return "DP Fail:comm purge";
    case kCommSetStateFailed:
      return "DP Fail:set comm state";
    case kCommGetStateFailed:
      return "DP Fail:get comm state";
    case kCommOpenFailed:
      return "DP Fail:comm open";
    default:
      return "Comm Fail:unknown error";
  }
}

std::string interfaceStatusText(const InterfaceTest& test) {
  using Kind = InterfaceTest::Kind;
  switch (test.kind) {
    case Kind::NotOpened:
      return commOpenText(test.openCode);
    case Kind::NoAnswer:
      return "DP Fail:no response";
    case Kind::EchoMismatch:
      return "DP Fail:echo mismatch";
    case Kind::TooOld:
      return "Only supports DP3";
    case Kind::BootloaderOnly:
      return "DP Fail:No O/S";
    case Kind::Firmware:
      break;
  }
  // Each IC counts its revisions from the start of its band. An IC type no
  // row names keeps the IC line and shows the raw revision.
  const KeyerVariant* ic = test.ic();
  if (!ic) return format("DP F/W ver %d.%02d", test.version, test.revision) + ", IC ?";
  return format(ic->code == kVariantOrca ? "DP F/W ver %d.%02d" : "DP F/W revision %d.%02d",
                test.version, test.revision - ic->bandStart);
}

std::string icLineText(const InterfaceTest& test) {
  const KeyerVariant* ic = test.kind == InterfaceTest::Kind::Firmware ? test.ic() : nullptr;
  return ic ? "DP IC: " + std::string(ic->name) : std::string();
}

std::string testStatusText(const InterfaceTest& test) {
  if (test.failed()) return kStatusError;
  return test.bootloaderOnly() ? kStatusNoFirmware : kStatusOk;
}

std::string potValueText(const Reading& pot) {
  return pot.kind == Reading::Kind::NotAsked ? "" : "PotValue: " + readingText(pot);
}

std::string pushButtonsText(const Reading& buttons) {
  return buttons.kind == Reading::Kind::NotAsked
             ? ""
             : (buttons.kind == Reading::Kind::Value ? "PB:" : "PB: ") + readingText(buttons);
}

std::string voltsText(const Reading& supply) {
  if (supply.kind == Reading::Kind::NotAsked) return {};
  if (supply.kind == Reading::Kind::NoAnswer) return std::string("Volts: ") + kNoAnswerText;
  if (supply.value == 0) return "-.-- Volts";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f Volts", 26214.4 / supply.value / 100);
  return text;
}

std::string settingsRefusal(const InterfaceTest& test) {
  if (test.holdsSettings() || test.failed()) return {};
  if (test.bootloaderOnly()) {
    return "The keyer runs only its bootloader: it has no firmware and holds no settings. "
           "Program its firmware first (FW Update, or dp3 upload), then try again.";
  }
  return "The keyer's firmware version " + std::to_string(test.version) +
         " cannot hold these settings; version " + std::to_string(kOldestSettingsVersion) +
         " or later is needed. Update its firmware first (FW Update, or dp3 upload), then try "
         "again.";
}

std::string readStatusText(const ReadResult& result) {
  switch (result.outcome) {
    case ReadOutcome::Done:
      return kStatusReadDone;
    case ReadOutcome::TestFailed:
    case ReadOutcome::NeedsFirmware:
      return result.test.bootloaderOnly() ? kStatusNoFirmware : kStatusError;
    case ReadOutcome::ReadFailed:
      return kStatusReadFailed;
  }
  return {};
}

std::string writeStatusText(const WriteResult& result) {
  switch (result.outcome) {
    case WriteOutcome::Done:
      return kStatusWriteDone;
    case WriteOutcome::TestFailed:
    case WriteOutcome::NeedsFirmware:
      return result.test.bootloaderOnly() ? kStatusNoFirmware : kStatusError;
    case WriteOutcome::Refused:
      return {};
    case WriteOutcome::BackupFailed:
      return {};  // nothing was sent; the backup's message says why
    case WriteOutcome::WriteFailed:
      return kStatusWriteFailed;
    case WriteOutcome::ReadBackFailed:
    case WriteOutcome::VerifyFailed:
      return kStatusVerifyFailed;
  }
  return {};
}

std::vector<std::string> verifyFindings(const WriteResult& result) {
  if (result.outcome == WriteOutcome::ReadBackFailed) {
    return {"the keyer did not send its settings back"};
  }
  return result.outcome == WriteOutcome::VerifyFailed ? result.differences
                                                      : std::vector<std::string>{};
}

std::string writeAftermathText(const WriteResult& result) {
  if (result.keyer != KeyerState::Unknown) return {};
  std::string text = result.outcome == WriteOutcome::VerifyFailed
                         ? "The keyer now holds settings other than those written."
                         : "The keyer may now hold part of what was written, its old settings, "
                           "or neither.";
  if (!result.backup.file.empty()) {
    text += '\n';
    text += keptInText(result.backup.file.string(), "the write");
  }
  return text;
}

Notice writeFailureNotice(const WriteResult& result) {
  const std::string aftermath = writeAftermathText(result);
  if (aftermath.empty()) return {};
  switch (result.outcome) {
    case WriteOutcome::VerifyFailed:
      return {
          "The write did not verify: " + listDifferences(result.differences) + ".\n" + aftermath,
          kVerifyFailedCaption};
    case WriteOutcome::ReadBackFailed:
      return {
          "The write could not be checked: " + verifyFindings(result).front() + ".\n" + aftermath,
          kVerifyFailedCaption};
    default:
      return {"The write did not go through.\n" + aftermath, kWriteFailedCaption};
  }
}

std::string backupFailureText(const BackupResult& backup) {
  switch (backup.kind) {
    case BackupResult::Kind::ReadFailed:
      return "The keyer's settings could not be read for a backup; nothing was changed.";
    case BackupResult::Kind::SaveFailed:
      return "The keyer's settings could not be kept as a backup:\n" +
             backupResultText(backup.saved);
    default:
      return {};
  }
}

std::string noBackupKeptText(const BackupResult& backup) {
  return "No backup was kept of the keyer's settings: " + backupResultText(backup.saved);
}

std::string backupBeforeChangeText(const BackupResult& backup) {
  if (backup.kind != BackupResult::Kind::SaveFailed) return backupFailureText(backup);
  return "The keyer's settings could not be kept as a backup, so nothing was sent to the "
         "keyer:\n" +
         backupResultText(backup.saved);
}

std::string probeText(const ProbeResult& result) {
  switch (result.outcome) {
    case ProbeOutcome::Keyer: {
      const std::string ic = icLineText(result.test);
      const std::string status = interfaceStatusText(result.test);
      return ic.empty() ? status : ic + ", " + status;
    }
    case ProbeOutcome::BootloaderOnly:
      return "keyer without firmware (bootloader only)";
    case ProbeOutcome::NotOpened:
      return "not opened: " + (result.test.openReason.empty() ? interfaceStatusText(result.test)
                                                              : result.test.openReason);
    case ProbeOutcome::Held:
      return "skipped: in use by " + holdersText(result.holders);
    case ProbeOutcome::NotKeyer:
      break;
  }
  return "no keyer: " + interfaceStatusText(result.test);
}

std::string probeLine(const ProbeResult& result) {
  return result.port.path + "  " + probeText(result);
}

std::string imageStatusText(ImageVersion version, int records) {
  char text[96];
  if (version.kind >= kKeyerVariants.back().bandStart + kVariantBandWidth) {
    // No IC's band: say what the image holds rather than invent a version.
    std::snprintf(text, sizeof text, "DP Image Kind %d Version: %d Loaded, %d Records",
                  version.kind, version.major, records);
  } else {
    const KeyerVariant& variant = variantForKind(version.kind);
    std::snprintf(text, sizeof text, "DP %s Version: %d.%02d Loaded, %d Records",
                  std::string(variant.name).c_str(), version.major,
                  version.kind - variant.bandStart, records);
  }
  return text;
}

std::string loadStatusText(const LoadedImage& loaded) {
  return loaded.records > 0 ? imageStatusText(loaded.version, loaded.records) : "File Error";
}

std::string loadFailureText(const LoadDetail& detail) {
  const std::string where = describeLoadDetail(detail);
  return where.empty() ? kNoProgramRecords : where;
}

std::string compatibilityError(std::uint8_t variant, std::uint8_t kind) {
  switch (imageFit(variant, kind)) {
    case ImageFit::Fits:
      return {};
    case ImageFit::UnknownIc:
      return "Error: Unknown Keyer IC Version !";
    case ImageFit::OtherIc:
      break;
  }
  return "Error: Attempting to program " + withArticle(*findVariant(variant)) + " DP with " +
         withArticle(variantForKind(kind)) + " image !";
}

std::string olderImageNote(const OlderImage& older) {
  const std::string runs = "The keyer runs " + std::string(older.ic) + " firmware " +
                           format("%d.%02d", older.keyerVersion, older.keyerRevision) +
                           "; this image holds ";
  if (!older.imageRevision) {
    return runs + "version " + std::to_string(older.imageMajor) + ", an older one.";
  }
  return runs + format("%d.%02d", older.imageMajor, *older.imageRevision) + ", an older version.";
}

std::string olderImageQuestion(const OlderImage& older) {
  return olderImageNote(older) + "\nInstall it anyway? The keyer's settings are backed up first.";
}

Notice programRefusal(const UploadResult& result) {
  switch (result.check) {
    case ProgramCheck::Ready:
      return {};
    case ProgramCheck::NoImage:
      return {"Error: Please Open a Programming File !"};
    case ProgramCheck::EmptyImage:
      return {"Error: Zero Length File !"};
    case ProgramCheck::NotConnected:
      return {"DP not connected", "Error"};
    case ProgramCheck::UnknownIc:
    case ProgramCheck::OtherIc:
      return {compatibilityError(result.icType, result.image.kind)};
    case ProgramCheck::Declined:
      return {kProgramCancelled};
    case ProgramCheck::BackupFailed:
      return {backupBeforeChangeText(result.backup), kBackupCaption};
  }
  return {};
}

std::string programmingText(const UploadResult& result) {
  return result.recovery ? "Programming DPUSB in Recovery mode...." : "Programming DPUSB....";
}

std::string uploadOutcomeText(const UploadOutcome& outcome) {
  using Kind = UploadOutcome::Kind;
  switch (outcome.kind) {
    case Kind::Completed:
      return "Upload Completed Successfully";
    case Kind::NoReply:
      return "Error: DPUSB Timeout !";
    case Kind::BaudChangeFailed:
    case Kind::NoBootloaderEcho:
      return "Error: Restart failed !";
    case Kind::Refused:
      break;
  }
  switch (outcome.reply) {
    case boot::kReplyFrameStartError:
      return "Error: SOF Error !";
    case boot::kReplyChecksumError:
      return "Error: Checksum !";
    case boot::kReplyFlashVerifyError:
      return "Error: Flash Verify !";
    case boot::kReplySyncError:
      return "Error: DPUSB Sync !";
    default:
      return "Error: Restart failed !";
  }
}

std::string uploadStatusText(const UploadResult& result) {
  using Kind = SettingsAfterUpload::Kind;
  if (!result.upload) return {};
  if (!result.upload->completed()) return uploadOutcomeText(*result.upload);
  switch (result.settings.kind) {
    case Kind::NotChecked:
    case Kind::Unchanged:
      return uploadOutcomeText(*result.upload);
    case Kind::Restored:
      return kStatusRestored;
    default:
      return kStatusNotRestored;
  }
}

std::string settingsChangedText(const std::vector<std::string>& differences) {
  return "The new firmware changed the keyer's settings: " + listDifferences(differences) + ".";
}

std::string settingsChangedQuestion(const UploadResult& result) {
  return settingsChangedText(result.settings.differences) +
         "\nWrite back the settings backed up before the update?\n" + result.settings.backupFile;
}

Notice settingsAfterNotice(const UploadResult& result) {
  using Kind = SettingsAfterUpload::Kind;
  const std::string keptIn = keptInText(result.settings.backupFile);
  switch (result.settings.kind) {
    case Kind::ReadFailed:
      return {"The keyer's settings could not be read after the update.\n" + keptIn,
              kSettingsChangedCaption};
    case Kind::BackupUnreadable:
      return {"The backup could not be read back.\n" + keptIn, kSettingsChangedCaption};
    case Kind::BackupRefused:
    case Kind::RestoreRefused: {
      const UserRefusal refused = result.settings.refusal.value_or(UserRefusal{});
      return {
          "The settings from before the update hold a value that Write refuses, so they "
          "are not written back:\nUser " +
              std::to_string(refused.user) + ": " + refused.refusal.text + "\nThey are kept in\n" +
              result.settings.backupFile +
              "\nLoad that file, correct the value and Write DP to put them back.",
          kSettingsChangedCaption};
    }
    case Kind::RestoreFailed: {
      const std::vector<std::string> findings = verifyFindings(result.restore);
      const std::string why =
          findings.empty()
              ? std::string("The keyer did not take the settings written back.")
              : "The settings written back did not verify: " + listDifferences(findings) + ".";
      return {why + "\n" + keptIn, "Error"};
    }
    default:
      return {};
  }
}

}  // namespace dp3
