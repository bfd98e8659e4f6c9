// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/port_check.hpp"

#include <windows.h>

#include "link/port_list.hpp"

namespace dp3 {

// Windows names no holder of a COM port to an ordinary program: a port in use
// fails to open with access denied, and the link says "in use" for it.
std::vector<PortHolder> portHolders(const std::string&) {
  return {};
}

PortFacts gatherPortFacts(const std::string& path) {
  PortFacts facts;
  facts.path = path;
  wchar_t user[256] = {};
  DWORD size = sizeof user / sizeof user[0];
  if (GetUserNameW(user, &size)) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, user, -1, nullptr, 0, nullptr, nullptr);
    facts.user.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    WideCharToMultiByte(CP_UTF8, 0, user, -1, facts.user.data(), n, nullptr, nullptr);
    if (!facts.user.empty()) facts.user.pop_back();  // the NUL
  }
  // Access to a COM port is not given per user: present means permitted.
  facts.exists = !path.empty() && serialDevicePresent(path);
  return facts;
}

}  // namespace dp3
