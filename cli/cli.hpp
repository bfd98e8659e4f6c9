// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string>

#include "cli/exit_codes.hpp"
#include "cli/stop_signals.hpp"
#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "link/trace_link.hpp"
#include "settings/settings_image.hpp"
#include "system/program_config.hpp"

namespace dp3::cli {

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
  // A serial link on portPath(), traced when --trace was given; from now on
  // Ctrl+C and SIGTERM wait for a safe point (deferStop).
  std::unique_ptr<Link> openLink();
  // Holds Ctrl+C and SIGTERM off until the command has ended.
  void deferStop();
  // The link wrapped in the trace of this call (as it is without --trace).
  std::unique_ptr<Link> traced(std::unique_ptr<Link> link, const std::string& port);
  // Opens the --trace file before any command runs; false (and said why)
  // when it may not or cannot be written.
  bool startTrace();

 private:
  bool configLoaded_ = false;
  ProgramConfig config_;
  std::shared_ptr<TraceSink> trace_;
  std::unique_ptr<DeferredStop> stop_;
};

// Prints the texts the main window would show after a keyer command, one per
// line: the interface test's status, the IC line when the test set it.
void printInterfaceTest(const InterfaceTest& test);
// After a test whose port would not open: the cause and the fix, on standard error.
void printOpenHint(const InterfaceTest& test, const std::string& port);

// Whether standard output is a terminal that draws escape sequences (a
// progress bar redrawn in place); switched on where the system must be asked.
bool outputTakesEscapes();

// Write DP of image to the keyer on the chosen port, with or without reading
// it back; prepare (when given) puts the values to send into image once the
// keyer has passed its test. Prints the window's texts, returns the exit code.
int writeToKeyer(Context& context, SettingsImage& image, bool verify,
                 const std::function<bool(SettingsImage&)>& prepare = {});

// Each file adds its subcommands.
void addKeyerCommands(CLI::App& app, Context& context);
void addPortCommands(CLI::App& app, Context& context);
void addSimCommand(CLI::App& app, Context& context);
void addSettingsCommands(CLI::App& app, Context& context);
void addFirmwareCommands(CLI::App& app, Context& context);
void addBackupCommands(CLI::App& app, Context& context);
void addPlayCommand(CLI::App& app, Context& context);

}  // namespace dp3::cli
