#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli.hpp"
#include "link/port_list.hpp"
#include "windows/program_config.hpp"

namespace dp3::cli {

namespace {

int listPorts(Context& context) {
  const std::string configured = context.config().portPath;
  const auto devices = listSerialDevices();
  bool configuredListed = false;
  for (const SerialDevice& device : devices) {
    const bool mark = device.path == configured;
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

int choosePort(Context& context, const std::string& port) {
  ProgramConfig& config = context.config();
  config.portPath = port;
  config.comPort = portNumberOf(port);
  ConsoleSurface ui;
  if (!saveProgramConfig(config, ui)) return kExitFile;
  if (!serialDevicePresent(port)) {
    std::cerr << "dp3: note: " << port << " is not present now\n";
  }
  std::cout << "Keyer port: " << port << '\n';
  return kExitDone;
}

}  // namespace

void addPortCommands(CLI::App& app, Context& context) {
  auto* ports =
      app.add_subcommand("ports", "List the serial devices present (* marks the keyer port)");
  ports->callback([&context] { context.exitCode = listPorts(context); });

  auto* port = app.add_subcommand("port", "Choose the keyer's serial device for later calls");
  auto path = std::make_shared<std::string>();
  port->add_option("PORT", *path, "Device path, e.g. /dev/ttyUSB0")->required();
  port->callback([&context, path] { context.exitCode = choosePort(context, *path); });
}

}  // namespace dp3::cli
