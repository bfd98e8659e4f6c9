// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli.hpp"

int main(int argc, char** argv) {
  using namespace dp3::cli;
  CLI::App app{"dp3: configure Ditpulse 3 keyers from the command line", "dp3"};
  app.set_version_flag("--version", "DP3tools " DP3_VERSION);
  app.require_subcommand(1);
  // A file name such as /home/op/new.hex is a file name on every system.
  app.allow_windows_style_options(false);
  app.footer(exitCodeHelp());

  Context context;
  app.add_option("--port", context.portOption,
                 "Keyer device for this call (default: the one chosen with 'dp3 port')");
  app.add_option("--trace", context.traceFile,
                 "Log every byte on the line, with its direction, time and baud rate, to FILE");
  addKeyerCommands(app, context);
  addPortCommands(app, context);
#if !defined(_WIN32)
  addSimCommand(app, context);  // the simulated keyer needs a pseudo-terminal
#endif
  addSettingsCommands(app, context);
  addFirmwareCommands(app, context);
  addBackupCommands(app, context);
  addPlayCommand(app, context);
  // The trace is opened, or refused, before any command touches a keyer or a file.
  app.parse_complete_callback([&context] {
    if (!context.startTrace()) throw CLI::RuntimeError(kExitFile);
  });

  ignoreBrokenPipe();
  try {
    app.parse(argc, argv);
  } catch (const CLI::RuntimeError& error) {
    return error.get_exit_code();
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kExitDone : kExitUsage;
  }
  // Ctrl+C or SIGTERM waited for the command to reach a safe point; what the
  // keyer holds has been said above.
  if (const int signal = DeferredStop::signal()) {
    std::cerr << "dp3: stopped by " << DeferredStop::signalName() << '\n';
    return kExitInterrupted + signal;
  }
  // A closed pipe or a full disk took what was printed.
  if (!std::cout.flush()) {
    std::cerr << "dp3: the output could not be written (a closed pipe?)\n";
    if (context.exitCode == kExitDone) return kExitFile;
  }
  return context.exitCode;
}
