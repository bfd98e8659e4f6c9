#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "link/link.hpp"
#include "link/trace_link.hpp"
#include "settings/settings_image.hpp"
#include "surface/map_surface.hpp"
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

// Message boxes go to standard error as they happen; everything else is kept
// for the command to print in the window's order.
class ConsoleSurface : public MapSurface {
 public:
  void showMessage(std::string_view text, std::string_view caption) override;
};

// What every command shares: the --port choice, the program configuration and
// the exit code the command settles on.
struct Context {
  std::string portOption;  // --port, for this call only
  std::string traceFile;   // --trace: every byte on the line goes there
  int exitCode = kExitDone;

  // The configured port, loaded on first use.
  ProgramConfig& config();
  // The device to talk to: --port, else the configured port.
  std::string portPath();
  // A serial link on portPath(), traced when --trace was given.
  std::unique_ptr<Link> openLink();
  // The link wrapped in the trace of this call (as it is without --trace).
  std::unique_ptr<Link> traced(std::unique_ptr<Link> link, const std::string& port);

 private:
  bool configLoaded_ = false;
  ProgramConfig config_;
  std::shared_ptr<TraceSink> trace_;
};

// Prints the texts the main window would show after a keyer command, one per
// line: the interface test's status, the IC line when set, the operation status.
void printKeyerStatus(const MapSurface& ui);
// The hint for a port that would not open, on standard error.
void printOpenHint(const Link& link, const std::string& port);

// Whether standard output is a terminal that draws escape sequences (a
// progress bar redrawn in place); switched on where the system must be asked.
bool outputTakesEscapes();

// Write DP of image to the keyer on the chosen port through the main window's
// surface ui (whose form shows image's User 1), with or without reading it
// back; prints the window's texts and returns the exit code.
int writeToKeyer(Context& context, ConsoleSurface& ui, SettingsImage& image, bool verify);

// Each file adds its subcommands.
void addKeyerCommands(CLI::App& app, Context& context);
void addPortCommands(CLI::App& app, Context& context);
void addSimCommand(CLI::App& app, Context& context);
void addSettingsCommands(CLI::App& app, Context& context);
void addFirmwareCommands(CLI::App& app, Context& context);
void addBackupCommands(CLI::App& app, Context& context);
void addPlayCommand(CLI::App& app, Context& context);

}  // namespace dp3::cli
