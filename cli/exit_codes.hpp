// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <string>
#include <vector>

#include "firmware/upload_session.hpp"
#include "link/keyer_operations.hpp"
#include "link/port_probe.hpp"
#include "system/program_config.hpp"

namespace dp3::cli {

// Exit codes of every dp3 command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitKeyer = 2;          // the keyer or the line failed
inline constexpr int kExitRefused = 3;        // a value was refused
inline constexpr int kExitFile = 4;           // a file could not be read or written
inline constexpr int kExitNeedsFirmware = 5;  // the keyer needs (newer) firmware first

inline constexpr int kExitInterrupted = 128;  // plus the signal's number: 130 SIGINT, 143 SIGTERM

// What each exit code means and which commands return it: `dp3 --help`
// lists this table, and README.md holds the same rows.
struct ExitCodeRow {
  int code;
  const char* meaning;
  const char* commands;
};
inline constexpr ExitCodeRow kExitCodeRows[] = {
    {kExitDone, "done; diff: the files are the same", "all"},
    {kExitUsage,
     "usage error; diff: the files differ; ports --probe --choose: more than one keyer found; "
     "port: a path that is empty, relative or too long",
     "all"},
    {kExitKeyer,
     "the keyer or the line failed: no answer (test: a reading that got none), a failed "
     "transfer, a refused or failed upload, a write that did not verify, settings that could not "
     "be read or written back after an upload; ports --probe: no keyer answered; sim: no "
     "pseudo-terminal",
     "test, read, write, upload, ports --probe, sim"},
    {kExitRefused,
     "a value was refused; nothing was changed; upload --restore-settings: Write's checks "
     "refuse the backup; play: nothing to play",
     "set, write, upload, play"},
    {kExitFile,
     "a file could not be read or written (the --trace file too, before the keyer is touched, "
     "and a closed standard output); write, upload: the backup before the change could not be "
     "kept, so nothing was sent; play: no audio device",
     "all"},
    {kExitNeedsFirmware,
     "the keyer needs firmware: it runs only its bootloader, or its firmware is too old to hold "
     "settings",
     "test (bootloader only), read, write"},
    {kExitInterrupted + 2,
     "stopped by Ctrl+C (SIGINT) once the keyer was in a safe state: an upload or write under "
     "way ends first, and what the keyer holds is said",
     "test, read, write, upload, ports --probe"},
    {kExitInterrupted + 15, "stopped by SIGTERM, as for Ctrl+C",
     "test, read, write, upload, ports --probe"},
};

// "Exit codes:" and one entry per row, as `dp3 --help` ends.
std::string exitCodeHelp();

// The exit code each result stands for, decided here for every command.
int exitCodeOf(const KeyerTest& result);
int exitCodeOf(const ReadResult& result);
int exitCodeOf(const WriteResult& result);
int exitCodeOf(const LoadedImage& loaded);
int exitCodeOf(const UploadResult& result);
int exitCodeOf(const std::vector<ProbeResult>& results);  // no keyer found: a keyer failure
int exitCodeOf(const ConfigResult& result);

}  // namespace dp3::cli
