#pragma once

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

// The exit codes as `dp3 --help` lists them.
inline constexpr const char* kExitCodeHelp =
    "Exit codes:\n"
    "  0  done; diff: the files are the same (every command)\n"
    "  1  usage error; diff: the files differ (every command)\n"
    "  2  the keyer or the line failed: no answer, a failed transfer, a refused or failed\n"
    "     upload, a write that did not verify, settings that could not be read or written\n"
    "     back after an upload (test, read, write, upload; sim: no terminal)\n"
    "  3  a value was refused; nothing was changed (set, write)\n"
    "  4  a file could not be read or written (read, set, show, diff, write, firmware,\n"
    "     upload, port, sim)\n"
    "  5  the keyer needs firmware: it runs only its bootloader (test, read, write), or its\n"
    "     firmware is too old to hold settings (read, write)\n";

// The exit code each result stands for, decided here for every command.
int exitCodeOf(const KeyerTest& result);
int exitCodeOf(const ReadResult& result);
int exitCodeOf(const WriteResult& result);
int exitCodeOf(const LoadedImage& loaded);
int exitCodeOf(const UploadResult& result);
int exitCodeOf(const std::vector<ProbeResult>& results);  // no keyer found: a keyer failure
int exitCodeOf(const ConfigResult& result);

}  // namespace dp3::cli
