// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/port_window.hpp"

#include <filesystem>
#include <system_error>

#include "link/keyer_info.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3 {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNotPresent = "(saved, not present)";

bool present(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

void showPath(ControlSurface& ui, PortSelection& ports, const std::string& path) {
  ports.shownPath = path;
  ui.setText(id::kPortPath, path);
}

int entryOf(const PortSelection& ports, const std::string& path) {
  if (path.empty()) return -1;
  for (std::size_t i = 0; i < ports.portList.size(); ++i) {
    if (samePort(ports.portList[i].path, path)) return static_cast<int>(i);
  }
  return -1;
}

// Lists the devices (and the saved port when it is missing) and selects wanted.
void fillList(ControlSurface& ui, PortSelection& ports, const ProgramConfig& config,
              std::vector<SerialDevice> devices, const std::string& wanted) {
  ports.portList = std::move(devices);
  ports.configured = entryOf(ports, config.portPath);
  ports.savedAppended = ports.configured < 0 && !config.portPath.empty();
  ui.clearList(id::kPortList);
  for (const SerialDevice& device : ports.portList) {
    ui.addListEntry(id::kPortList, portEntryText(device));
  }
  if (ports.savedAppended) {
    // A typed device (a pseudo-terminal) or an adapter that is unplugged now.
    const bool there = present(config.portPath);
    ports.portList.push_back({config.portPath, {}});
    ports.configured = static_cast<int>(ports.portList.size()) - 1;
    ui.addListEntry(id::kPortList, there ? config.portPath : config.portPath + "  " + kNotPresent);
  }
  ui.selectEntry(id::kPortList, entryOf(ports, wanted));
}

}  // namespace

std::string portEntryText(const SerialDevice& device) {
  if (device.description.empty()) return device.path;
  return device.path + "  " + device.description;
}

bool samePort(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code errorA;
  std::error_code errorB;
  const fs::path realA = fs::canonical(a, errorA);
  const fs::path realB = fs::canonical(b, errorB);
  return !errorA && !errorB && realA == realB;
}

PortSelection openPortWindow(ControlSurface& ui, const ProgramConfig& config,
                             std::vector<SerialDevice> devices) {
  PortSelection ports;
  fillList(ui, ports, config, std::move(devices), config.portPath);
  showPath(ui, ports, config.portPath);
  if (config.portPath.empty()) {
    ui.setText(id::kPortStatus, "No keyer port chosen yet: pick one, or press Find Keyer.");
  } else if (ports.savedAppended && !present(config.portPath)) {
    ui.setText(id::kPortStatus, "The saved port " + config.portPath +
                                    " is not present. It stays chosen until another is.");
  } else {
    ui.setText(id::kPortStatus, "");
  }
  return ports;
}

void onPortSelection(ControlSurface& ui, PortSelection& ports) {
  const int entry = ui.selectedEntry(id::kPortList);
  if (entry < 0 || entry >= static_cast<int>(ports.portList.size())) return;
  showPath(ui, ports, ports.portList[static_cast<std::size_t>(entry)].path);
}

bool refreshPortWindow(ControlSurface& ui, PortSelection& ports, const ProgramConfig& config,
                       std::vector<SerialDevice> devices) {
  std::vector<SerialDevice> listed = ports.portList;
  if (ports.savedAppended) listed.pop_back();
  bool same = listed.size() == devices.size();
  for (std::size_t i = 0; same && i < devices.size(); ++i) {
    same = listed[i].path == devices[i].path;
  }
  if (same) return false;
  const int entry = ui.selectedEntry(id::kPortList);
  const std::string wanted = entry >= 0 && entry < static_cast<int>(ports.portList.size())
                                 ? ports.portList[static_cast<std::size_t>(entry)].path
                                 : std::string();
  fillList(ui, ports, config, std::move(devices), wanted);
  return true;
}

void beginFindKeyer(ControlSurface& ui) {
  ui.setText(id::kPortStatus, "Looking for the keyer on every port...");
  for (int control : {id::kFindKeyer, id::kPortOk, id::kPortList, id::kPortPath}) {
    ui.setEnabled(control, false);
  }
}

void showProbeResults(ControlSurface& ui, PortSelection& ports,
                      const std::vector<ProbeResult>& results) {
  for (int control : {id::kFindKeyer, id::kPortOk, id::kPortList, id::kPortPath}) {
    ui.setEnabled(control, true);
  }
  std::string text;
  for (const ProbeResult& result : results) text += probeLine(result) + "\n";
  const ProbeResult* keyer = foundKeyer(results);
  if (!keyer) {
    ui.setText(id::kPortStatus,
               text + (results.empty() ? "No serial devices found." : "No keyer found."));
    return;
  }
  int entry = entryOf(ports, keyer->port.path);
  if (entry < 0) {
    ports.portList.push_back(keyer->port);
    ui.addListEntry(id::kPortList, portEntryText(keyer->port));
    entry = static_cast<int>(ports.portList.size()) - 1;
  }
  ui.selectEntry(id::kPortList, entry);
  showPath(ui, ports, keyer->port.path);
  ui.setText(id::kPortStatus,
             text + "Keyer found on " + keyer->port.path + ": press OK to choose it.");
}

PortAccept acceptPortWindow(ControlSurface& ui, ProgramConfig& config, const PortSelection& ports) {
  const std::string typed = trimmed(ui.text(id::kPortPath));
  const int entry = ui.selectedEntry(id::kPortList);
  std::string path;
  if (!typed.empty() && typed != ports.shownPath) {
    path = typed;  // typed by the operator: a pseudo-terminal or an unusual device
  } else if (entry >= 0 && entry < static_cast<int>(ports.portList.size())) {
    path = ports.portList[static_cast<std::size_t>(entry)].path;
  } else {
    return PortAccept::Unchanged;
  }
  // A path the next run could not read back, or one that names a device only
  // from one folder, is refused: the window stays open and nothing changes.
  if (const PortPathProblem problem = checkPortPath(path); problem != PortPathProblem::None) {
    ui.showMessage(portPathText(problem), "Error");
    ui.focusControl(id::kPortPath);
    return PortAccept::Refused;
  }
  // A USB adapter is kept by its by-id name, which survives renumbering on replug.
  path = stablePortPath(path);
  config.portPath = path;
  config.comPort = portNumberOf(shortPortName(path));
  if (const ConfigResult saved = saveProgramConfig(config); !saved.ok()) {
    ui.showMessage(configResultText(saved, config), "Error");
  }
  return PortAccept::Changed;
}

std::string portLabelText(const ProgramConfig& config) {
  if (config.portPath.empty()) return "no keyer port chosen: Set Com Port, Find Keyer";
  if (config.portPath.rfind("/dev/serial/by-id/", 0) == 0 && present(config.portPath)) {
    // The adapter by the name it has now, and what it is.
    std::string label = "com:" + shortPortName(config.portPath);
    for (const SerialDevice& device : listSerialDevices()) {
      if (!device.description.empty() && samePort(device.path, config.portPath)) {
        label += "  " + device.description;
      }
    }
    return label;
  }
  return "com:" + config.portPath;
}

bool explainPortFailure(ControlSurface& ui, const Link& link, const PortFacts& facts,
                        std::string& lastShown) {
  if (link.portOpenFlag() || ui.text(id::kInterfaceStatus) != commOpenText(kCommOpenFailed)) {
    return false;
  }
  const PortAdvice advice = explainOpenFailure(facts, link.openFailureReason());
  ui.setText(id::kInterfaceStatus, commOpenText(kCommOpenFailed) + ": " + advice.reason);
  if (advice.reason != lastShown) {
    lastShown = advice.reason;
    ui.showMessage(advice.fix.empty() ? advice.reason : advice.reason + "\n\n" + advice.fix,
                   "Error");
  }
  return true;
}

PortWindow::PortWindow(ControlSurface& ui, WindowFace& face, ProgramConfig& config,
                       DeviceLister devices, ProbeOptions probe)
    : ui_(ui),
      face_(face),
      config_(config),
      devices_(std::move(devices)),
      probe_(std::move(probe)) {}

void PortWindow::onOpen() {
  ports_ = openPortWindow(ui_, config_, devices_());
}

void PortWindow::onButton(int id) {
  switch (id) {
    case id::kFindKeyer:
      return findKeyer();
    case id::kPortOk:
      if (probing_) return;
      if (acceptPortWindow(ui_, config_, ports_) == PortAccept::Refused) return;
      return face_.closeWindow();
    case id::kPortExit:
      return onClose();
  }
}

void PortWindow::onListSelection(int id) {
  if (id == id::kPortList && !probing_) onPortSelection(ui_, ports_);
}

void PortWindow::onClose() {
  if (!probing_) face_.closeWindow();
}

void PortWindow::onTimer() {
  if (!probing_) refreshPortWindow(ui_, ports_, config_, devices_());
}

void PortWindow::findKeyer() {
  if (probing_) return;
  probing_ = true;
  beginFindKeyer(ui_);
  // The focus leaves the button it greys, so the keys keep working meanwhile.
  ui_.focusControl(id::kPortExit);
  face_.runOffWindowThread(
      [this, candidates = ports_.portList] { results_ = probePorts(candidates, probe_); },
      [this] {
        probing_ = false;
        showProbeResults(ui_, ports_, results_);
        ui_.focusControl(foundKeyer(results_) ? id::kPortOk : id::kFindKeyer);
      });
}

}  // namespace dp3
