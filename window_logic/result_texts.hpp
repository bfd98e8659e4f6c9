// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/firmware_image.hpp"
#include "firmware/upload.hpp"
#include "firmware/upload_session.hpp"
#include "link/keyer_backup.hpp"
#include "link/keyer_info.hpp"
#include "link/keyer_operations.hpp"
#include "link/port_probe.hpp"
#include "settings/settings_model.hpp"
#include "system/file_result.hpp"
#include "system/program_config.hpp"

namespace dp3 {

// The operator's texts for the core's results, made here and only here, so
// the windows and dp3 say the same thing for the same outcome.

// A text for the operator: a message box under its caption, or, without one,
// the window's status line.
struct Notice {
  std::string text = {};
  std::string_view caption = {};
};

// The "Error" box for a failed load or save of the program configuration.
std::string configResultText(const ConfigResult& result, const ProgramConfig& config);

// Files.

// What went wrong with a file: "PATH: REASON", or the reason alone when no
// name was given.
std::string fileProblemText(const FileResult& result);

// The "Error" box of a settings file that did not load: "File Not Found",
// "Invalid file." or "Read Settings file failed.".
std::string settingsLoadText(const FileResult& result);

// The "Error" box of a settings file that was not saved: "Can't open Settings
// file for write" (with what was refused after ": "), or "Export Log File
// Failed." when its bytes could not be written.
std::string settingsSaveText(const FileResult& result);

// "Can't write the trace file PATH: REASON".
std::string traceFailureText(const FileResult& result);

// dp3 prints beneath settingsSaveText what it leaves unsaid: the file and the
// system's reason ("" when the text above names them).
std::string settingsSaveDetail(const FileResult& result);
// dp3 prints beneath configResultText the file and the system's reason where
// the text leaves them unsaid ("Read file failed.").
std::string configResultDetail(const ConfigResult& result);

// "typo.eep: new file, from the defaults", after dp3 set made one.
std::string newSettingsFileText(const std::filesystem::path& file);
// "ST Freq: 601 Hz stored as 606 Hz".
std::string storedAsText(const StoredAs& stored);

// Why a port path cannot be kept ("" when it can).
std::string portPathText(PortPathProblem problem);

// A word of a command line as the shell the operator types into takes it:
// as it is when nothing in it is special, else quoted ('...' for a POSIX
// shell, "..." for cmd.exe).
enum class Shell { Posix, Cmd };
#if defined(_WIN32)
inline constexpr Shell kShell = Shell::Cmd;
#else
inline constexpr Shell kShell = Shell::Posix;
#endif
std::string shellWord(const std::string& word, Shell shell = kShell);

// Why a backup of the keyer's settings could not be kept.
std::string backupResultText(const FileResult& result);

// The interface test: the status line (4061) while it runs and after it, and
// the IC line (4079), "" when the test leaves it as it was.
inline constexpr const char* kTestingText = "Testing DP Interface    ";
std::string commOpenText(int code);  // "DP Fail:comm open" and its kin
std::string interfaceStatusText(const InterfaceTest& test);
std::string icLineText(const InterfaceTest& test);
inline constexpr const char* kIcUnknownText = "DP IC: ?";

// Operation status texts of the main window (4059).
inline constexpr const char* kStatusOk = ">DP OK";
inline constexpr const char* kStatusNoFirmware = ">DP NOS";
inline constexpr const char* kStatusError = ">DP ERR";
inline constexpr const char* kStatusReading = ">Reading";
inline constexpr const char* kStatusReadDone = ">Done";
inline constexpr const char* kStatusReadFailed = ">Read Failed";
inline constexpr const char* kStatusWriting = "Writing";
inline constexpr const char* kStatusWriteDone = "Done";
inline constexpr const char* kStatusWriteFailed = ">Write Failed";
inline constexpr const char* kStatusVerifyFailed = ">Verify Failed";

// Test DP: ">DP OK", ">DP NOS" or ">DP ERR", and the readings ("" for one
// not asked, "PotValue: no answer" for one the keyer did not answer).
std::string testStatusText(const InterfaceTest& test);
std::string potValueText(const Reading& pot);
std::string pushButtonsText(const Reading& buttons);
// "%.2f Volts" of the supply reading B (26214.4 / B / 100); a reading of 0
// has no voltage to show.
std::string voltsText(const Reading& supply);

// Why a keyer whose test ended so cannot take Read or Write, and what to do;
// "" when it can.
std::string settingsRefusal(const InterfaceTest& test);

// The status after Read DP and Write DP ("" after a refused form value, which
// has said why itself).
std::string readStatusText(const ReadResult& result);
std::string writeStatusText(const WriteResult& result);
// What a comparison after a write found, one entry per difference.
std::vector<std::string> verifyFindings(const WriteResult& result);
// After a write that left the keyer in doubt: what it may hold now and where
// its settings from before the write are kept; "" after any other write.
std::string writeAftermathText(const WriteResult& result);
// The window's box after such a write: what failed (the fields that differ),
// then the aftermath; no text after any other write.
Notice writeFailureNotice(const WriteResult& result);
inline constexpr const char* kWriteFailedCaption = "Write Failed";
inline constexpr const char* kVerifyFailedCaption = "Verify Failed";

// Why no backup could be made ("Error" box), "" when none failed.
std::string backupFailureText(const BackupResult& backup);
// After a Read whose settings went into the file but into no backup:
// "No backup was kept of the keyer's settings: REASON".
std::string noBackupKeptText(const BackupResult& backup);
// The same for the backup taken before a change (Write, upload), which then
// did not start: it says that nothing was sent.
std::string backupBeforeChangeText(const BackupResult& backup);
inline constexpr const char* kBackupCaption = "Error";

// One line per probed port: "/dev/ttyUSB0  DP IC: LARK, DP F/W revision 31.12".
std::string probeText(const ProbeResult& result);
std::string probeLine(const ProbeResult& result);

// Firmware files: "DP LARK Version: 31.04 Loaded, 964 Records" and its kin,
// "File Error" after a failed load, and where the file went wrong.
std::string imageStatusText(ImageVersion version, int records);
std::string loadStatusText(const LoadedImage& loaded);
std::string loadFailureText(const LoadDetail& detail);

// The refusal for a keyer answering IC type V and an image of kind K, or ""
// when the image suits it.
std::string compatibilityError(std::uint8_t variant, std::uint8_t kind);
// "The keyer runs LARK firmware 31.12; this image holds 31.04, an older version."
std::string olderImageNote(const OlderImage& older);
std::string olderImageQuestion(const OlderImage& older);

// Why Program did not start; "" when it did.
Notice programRefusal(const UploadResult& result);
// "Programming DPUSB...." or, for a keyer without firmware, its recovery form.
std::string programmingText(const UploadResult& result);
// "Upload Completed Successfully", "Error: Checksum !" ...; a refusal whose
// byte has no text of its own reads "Error: Restart failed !".
std::string uploadOutcomeText(const UploadOutcome& outcome);
// The uploader's last status: the upload's text, and after a completed one
// whether the changed settings were restored.
std::string uploadStatusText(const UploadResult& result);
// "The new firmware changed the keyer's settings: User 1 Weight, Msg 3 and 4 more."
std::string settingsChangedText(const std::vector<std::string>& differences);
std::string settingsChangedQuestion(const UploadResult& result);
// Why the settings from before an upload are not on the keyer and where they
// are; "" when nothing went wrong with them.
Notice settingsAfterNotice(const UploadResult& result);

// What to tell the operator after an upload failed, or about a keyer found so.
inline constexpr const char* kBootloaderOnlyHint =
    "The keyer now runs only its bootloader and holds no working firmware: program its "
    "firmware again (FW Update, or dp3 upload) to recover it.";

// An upload that never began, and one that goes on to its end after a stop
// was asked for.
inline constexpr const char* kUploadNotStarted =
    "The upload did not start: nothing was sent, and the keyer runs the firmware it ran.";
inline constexpr const char* kUploadFinishesFirst =
    "the upload goes on to its end, so the keyer is not left without firmware; the command "
    "stops then.";
inline constexpr const char* kNoWorkerThread =
    "The system would not start another thread (too many processes or threads?).";

// The uploader's captions and the status lines around the settings check.
inline constexpr const char* kUploadFailedCaption = "Upload Failed";
inline constexpr const char* kOlderFirmwareCaption = "Older Firmware";
inline constexpr const char* kSettingsChangedCaption = "Settings Changed";
inline constexpr const char* kProgramCancelled = "Programming cancelled";
inline constexpr const char* kStatusReadingSettings = "Reading the keyer's settings....";
inline constexpr const char* kStatusRestoring = "Writing the settings back....";

}  // namespace dp3
