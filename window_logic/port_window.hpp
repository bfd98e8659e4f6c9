// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/link.hpp"
#include "link/port_check.hpp"
#include "link/port_list.hpp"
#include "link/port_probe.hpp"
#include "surface/control_surface.hpp"
#include "system/program_config.hpp"
#include "window_logic/window_face.hpp"

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
// file go to ui). With nothing chosen the port stays as it was. A typed path
// that cannot be kept (checkPortPath) is refused with an "Error" box and the
// focus on it; the window stays open.
enum class PortAccept { Changed, Unchanged, Refused };
PortAccept acceptPortWindow(ControlSurface& ui, ProgramConfig& config, const PortSelection& ports);

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

inline constexpr int kPortRefreshMs = 1000;

// The port window (dialog 1002) under any face: the devices present, kept up
// to date while it is open; a path may be typed; Find Keyer probes every port
// off the window thread. OK makes the chosen port the keyer port and saves
// it; Exit, Esc and the close box change nothing. While a probe holds the
// ports the window stays and its list is left alone.
class PortWindow : public WindowLogic {
 public:
  using DeviceLister = std::function<std::vector<SerialDevice>()>;

  PortWindow(ControlSurface& ui, WindowFace& face, ProgramConfig& config, DeviceLister devices,
             ProbeOptions probe = {});

  void onOpen() override;
  void onButton(int id) override;
  void onListSelection(int id) override;
  void onClose() override;
  int timerPeriodMs() const override { return kPortRefreshMs; }
  void onTimer() override;

  bool probing() const { return probing_; }

 private:
  void findKeyer();

  ControlSurface& ui_;
  WindowFace& face_;
  ProgramConfig& config_;
  DeviceLister devices_;
  ProbeOptions probe_;
  PortSelection ports_;
  bool probing_ = false;
  std::vector<ProbeResult> results_;  // written by the probe, read once it has ended
};

}  // namespace dp3
