// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "link/port_check.hpp"
#include "link/port_list.hpp"

namespace dp3 {

// How long a probed port may stay silent: a keyer answers within a few byte times.
inline constexpr std::chrono::milliseconds kProbeDeadline{300};

enum class ProbeOutcome {
  Keyer,           // a keyer answered in host mode
  BootloaderOnly,  // a keyer answered with its bootloader only
  NotKeyer,        // the port opened, but nothing answered as a keyer
  NotOpened,       // the port would not open
  Held,            // another program holds the port; it was left alone
};

struct ProbeResult {
  SerialDevice port = {};
  ProbeOutcome outcome = ProbeOutcome::NotKeyer;
  InterfaceTest test = {};               // how the interface test ended (not for Held)
  KeyerInfo keyer = {};                  // as the interface test found it
  std::vector<PortHolder> holders = {};  // Held: the programs that hold the port
};

using ProbeLinkFactory = std::function<std::unique_ptr<Link>(const std::string& path,
                                                             std::chrono::milliseconds deadline)>;

struct ProbeOptions {
  std::chrono::milliseconds deadline = kProbeDeadline;
  // The line to one port; by default a serial link with the short deadline.
  ProbeLinkFactory makeLink;
  std::function<std::vector<PortHolder>(const std::string&)> findHolders = portHolders;
  // One port after another instead (a trace then holds each port in turn).
  bool oneAtATime = false;
};

// USB serial adapters first (the likely keyer), otherwise in the order given.
std::vector<SerialDevice> probeOrder(std::vector<SerialDevice> ports);

// Runs the interface test on every port at once, each with the short deadline,
// and skips ports another program holds. Results are in probeOrder.
std::vector<ProbeResult> probePorts(std::vector<SerialDevice> ports,
                                    const ProbeOptions& options = {});

// How many ports answered as a keyer (with firmware or only its bootloader).
std::size_t keyersFound(const std::vector<ProbeResult>& results);
// The first port that answered as a keyer (host mode before bootloader only), or nullptr.
const ProbeResult* foundKeyer(const std::vector<ProbeResult>& results);

}  // namespace dp3
