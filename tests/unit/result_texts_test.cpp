// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The operator's texts for each result, word for word.
#include "window_logic/result_texts.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dp3 {
namespace {

using Kind = InterfaceTest::Kind;

InterfaceTest firmware(std::uint8_t version, std::uint8_t revision,
                       std::optional<std::uint8_t> icType) {
  return {.kind = Kind::Firmware, .version = version, .revision = revision, .icType = icType};
}
InterfaceTest failed(Kind kind, int openCode = 0) {
  return {.kind = kind, .openCode = openCode};
}

TEST(ResultTexts, InterfaceTest) {
  const struct {
    InterfaceTest test;
    std::string status, icLine, operation;
  } cases[] = {
      {firmware(31, 7, 1), "DP F/W ver 31.07", "DP IC: ORCA", ">DP OK"},
      {firmware(31, 62, 2), "DP F/W revision 31.12", "DP IC: ROOK", ">DP OK"},
      {firmware(31, 112, 3), "DP F/W revision 31.12", "DP IC: LARK", ">DP OK"},
      {firmware(32, 155, 4), "DP F/W revision 32.05", "DP IC: PIKA", ">DP OK"},
      {firmware(30, 3, 1), "DP F/W ver 30.03", "DP IC: ORCA", ">DP OK"},
      // A revision below the IC's band shows negative.
      {firmware(31, 90, 3), "DP F/W revision 31.-10", "DP IC: LARK", ">DP OK"},
      // An IC no row names, or none at all, keeps the IC line.
      {firmware(31, 112, 9), "DP F/W ver 31.112, IC ?", "", ">DP OK"},
      {firmware(31, 112, std::nullopt), "DP F/W ver 31.112, IC ?", "", ">DP OK"},
      {failed(Kind::TooOld), "Only supports DP3", "", ">DP ERR"},
      {failed(Kind::NoAnswer), "DP Fail:no response", "", ">DP ERR"},
      {failed(Kind::EchoMismatch), "DP Fail:echo mismatch", "", ">DP ERR"},
      {failed(Kind::BootloaderOnly), "DP Fail:No O/S", "", ">DP NOS"},
      {failed(Kind::NotOpened, -4), "DP Fail:comm open", "", ">DP ERR"},
      {failed(Kind::NotOpened, -5), "DP Fail:get comm state", "", ">DP ERR"},
      {failed(Kind::NotOpened, -6), "DP Fail:set comm state", "", ">DP ERR"},
      {failed(Kind::NotOpened, -10), "DP Fail:comm purge", "", ">DP ERR"},
      {failed(Kind::NotOpened, -7), "Comm Fail:unknown error", "", ">DP ERR"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(interfaceStatusText(c.test), c.status);
    EXPECT_EQ(icLineText(c.test), c.icLine) << c.status;
    EXPECT_EQ(testStatusText(c.test), c.operation) << c.status;
  }
}

TEST(ResultTexts, Readings) {
  using R = Reading::Kind;
  const struct {
    Reading reading;
    std::string pot, buttons, volts;
  } cases[] = {
      {{R::Value, 52}, "PotValue: 52", "PB:52", "5.04 Volts"},
      {{R::Value, 255}, "PotValue: 255", "PB:255", "1.03 Volts"},
      {{R::Value, 0}, "PotValue: 0", "PB:0", "-.-- Volts"},
      // A reading that got no answer is never shown as a value.
      {{R::NoAnswer}, "PotValue: no answer", "PB: no answer", "Volts: no answer"},
      {{R::NotAsked}, "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(potValueText(c.reading), c.pot);
    EXPECT_EQ(pushButtonsText(c.reading), c.buttons);
    EXPECT_EQ(voltsText(c.reading), c.volts);
  }
}

TEST(ResultTexts, ReadAndWrite) {
  const InterfaceTest lark = firmware(31, 112, 3);
  const InterfaceTest bootloader = failed(Kind::BootloaderOnly);
  const InterfaceTest silent = failed(Kind::NoAnswer);
  const struct {
    ReadOutcome read;
    InterfaceTest test;
    std::string status;
  } reads[] = {
      {ReadOutcome::Done, lark, ">Done"},
      {ReadOutcome::ReadFailed, lark, ">Read Failed"},
      {ReadOutcome::TestFailed, silent, ">DP ERR"},
      {ReadOutcome::NeedsFirmware, bootloader, ">DP NOS"},
      {ReadOutcome::NeedsFirmware, firmware(30, 3, 1), ">DP ERR"},
  };
  for (const auto& c : reads) {
    EXPECT_EQ(readStatusText({.outcome = c.read, .test = c.test}), c.status);
  }
  const struct {
    WriteOutcome write;
    InterfaceTest test;
    std::string status;
    std::size_t findings;
  } writes[] = {
      {WriteOutcome::Done, lark, "Done", 0},
      {WriteOutcome::TestFailed, silent, ">DP ERR", 0},
      {WriteOutcome::NeedsFirmware, bootloader, ">DP NOS", 0},
      {WriteOutcome::Refused, lark, "", 0},
      {WriteOutcome::BackupFailed, lark, "", 0},  // nothing was sent: the box says why
      {WriteOutcome::WriteFailed, lark, ">Write Failed", 0},
      {WriteOutcome::ReadBackFailed, lark, ">Verify Failed", 1},
      {WriteOutcome::VerifyFailed, lark, ">Verify Failed", 2},
  };
  for (const auto& c : writes) {
    const WriteResult result{.outcome = c.write, .test = c.test, .differences = {"Msg 3", "Msg 4"}};
    EXPECT_EQ(writeStatusText(result), c.status);
    EXPECT_EQ(verifyFindings(result).size(), c.findings) << c.status;
  }
  EXPECT_EQ(verifyFindings({.outcome = WriteOutcome::ReadBackFailed}),
            std::vector<std::string>{"the keyer did not send its settings back"});
  // After a write that reached the keyer and failed: what it may hold, and
  // the backup from before; nothing after any other write.
  const std::string before =
      "\nThe settings from before the write are kept in\n/b/LARK.eep\nLoad that file and Write "
      "DP, or run dp3 write with it, to put them back.";
  const BackupResult kept{.kind = BackupResult::Kind::Kept, .file = "/b/LARK.eep"};
  const struct {
    WriteOutcome write;
    KeyerState keyer;
    std::string text;
    std::string caption;
  } failures[] = {
      {WriteOutcome::VerifyFailed, KeyerState::Unknown,
       "The write did not verify: Msg 3, Msg 4.\nThe keyer now holds settings other than those "
       "written." +
           before,
       "Verify Failed"},
      {WriteOutcome::ReadBackFailed, KeyerState::Unknown,
       "The write could not be checked: the keyer did not send its settings back.\nThe keyer "
       "may now hold part of what was written, its old settings, or neither." +
           before,
       "Verify Failed"},
      {WriteOutcome::WriteFailed, KeyerState::Unknown,
       "The write did not go through.\nThe keyer may now hold part of what was written, its old "
       "settings, or neither." +
           before,
       "Write Failed"},
      {WriteOutcome::Done, KeyerState::HoldsWritten, "", ""},
      {WriteOutcome::BackupFailed, KeyerState::Untouched, "", ""},
  };
  for (const auto& c : failures) {
    WriteResult result;  // member by member: mingw takes a skipped member for uninitialised
    result.outcome = c.write;
    result.differences = {"Msg 3", "Msg 4"};
    result.backup = kept;
    result.keyer = c.keyer;
    const Notice notice = writeFailureNotice(result);
    EXPECT_EQ(notice.text, c.text);
    EXPECT_EQ(notice.caption, c.caption);
  }
  EXPECT_EQ(settingsRefusal(lark), "");
  EXPECT_EQ(settingsRefusal(bootloader),
            "The keyer runs only its bootloader: it has no firmware and holds no settings. Program "
            "its firmware first (FW Update, or dp3 upload), then try again.");
  EXPECT_EQ(settingsRefusal(firmware(30, 3, 1)),
            "The keyer's firmware version 30 cannot hold these settings; version 31 or later is "
            "needed. Update its firmware first (FW Update, or dp3 upload), then try again.");
  using B = BackupResult::Kind;
  EXPECT_EQ(backupFailureText({.kind = B::Kept, .file = "x.eep"}), "");
  EXPECT_EQ(backupFailureText({.kind = B::ReadFailed}),
            "The keyer's settings could not be read for a backup; nothing was changed.");
  EXPECT_EQ(backupFailureText(
                {.kind = B::SaveFailed, .saved = {FileResult::Kind::Write, "x.eep", "disk full"}}),
            "The keyer's settings could not be kept as a backup:\nx.eep: disk full");
  const BackupResult full{.kind = B::SaveFailed, .saved = {FileResult::Kind::Write, "b", "full"}};
  EXPECT_EQ(backupBeforeChangeText(full),
            "The keyer's settings could not be kept as a backup, so nothing was sent to the "
            "keyer:\nb: full");
  EXPECT_EQ(backupBeforeChangeText({.kind = B::ReadFailed}),
            backupFailureText({.kind = B::ReadFailed}));
  EXPECT_EQ(noBackupKeptText(full), "No backup was kept of the keyer's settings: b: full");
}

// A command printed for the operator to type is quoted for the shell of the
// system it runs on: a POSIX shell's single quotes, cmd.exe's double quotes.
TEST(ResultTexts, ShellWords) {
  const struct {
    std::string word;
    std::string posix;
    std::string cmd;
  } cases[] = {
      {"/home/ann/b/000001_2026-12-09_03-15-22.123_LARK_31.12.eep",
       "/home/ann/b/000001_2026-12-09_03-15-22.123_LARK_31.12.eep",
       "/home/ann/b/000001_2026-12-09_03-15-22.123_LARK_31.12.eep"},
      {"C:\\Users\\ann\\b.eep", "'C:\\Users\\ann\\b.eep'", "C:\\Users\\ann\\b.eep"},
      {"C:\\Users\\Ann Lee\\b.eep", "'C:\\Users\\Ann Lee\\b.eep'", "\"C:\\Users\\Ann Lee\\b.eep\""},
      {"/home/o'neil/b.eep", "'/home/o'\\''neil/b.eep'", "\"/home/o'neil/b.eep\""},
      {"a&b", "'a&b'", "\"a&b\""},
      {"", "''", "\"\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shellWord(c.word, Shell::Posix), c.posix) << c.word;
    EXPECT_EQ(shellWord(c.word, Shell::Cmd), c.cmd) << c.word;
  }
}

// What dp3 adds beneath a file's failure text, and its other file notes.
TEST(ResultTexts, FileNotes) {
  using K = FileResult::Kind;
  EXPECT_EQ(settingsSaveDetail({K::Create, "ro/x.eep", "Permission denied"}),
            "ro/x.eep: Permission denied");
  EXPECT_EQ(settingsSaveDetail({K::Refused, "/dev/null", "is a device"}), "");  // in the text
  EXPECT_EQ(configResultDetail({K::NotRegular, "d/dp3tools.cfg", "is a folder, not a file"}),
            "d/dp3tools.cfg: is a folder, not a file");
  EXPECT_EQ(configResultDetail({K::Create, "d/dp3tools.cfg", "No space left on device"}), "");
  EXPECT_EQ(newSettingsFileText("typo.eep"), "typo.eep: new file, from the defaults");
  EXPECT_EQ(storedAsText({"ST Freq", 601, 606, "Hz"}), "ST Freq: 601 Hz stored as 606 Hz");
  EXPECT_EQ(portPathText(PortPathProblem::Relative),
            "the port must be a full device path, such as /dev/ttyUSB0");
  EXPECT_EQ(portPathText(PortPathProblem::TooLong), "the port path is longer than 4096 bytes");
}

// Every reply byte is the keyer's: none of them, 0x88 and 0x84 included,
// stands for the upload's own outcome.
TEST(ResultTexts, UploadOutcomes) {
  using U = UploadOutcome::Kind;
  const struct {
    UploadOutcome outcome;
    std::string text;
  } cases[] = {
      {{U::Completed}, "Upload Completed Successfully"},
      {{U::Refused, 0x80}, "Error: SOF Error !"},
      {{U::Refused, 0x81}, "Error: Checksum !"},
      {{U::Refused, 0x82}, "Error: Flash Verify !"},
      {{U::Refused, 0x89}, "Error: DPUSB Sync !"},
      {{U::Refused, 0x88}, "Error: Restart failed !"},
      {{U::Refused, 0x84}, "Error: Restart failed !"},
      {{U::NoReply}, "Error: DPUSB Timeout !"},
      {{U::NoBootloaderEcho}, "Error: Restart failed !"},
      {{U::BaudChangeFailed}, "Error: Restart failed !"},
  };
  for (const auto& c : cases) EXPECT_EQ(uploadOutcomeText(c.outcome), c.text);
}

TEST(ResultTexts, SettingsAfterAnUpload) {
  using S = SettingsAfterUpload::Kind;
  const std::string keptIn =
      "The settings from before the update are kept in\nb.eep\nLoad that file and Write DP, or "
      "run dp3 write with it, to put them back.";
  const std::string notRestored = "Upload Completed Successfully, Settings Not Restored";
  const std::string notRead = "The keyer's settings could not be read after the update.\n";
  const std::string notVerified =
      "The settings written back did not verify: A, B, C, D, E, F and 1 more.\n";
  const std::string noBackup = "The backup could not be read back.\n";
  const std::string changed = "Settings Changed";
  const struct {
    S kind;
    WriteOutcome restore;
    std::string status, notice, caption;
  } cases[] = {
      {S::NotChecked, {}, "Upload Completed Successfully", "", ""},
      {S::Unchanged, {}, "Upload Completed Successfully", "", ""},
      {S::Changed, {}, notRestored, "", ""},
      {S::Restored, {}, "Upload Completed Successfully, Settings Restored", "", ""},
      {S::ReadFailed, {}, notRestored, notRead + keptIn, changed},
      {S::BackupUnreadable,
       {},
       notRestored,
       "The backup could not be read back.\n" + keptIn,
       changed},
      {S::RestoreFailed, WriteOutcome::WriteFailed, notRestored,
       "The keyer did not take the settings written back.\n" + keptIn, "Error"},
      {S::RestoreFailed, WriteOutcome::VerifyFailed, notRestored, notVerified + keptIn, "Error"},
  };
  for (const auto& c : cases) {
    UploadResult result;
    result.check = ProgramCheck::Ready;
    result.upload = UploadOutcome{};
    result.settings = {c.kind, "b.eep", {"A", "B", "C", "D", "E", "F", "G"}};
    result.restore.outcome = c.restore;
    result.restore.differences = result.settings.differences;
    EXPECT_EQ(uploadStatusText(result), c.status) << int(c.kind);
    const Notice notice = settingsAfterNotice(result);
    EXPECT_EQ(notice.text, c.notice) << int(c.kind);
    EXPECT_EQ(notice.caption, c.caption) << int(c.kind);
  }
  EXPECT_EQ(settingsChangedText({"User 1 Weight", "Msg 3"}),
            "The new firmware changed the keyer's settings: User 1 Weight, Msg 3.");
}

TEST(ResultTexts, CompatibilityOfEveryIcWithEveryImageKind) {
  const std::string ic[] = {"an ORCA", "a ROOK", "a LARK", "a PIKA"};
  for (int kind : {0, 49, 50, 99, 100, 149, 150, 199, 200, 255}) {
    const int band = std::min(kind / 50, 3);
    for (int variant = 1; variant <= 4; ++variant) {
      const std::string expected = variant - 1 == band
                                       ? ""
                                       : "Error: Attempting to program " + ic[variant - 1] +
                                             " DP with " + ic[band] + " image !";
      EXPECT_EQ(compatibilityError(variant, kind), expected) << variant << "/" << kind;
    }
    // 5 is an IC type like any other unknown one: only a keyer whose
    // bootloader alone answers takes any image.
    for (int unknown : {0, 5, 6, 255}) {
      EXPECT_EQ(compatibilityError(unknown, kind), "Error: Unknown Keyer IC Version !");
    }
  }
}

// Versions compare as major, then the revision within the IC's band.
TEST(ResultTexts, OlderImageNote) {
  struct Case {
    ImageVersion image;
    std::uint8_t version, revision, variant;
    std::string note;
  };
  const std::string lark = "The keyer runs LARK firmware 31.12; this image holds ";
  const std::string orca = "The keyer runs ORCA firmware 31.12; this image holds ";
  const std::string pika = "The keyer runs PIKA firmware 31.10; this image holds ";
  const std::vector<Case> cases = {
      {{31, 104}, 31, 112, 3, lark + "31.04, an older version."},
      {{30, 140}, 31, 112, 3, lark + "30.40, an older version."},
      {{31, 112}, 31, 112, 3, ""},
      {{31, 113}, 31, 112, 3, ""},
      {{32, 100}, 31, 112, 3, ""},
      {{31, 4}, 31, 12, 1, orca + "31.04, an older version."},
      // Past the last band an image has no revision: only the major counts.
      {{31, 200}, 31, 160, 4, ""},
      {{30, 200}, 31, 160, 4, pika + "version 30, an older one."},
  };
  for (const Case& c : cases) {
    KeyerInfo keyer;
    keyer.firmwareVersion = c.version;
    keyer.firmwareRevision = c.revision;
    keyer.icVariant = c.variant;
    const auto older = olderImage(c.image, keyer);
    EXPECT_EQ(older ? olderImageNote(*older) : "", c.note)
        << int(c.image.major) << "." << int(c.image.kind);
  }
}

}  // namespace
}  // namespace dp3
