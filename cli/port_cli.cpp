// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli.hpp"
#include "link/port_list.hpp"
#include "link/port_probe.hpp"
#include "link/serial_link.hpp"
#include "system/program_config.hpp"
#include "window_logic/port_window.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3::cli {

namespace {

int choosePort(Context& context, const std::string& port);

int listPorts(Context& context) {
  const std::string configured = context.config().portPath;
  const auto devices = listSerialDevices();
  bool configuredListed = false;
  for (const SerialDevice& device : devices) {
    const bool mark = !configured.empty() && samePort(device.path, configured);
    configuredListed = configuredListed || mark;
    std::cout << (mark ? "* " : "  ") << device.path;
    if (!device.description.empty()) std::cout << "  " << device.description;
    std::cout << '\n';
  }
  if (devices.empty()) std::cout << "No serial devices found.\n";
  if (!configured.empty() && !configuredListed) {
    const bool present = serialDevicePresent(configured);
    std::cout << "* " << configured
              << (present ? "  (configured)\n" : "  (configured, not present)\n");
  }
  return kExitDone;
}

// The given ports, or every serial device present; each gets the interface
// test with a short deadline, all at once.
int probe(Context& context, const std::vector<std::string>& paths, bool choose) {
  std::vector<SerialDevice> ports = listSerialDevices();
  if (!paths.empty()) {
    std::vector<SerialDevice> given;
    for (const std::string& path : paths) {
      SerialDevice device{path, {}};
      for (const SerialDevice& present : ports) {
        if (present.path == path) device.description = present.description;
      }
      given.push_back(device);
    }
    ports = std::move(given);
  }
  if (ports.empty()) {
    std::cout << "No serial devices found.\n";
    return exitCodeOf(std::vector<ProbeResult>{});
  }
  ProbeOptions options;
  if (!context.traceFile.empty()) {
    options.oneAtATime = true;
    options.makeLink = [&context](const std::string& path, std::chrono::milliseconds deadline) {
      auto link = std::make_unique<SerialLink>(path);
      link->setTimeouts(deadline, deadline);
      return context.traced(std::move(link), path);
    };
  }
  context.deferStop();
  const auto results = probePorts(ports, options);
  for (const ProbeResult& result : results) std::cout << probeLine(result) << '\n';
  const ProbeResult* keyer = foundKeyer(results);
  const std::size_t keyers = keyersFound(results);
  if (!keyer) {
    std::cout << "No keyer found.\n";
  } else if (choose && keyers > 1) {
    // Which one is meant is for the operator to say.
    std::cerr << "dp3 ports: --choose found " << keyers
              << " keyers (listed above) and chose none: choose one with 'dp3 port DEVICE'\n";
    return kExitUsage;
  } else if (choose) {
    return choosePort(context, keyer->port.path);
  } else {
    std::cout << "Keyer found on " << keyer->port.path << ": choose it with 'dp3 port "
              << stablePortPath(keyer->port.path) << "' (or --choose)\n";
  }
  return exitCodeOf(results);
}

int choosePort(Context& context, const std::string& given) {
  // A path the next run could not read back, or one that names a device only
  // from this folder, would lose the port: nothing is saved.
  if (const PortPathProblem problem = checkPortPath(given); problem != PortPathProblem::None) {
    std::cerr << "dp3 port: " << portPathText(problem) << "; the keyer port was not changed\n";
    return kExitUsage;
  }
  // A USB adapter is kept by its by-id name, which survives renumbering on replug.
  const std::string port = stablePortPath(given);
  ProgramConfig& config = context.config();
  config.portPath = port;
  config.comPort = portNumberOf(shortPortName(port));
  const ConfigResult saved = saveProgramConfig(config);
  if (!saved.ok()) {
    std::cerr << configResultText(saved, config) << '\n';
    return exitCodeOf(saved);
  }
  if (!serialDevicePresent(port)) {
    std::cerr << "dp3: note: " << port << " is not present now\n";
  }
  std::cout << "Keyer port: " << port;
  if (port != given) std::cout << "  (" << shortPortName(port) << ")";
  std::cout << '\n';
  return exitCodeOf(saved);
}

}  // namespace

void addPortCommands(CLI::App& app, Context& context) {
  auto* ports =
      app.add_subcommand("ports", "List the serial devices present (* marks the keyer port)");
  auto probeWanted = std::make_shared<bool>(false);
  auto choose = std::make_shared<bool>(false);
  auto probePaths = std::make_shared<std::vector<std::string>>();
  ports->add_flag("--probe", *probeWanted,
                  "Look for the keyer on the given ports, or on every port: one line per port");
  ports->add_flag("--choose", *choose, "With --probe: make the keyer found the keyer port");
  ports->add_option("PORT", *probePaths, "Ports to probe (default: every serial device)");
  ports->callback([&context, probeWanted, choose, probePaths] {
    if (*probeWanted) {
      context.exitCode = probe(context, *probePaths, *choose);
    } else if (!probePaths->empty() || *choose) {
      std::cerr << "dp3 ports: PORT and --choose go with --probe\n";
      context.exitCode = kExitUsage;
    } else {
      context.exitCode = listPorts(context);
    }
  });

  auto* port = app.add_subcommand("port", "Choose the keyer's serial device for later calls");
  auto path = std::make_shared<std::string>();
  port->add_option("PORT", *path, "Device path, e.g. /dev/ttyUSB0")->required();
  port->callback([&context, path] { context.exitCode = choosePort(context, *path); });
}

}  // namespace dp3::cli
