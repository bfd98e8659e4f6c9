#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "link/link.hpp"
#include "link/port_list.hpp"
#include "system/program_config.hpp"

namespace dp3::winui {

// What the window talks to a keyer port through (made afresh when the
// operator chooses another port, and for each port Find Keyer probes).
using LinkFactory = std::function<std::unique_ptr<Link>(const std::string& port)>;

// Dialog 1001 until Exit or its close box. extraPorts: devices the port
// window offers besides those present (the simulated keyer).
int runMainDialog(ProgramConfig& config, LinkFactory makeLink,
                  std::vector<SerialDevice> extraPorts);

}  // namespace dp3::winui
