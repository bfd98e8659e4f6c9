#include "cli/cli.hpp"

#include <iostream>

#include "link/serial_link.hpp"
#include "surface/control_ids.hpp"

namespace dp3::cli {

void ConsoleSurface::showMessage(std::string_view text, std::string_view caption) {
  MapSurface::showMessage(text, caption);
  std::cerr << text << '\n';
}

ProgramConfig& Context::config() {
  if (!configLoaded_) {
    config_.configFilePath = defaultConfigFilePath(executablePath());
    ConsoleSurface ui;
    loadProgramConfig(config_, ui);
    configLoaded_ = true;
  }
  return config_;
}

std::string Context::portPath() {
  return portOption.empty() ? config().portPath : portOption;
}

std::unique_ptr<Link> Context::openLink() {
  return std::make_unique<SerialLink>(portPath());
}

void printKeyerStatus(const MapSurface& ui) {
  std::cout << ui.text(id::kInterfaceStatus) << '\n';
  if (const std::string ic = ui.text(id::kIcLine); !ic.empty()) std::cout << ic << '\n';
  std::cout << ui.text(id::kOperationStatus) << '\n';
}

void printOpenHint(const Link& link, const std::string& port) {
  const std::string reason = link.openFailureReason();
  if (reason.empty()) return;
  if (port.empty()) {
    std::cerr << "dp3: no keyer port chosen: use 'dp3 port DEVICE' or --port DEVICE\n";
  } else {
    std::cerr << "dp3: " << port << ": " << reason << '\n';
  }
}

}  // namespace dp3::cli
