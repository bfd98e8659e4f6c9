// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <string>
#include <vector>

namespace dp3 {

// A program that has a serial device open.
struct PortHolder {
  int pid = 0;
  std::string name;  // its command name, as the system gives it
};

// The other programs that hold the device at path open: this process, and the
// program serving a pseudo-terminal (the simulated keyer keeps its own end
// open), do not count. Empty when nothing holds it or it does not exist.
std::vector<PortHolder> portHolders(const std::string& path);

// "minicom (pid 812)", joined with ", " for several holders; past three, "and N more".
std::string holdersText(const std::vector<PortHolder>& holders);

// What the system says about a port that would not open.
struct PortFacts {
  std::string path;       // "" when no port is chosen
  bool exists = false;    // the device node is there
  bool permitted = true;  // this user may read and write it
  std::vector<PortHolder> holders;
  bool usbSerial = false;  // a USB serial adapter (ttyUSB, ttyACM, by-id)
  bool brlttyInstalled = false;
  bool modemManagerRunning = false;
  std::string deviceGroup;             // the group that owns the device ("dialout")
  std::string user;                    // the login name
  bool groupOnlyInNewerLogin = false;  // listed in the group, not yet in this login
  bool groupMayUse = true;             // the device's group may read and write it
  std::string deviceOwner = {};        // the user that owns the device ("root")
};

PortFacts gatherPortFacts(const std::string& path);

// Why the port did not open, and what to do about it.
struct PortAdvice {
  std::string reason;  // one line: "/dev/ttyUSB0: in use by minicom (pid 812)"
  std::string fix;     // the remedy, with the exact command where there is one
};

// linkReason is the link's own reason for the failure (openFailureReason),
// used when the facts explain nothing better.
PortAdvice explainOpenFailure(const PortFacts& facts, const std::string& linkReason);

}  // namespace dp3
