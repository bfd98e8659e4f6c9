#pragma once

#include <string>
#include <vector>

#include "link/link.hpp"
#include "link/port_check.hpp"
#include "link/port_list.hpp"
#include "link/port_probe.hpp"
#include "surface/control_surface.hpp"
#include "system/program_config.hpp"

namespace dp3 {

// The port window's list: the devices present, in list order, and the saved
// port after them when it is not present.
struct PortSelection {
  std::vector<SerialDevice> portList;
  int configured = -1;         // the configured port's entry, -1 when none is configured
  bool savedAppended = false;  // the last entry is the saved port, not among the devices
  std::string shownPath;       // what the window last put in the path box
};

// "/dev/ttyUSB0  FTDI FT232R USB UART": the path, then the description when there is one.
std::string portEntryText(const SerialDevice& device);

// True when a and b name the same device (a by-id name and the tty it leads to).
bool samePort(const std::string& a, const std::string& b);

// Fills the list (4026) with the devices, in the order given, and selects the
// configured one. A saved port that is not present is listed, selected and
// kept, and the status line (4132) says it is missing.
PortSelection openPortWindow(ControlSurface& ui, const ProgramConfig& config,
                             std::vector<SerialDevice> devices);

// A list entry was chosen: its path goes to the path box (4130).
void onPortSelection(ControlSurface& ui, PortSelection& ports);

// The devices present now; the list is rebuilt only when they changed, and
// keeps the entry the operator had chosen. Returns true when it changed.
bool refreshPortWindow(ControlSurface& ui, PortSelection& ports, const ProgramConfig& config,
                       std::vector<SerialDevice> devices);

// Find Keyer: the ports to probe, and the results shown: one status line per
// port, and the keyer found, selected so that OK chooses it.
void beginFindKeyer(ControlSurface& ui);
void showProbeResults(ControlSurface& ui, PortSelection& ports,
                      const std::vector<ProbeResult>& results);

// OK: a typed path, else the selected device, becomes the keyer port (by its
// by-id name where the system has one) and is saved (message boxes about the
// file go to ui). With nothing chosen the port stays as it was. Returns true
// when the port was changed.
bool acceptPortWindow(ControlSurface& ui, ProgramConfig& config, const PortSelection& ports);

// The main window's port label: "com:" and the device (for a by-id path its
// short name and the adapter's description), or, before any port is chosen,
// a pointer to the port window.
std::string portLabelText(const ProgramConfig& config);

// After a keyer command whose port did not open (status "DP Fail:comm open"):
// the status line (4061) names the cause; a message box gives the fix the
// first time this cause is met (lastShown remembers it). Returns true when the
// port had failed to open.
bool explainPortFailure(ControlSurface& ui, const Link& link, const PortFacts& facts,
                        std::string& lastShown);

}  // namespace dp3
