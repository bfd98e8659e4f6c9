#pragma once

#include <vector>

#include "link/port_list.hpp"
#include "surface/control_surface.hpp"
#include "windows/program_config.hpp"

namespace dp3 {

// The port window's list: the devices present when it opened, in list order.
struct PortSelection {
  std::vector<SerialDevice> portList;
  int configured = -1;  // the configured port's entry, -1 when it is not present
};

// "/dev/ttyUSB0  FTDI FT232R USB UART": the path, then the description when there is one.
std::string portEntryText(const SerialDevice& device);

// Fills the list (4026) with the devices, in the order given, and selects the
// configured one when present.
PortSelection openPortWindow(ControlSurface& ui, const ProgramConfig& config,
                             std::vector<SerialDevice> devices);

// OK: the selected device becomes the keyer port and is saved (message boxes
// about the file go to ui). With no entry selected the port stays as it was.
// Returns true when the port was changed.
bool acceptPortWindow(ControlSurface& ui, ProgramConfig& config, const PortSelection& ports);

// The main window's port label: "com:%d" with the number, or "com:" and the
// device path once a device has been chosen.
std::string portLabelText(const ProgramConfig& config);

}  // namespace dp3
