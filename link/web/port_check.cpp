// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/port_check.hpp"

#include "link/port_list.hpp"

namespace dp3 {

// A page learns nothing of other programs: a port in use fails to open, and
// the link says "in use" for it.
std::vector<PortHolder> portHolders(const std::string&) {
  return {};
}

PortFacts gatherPortFacts(const std::string& path) {
  PortFacts facts;
  facts.path = path;
  // The browser asked the operator already: a granted port is a permitted one.
  facts.exists = !path.empty() && serialDevicePresent(path);
  return facts;
}

}  // namespace dp3
