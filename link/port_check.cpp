// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/port_check.hpp"

#include <algorithm>

namespace dp3 {

std::string holdersText(const std::vector<PortHolder>& holders) {
  constexpr std::size_t kNamed = 3;
  std::string text;
  for (std::size_t i = 0; i < holders.size() && i < kNamed; ++i) {
    if (!text.empty()) text += ", ";
    text += holders[i].name + " (pid " + std::to_string(holders[i].pid) + ")";
  }
  if (holders.size() > kNamed) text += " and " + std::to_string(holders.size() - kNamed) + " more";
  return text;
}

PortAdvice explainOpenFailure(const PortFacts& facts, const std::string& linkReason) {
  if (facts.path.empty()) {
    return {"no keyer port chosen",
            "Choose the keyer's port: Set Com Port (Find Keyer there looks for the keyer on "
            "every port), or on the command line 'dp3 ports --probe' and 'dp3 port DEVICE'."};
  }
  const std::string& path = facts.path;
  if (!facts.exists) {
    std::string fix =
        "Plug in the keyer's adapter, or choose its port again: an adapter plugged in again "
        "can come back under another name.";
    if (facts.brlttyInstalled && facts.usbSerial) {
      fix +=
          "\n\nbrltty is installed: it claims USB serial adapters such as the CH340 for braille "
          "displays, and the port vanishes a moment after it appears. Without a braille "
          "display, remove it:\nsudo apt remove brltty";
    }
    return {path + ": no such device", fix};
  }
  const bool modemManagerHolds =
      std::any_of(facts.holders.begin(), facts.holders.end(),
                  [](const PortHolder& h) { return h.name == "ModemManager"; });
  const bool heldUnseen = facts.holders.empty() && linkReason.find("in use") != std::string::npos &&
                          facts.modemManagerRunning && facts.usbSerial;
  if (modemManagerHolds || heldUnseen) {
    return {path + ": ModemManager is probing the port",
            "ModemManager looks for a modem on every new serial port for a few seconds after it "
            "appears. Wait and try again, or stop it:\nsudo systemctl stop ModemManager"};
  }
  if (!facts.holders.empty()) {
    const std::string names = holdersText(facts.holders);
    return {path + ": in use by " + names,
            "Close " + names + ", which holds the port, and try again."};
  }
  if (linkReason.find("in use") != std::string::npos) {
    return {path + ": in use by another program",
            "Close the program that holds the port (a terminal program, or DP3tools in "
            "another window) and try again."};
  }
  if (!facts.permitted) {
    const std::string group = facts.deviceGroup.empty() ? "dialout" : facts.deviceGroup;
    if (facts.groupOnlyInNewerLogin) {
      return {path + ": no permission (you are in " + group + " only in a newer login)",
              "Log out and in again so the " + group +
                  " group takes effect, or start the program from:\nnewgrp " + group};
    }
    const std::string user = facts.user.empty() ? "$USER" : facts.user;
    // Joining a group helps only when that group may use the device, and
    // joining root would hand out far more than one port.
    if (facts.groupMayUse && group != "root") {
      return {path + ": no permission",
              "Add yourself to the " + group +
                  " group, then log out and in again:\nsudo usermod -aG " + group + " " + user};
    }
    const std::string owner = facts.deviceOwner.empty() ? "?" : facts.deviceOwner;
    const std::string name = path.substr(path.find_last_of('/') + 1);
    return {path + ": no permission (owned by " + owner + ", group " + group + ")",
            "Give the port to the dialout group with a udev rule, as root:\n"
            "echo 'KERNEL==\"" +
                name +
                "\", GROUP=\"dialout\", MODE=\"0660\"' | sudo tee "
                "/etc/udev/rules.d/50-dp3tools.rules\n"
                "sudo udevadm control --reload && sudo udevadm trigger\n"
                "then add yourself to dialout if you are not in it:\nsudo usermod -aG dialout " +
                user};
  }
  return {path + ": " + (linkReason.empty() ? "could not be opened" : linkReason), {}};
}

}  // namespace dp3
