#include "windows/port_window.hpp"

#include "surface/control_ids.hpp"

namespace dp3 {

std::string portEntryText(const SerialDevice& device) {
  if (device.description.empty()) return device.path;
  return device.path + "  " + device.description;
}

PortSelection openPortWindow(ControlSurface& ui, const ProgramConfig& config,
                             std::vector<SerialDevice> devices) {
  PortSelection ports;
  ports.portList = std::move(devices);
  ui.clearList(id::kPortList);
  for (std::size_t i = 0; i < ports.portList.size(); ++i) {
    const SerialDevice& device = ports.portList[i];
    if (ports.configured < 0 && !config.portPath.empty() && device.path == config.portPath) {
      ports.configured = static_cast<int>(i);
    }
    ui.addListEntry(id::kPortList, portEntryText(device));
  }
  ui.selectEntry(id::kPortList, ports.configured);
  return ports;
}

bool acceptPortWindow(ControlSurface& ui, ProgramConfig& config, const PortSelection& ports) {
  const int entry = ui.selectedEntry(id::kPortList);
  if (entry < 0 || entry >= static_cast<int>(ports.portList.size())) return false;
  const std::string& path = ports.portList[static_cast<std::size_t>(entry)].path;
  config.portPath = path;
  config.comPort = portNumberOf(path);
  saveProgramConfig(config, ui);
  return true;
}

std::string portLabelText(const ProgramConfig& config) {
  if (!config.portPath.empty()) return "com:" + config.portPath;
  return "com:" + std::to_string(config.comPort);
}

}  // namespace dp3
