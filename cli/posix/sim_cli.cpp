// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <atomic>
#include <csignal>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/cli.hpp"
#include "link/keyer_variants.hpp"
#include "sim/keyer_model.hpp"
#include "sim/posix/pty_keyer.hpp"
#include "sim/replay_keyer.hpp"
#include "system/atomic_file.hpp"

namespace dp3::cli {

namespace {

std::atomic<bool> gStop{false};

extern "C" void onStopSignal(int) {
  gStop = true;
}

struct SimOptions {
  std::string variant = "LARK";
  int version = 31;
  int revision = -1;  // -1: the variant's range plus 12
  std::string eep;
  bool realtime = false;
  std::string fault;
  std::string replay;
};

int runSim(const SimOptions& options) {
  SimConfig config;
  const auto variant = parseVariant(options.variant);
  if (!variant) {
    std::cerr << "dp3 sim: unknown variant " << options.variant << " (" << variantNames()
              << " or NONE)\n";
    return kExitUsage;
  }
  config.bootloaderOnly = *variant == 0;
  config.variant = *variant == 0 ? kVariantLark : *variant;
  config.version = static_cast<std::uint8_t>(options.version);
  config.revision = options.revision >= 0 ? static_cast<std::uint8_t>(options.revision)
                                          : defaultRevision(config.variant);
  if (!options.fault.empty()) {
    const auto fault = parseFault(options.fault);
    if (!fault) {
      std::cerr << "dp3 sim: unknown fault " << options.fault << " (" << faultNames() << ")\n";
      return kExitUsage;
    }
    config.fault = *fault;
  }

  KeyerModel model(config);
  if (!options.eep.empty()) {
    // Checked by type and size before reading: no FIFO hangs it, no huge file fills memory.
    const SmallFile file = readSmallFile(options.eep, kImageSize);
    const auto& bytes = file.bytes;
    const FileResult::Kind read = file.result.kind;
    if (!file.result.ok() && read != FileResult::Kind::TooLarge) {
      std::cerr << "dp3 sim: " << options.eep << ": " << file.result.reason << '\n';
      return kExitFile;
    }
    if (read == FileResult::Kind::TooLarge ||
        (bytes.size() != kImageSize && bytes.size() != kSettingsBlockSize)) {
      std::cerr << "dp3 sim: " << options.eep << ": not a 300- or 288-byte settings file\n";
      return kExitFile;
    }
    std::copy(bytes.begin(), bytes.end(), model.memory().begin());
  }

  std::shared_ptr<ReplayScript> script;
  if (!options.replay.empty()) {
    std::string error;
    const auto events = loadTrace(options.replay, error);
    if (!events) {
      std::cerr << "dp3 sim: " << options.replay << ": " << error << '\n';
      return kExitFile;
    }
    script = std::make_shared<ReplayScript>(*events);
    model.replay(script);
  }

  PtyKeyer keyer(model, options.realtime);
  std::string error;
  if (!keyer.open(error)) {
    std::cerr << "dp3 sim: " << error << '\n';
    return kExitKeyer;
  }
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  std::signal(SIGHUP, onStopSignal);
  std::cout << keyer.path() << std::endl;
  std::cerr << "Simulated keyer on " << keyer.path() << " (interrupt to stop)\n";
  keyer.serve(gStop);
  if (!gStop) std::cerr << "dp3 sim: the simulated keyer hung up\n";
  if (script && script->diverged()) {
    std::cerr << "dp3 sim: the program left the trace: " << script->divergence() << '\n';
  }
  return kExitDone;
}

}  // namespace

void addSimCommand(CLI::App& app, Context& context) {
  auto options = std::make_shared<SimOptions>();
  auto* sim = app.add_subcommand(
      "sim", "Run a simulated keyer on a pseudo-terminal; prints its device path first");
  sim->add_option("--variant", options->variant, variantNames() + " or NONE (bootloader only)")
      ->capture_default_str();
  sim->add_option("--version", options->version, "Firmware version")
      ->check(CLI::Range(0, 255))
      ->capture_default_str();
  sim->add_option("--revision", options->revision,
                  "Firmware revision byte (default: the variant's range plus 12)")
      ->check(CLI::Range(0, 255));
  sim->add_option("--eep", options->eep, "Start with this settings file in the keyer's memory")
      ->check(CLI::ExistingFile);
  sim->add_flag("--realtime", options->realtime, "Pace bytes at the line rate of the baud rate");
  sim->add_option("--fault", options->fault, "Misbehave: " + faultNames());
  sim->add_option("--replay", options->replay,
                  "Answer as the keyer of this trace did (a file written with --trace)")
      ->check(CLI::ExistingFile);
  sim->callback([&context, options] { context.exitCode = runSim(*options); });
}

}  // namespace dp3::cli
