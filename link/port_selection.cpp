#include "link/port_selection.hpp"

#include "app/control_ids.hpp"

namespace dp3 {

std::string portEntryText(const SerialDevice& device) {
  if (device.description.empty()) return device.path;
  return device.path + "  " + device.description;
}

PortSelection OpenPortWindow(ControlSurface& ui, const ProgramConfig& config,
                             std::vector<SerialDevice> devices) {
  PortSelection ports;
  ports.PortList = std::move(devices);
  ui.clearList(id::kPortList);
  for (std::size_t i = 0; i < ports.PortList.size(); ++i) {
    const SerialDevice& device = ports.PortList[i];
    if (ports.PortSelection < 0 && !config.portPath.empty() && device.path == config.portPath) {
      ports.PortSelection = static_cast<int>(i);
    }
    ui.addListEntry(id::kPortList, portEntryText(device));
  }
  ui.selectEntry(id::kPortList, ports.PortSelection);
  return ports;
}

bool AcceptPortWindow(ControlSurface& ui, ProgramConfig& config, const PortSelection& ports) {
  const int entry = ui.selectedEntry(id::kPortList);
  if (entry < 0 || entry >= static_cast<int>(ports.PortList.size())) return false;
  const std::string& path = ports.PortList[static_cast<std::size_t>(entry)].path;
  config.portPath = path;
  config.ComPort = portNumberOf(path);
  SaveProgramConfig(config, ui);
  return true;
}

std::string portLabelText(const ProgramConfig& config) {
  if (!config.portPath.empty()) return "com:" + config.portPath;
  return "com:" + std::to_string(config.ComPort);
}

}  // namespace dp3
